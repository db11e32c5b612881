#ifndef ZAN_MAIL_MAIL_TOOLBAR_H_
#define ZAN_MAIL_MAIL_TOOLBAR_H_

#include <string>

#include "definition/toolbar_item.h"

namespace zan {

// Timer ids of the toolbar control window, and the id of a forced pass.
inline constexpr int kBlinkTimerId = 0xAAAA;
inline constexpr int kMailCheckTimerId = 0xAAAB;
inline constexpr int kMailCheckNowId = 0xAAAC;
inline constexpr int kMailCheckPeriodMs = 15000;
inline constexpr int kBlinkPeriodMs = 500;
// The toolbar control's private message that refreshes the indicators.
inline constexpr unsigned kRefreshIndicatorsMessage = 0x5B34;

// What the mail checker needs from the toolbar control window, which the
// browser host implements: its timers, the indicator buttons, and running a
// command of the definition.
class MailToolbar {
 public:
  virtual ~MailToolbar() = default;
  // Starts (or restarts) the window timer `id`; each tick reaches
  // MailChecker::RunCheckPass(id).
  virtual void StartTimer(int id, int period_ms) = 0;
  virtual void KillTimer(int id) = 0;
  // Sets the indicator's button text (its caption), image (GetImage(); -1
  // none) and hint on the toolbar.
  virtual void ShowIndicator(const ToolbarIndicator& indicator) = 0;
  // Runs the command at `command_index` of the definition with `parameter`
  // as its command parameter.
  virtual void RunCommand(int command_index, const std::string& parameter) = 0;
};

// The toolbar side that a check without a toolbar (a command-line check, a
// benchmark) does not have: every call does nothing.
class NoMailToolbar : public MailToolbar {
 public:
  void StartTimer(int, int) override {}
  void KillTimer(int) override {}
  void ShowIndicator(const ToolbarIndicator&) override {}
  void RunCommand(int, const std::string&) override {}
};

}  // namespace zan

#endif  // ZAN_MAIL_MAIL_TOOLBAR_H_
