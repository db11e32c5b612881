#ifndef ZAN_MAIL_MAIL_CHECKER_H_
#define ZAN_MAIL_MAIL_CHECKER_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "definition/toolbar_model.h"
#include "mail/mail_account_store.h"
#include "mail/mail_toolbar.h"
#include "mail/pop3_session.h"
#include "platform/clock.h"
#include "platform/message_pump.h"
#include "platform/tcp_connection.h"

namespace zan {

// The mail checker of one toolbar control: decides when each account is
// due, checks it with the control's POP3 session, and shows the stored
// results in the toolbar's POP3 indicators.
class MailChecker {
 public:
  // A busy mark older than this (by the account's last check time) was left
  // by an instance that ended during its check.
  static constexpr int64_t kStaleBusySeconds = 10 * 60;

  MailChecker(const MailAccountStore& store, TcpConnectionFactory& connections,
              MessagePump& pump, Clock& clock, MailToolbar& toolbar);
  MailChecker(const MailChecker&) = delete;
  MailChecker& operator=(const MailChecker&) = delete;

  // The loaded toolbar whose indicators and commands are used; may be null.
  void SetModel(ToolbarModel* model) { model_ = model; }
  // A port that replaces every account's own (for tools and tests).
  void set_port(uint16_t port) { port_override_ = port; }

  void StartMailTimers();
  // Handles every timer id of the toolbar control (and the forced pass).
  void RunCheckPass(int timer_id);
  // The "CheckMail" service: makes every account due, then a forced pass.
  void CheckMailNow();
  void RefreshIndicators();
  bool CheckAccount(const std::string& number, bool forced);
  bool IsCheckDue(const std::string& number, long minutes);
  // A menu command: runs "GoToWebMailGate" with the account number when
  // `command_id` is a mailbox entry. False when the id is no mailbox entry.
  bool HandleMailboxCommand(int command_id);

  bool IsPassRunning() const { return pass_running_; }
  // What CheckAccount answered for each account of the last pass.
  const std::vector<bool>& last_pass_results() const { return results_; }
  Pop3Session& session() { return session_; }

 private:
  void BlinkStep();
  bool HasPop3Indicator() const;

  const MailAccountStore& store_;
  MessagePump& pump_;
  Clock& clock_;
  MailToolbar& toolbar_;
  Pop3Session session_;
  ToolbarModel* model_ = nullptr;
  std::optional<uint16_t> port_override_;
  bool check_timer_running_ = false;
  bool blink_timer_running_ = false;
  bool pass_running_ = false;
  std::vector<bool> results_;
};

}  // namespace zan

#endif  // ZAN_MAIL_MAIL_CHECKER_H_
