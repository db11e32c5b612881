#ifndef ZAN_TESTS_SUPPORT_SCRIPTED_UI_H_
#define ZAN_TESTS_SUPPORT_SCRIPTED_UI_H_

#include <deque>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace zan::test {

// Message boxes that record what they show and answer from a script; with
// the script used up they answer OK (or Yes for yes/no boxes).
class ScriptedUi : public Ui {
 public:
  struct Box {
    std::string text;
    std::string caption;
    MessageBoxButtons buttons = MessageBoxButtons::kOk;
    MessageBoxIcon icon = MessageBoxIcon::kNone;
    bool operator==(const Box&) const = default;
  };

  MessageBoxAnswer ShowMessageBox(const std::string& text,
                                  const std::string& caption,
                                  MessageBoxButtons buttons,
                                  MessageBoxIcon icon) override {
    boxes.push_back({text, caption, buttons, icon});
    if (!answers.empty()) {
      MessageBoxAnswer answer = answers.front();
      answers.pop_front();
      return answer;
    }
    return buttons == MessageBoxButtons::kYesNo ||
                   buttons == MessageBoxButtons::kYesNoCancel
               ? MessageBoxAnswer::kYes
               : MessageBoxAnswer::kOk;
  }

  std::deque<MessageBoxAnswer> answers;
  std::vector<Box> boxes;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_SUPPORT_SCRIPTED_UI_H_
