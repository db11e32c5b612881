#ifndef ZAN_HOSTS_QT_QT_UI_H_
#define ZAN_HOSTS_QT_QT_UI_H_

#include <string>
#include <vector>

#include "platform/ui.h"

namespace zan {

// Message boxes as Qt dialogs: modal, without an owner, with the caption,
// text, buttons and icon asked for. In unattended runs (screenshots,
// scripted tests) the box is written to standard error instead and the
// cautious answer given: OK, Cancel or No.
class QtUi : public Ui {
 public:
  explicit QtUi(bool unattended = false) : unattended_(unattended) {}

  MessageBoxAnswer ShowMessageBox(const std::string& text,
                                  const std::string& caption,
                                  MessageBoxButtons buttons,
                                  MessageBoxIcon icon) override;

  void set_unattended(bool unattended) { unattended_ = unattended; }
  // Every box shown or written so far, as "caption: text".
  const std::vector<std::string>& shown() const { return shown_; }

 private:
  bool unattended_;
  std::vector<std::string> shown_;
};

// The cautious answer of a box with these buttons.
MessageBoxAnswer CautiousAnswer(MessageBoxButtons buttons);

}  // namespace zan

#endif  // ZAN_HOSTS_QT_QT_UI_H_
