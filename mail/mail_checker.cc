#include "mail/mail_checker.h"

#include "mail/mail_indicator.h"
#include "mail/mailbox_menu.h"
#include "settings/string_utils.h"

namespace zan {

MailChecker::MailChecker(const MailAccountStore& store,
                         TcpConnectionFactory& connections, MessagePump& pump,
                         Clock& clock, MailToolbar& toolbar)
    : store_(store),
      pump_(pump),
      clock_(clock),
      toolbar_(toolbar),
      session_(connections, pump,
               [&store](const std::string& number, const std::string& text) {
                 store.WriteError(number, text);
               }) {}

bool MailChecker::HasPop3Indicator() const {
  if (!model_) return false;
  for (const ToolbarIndicator* indicator : model_->indicators) {
    if (indicator && indicator->type == "POP3") return true;
  }
  return false;
}

void MailChecker::StartMailTimers() {
  if (check_timer_running_) {
    toolbar_.KillTimer(kMailCheckTimerId);
    check_timer_running_ = false;
  }
  if (!HasPop3Indicator()) return;
  toolbar_.StartTimer(kMailCheckTimerId, kMailCheckPeriodMs);
  check_timer_running_ = true;
  RunCheckPass(kMailCheckTimerId);
}

void MailChecker::RunCheckPass(int timer_id) {
  if (timer_id == kBlinkTimerId) {
    BlinkStep();
    return;
  }
  if (timer_id != kMailCheckTimerId && timer_id != kMailCheckNowId) return;
  // While a check waits for its server, ticks and commands keep arriving on
  // this thread; they must not start a second pass.
  if (pass_running_) return;
  pass_running_ = true;
  results_.clear();
  bool forced = timer_id == kMailCheckNowId;
  uint32_t count = store_.AccountCount();
  if (count == 0) {
    pass_running_ = false;
    return;
  }
  for (uint32_t n = 1; n <= count; ++n) {
    // A browser that is closing ends the pass: its waits would only mark
    // the remaining accounts with errors they do not have.
    if (pump_.IsQuitPending()) break;
    results_.push_back(CheckAccount(std::to_string(n), forced));
  }
  pass_running_ = false;
  RefreshIndicators();
}

void MailChecker::CheckMailNow() {
  uint32_t count = store_.AccountCount();
  for (uint32_t n = 1; n <= count; ++n) {
    store_.DeleteLastCheckTime(std::to_string(n));
  }
  RunCheckPass(kMailCheckNowId);
}

bool MailChecker::CheckAccount(const std::string& number, bool forced) {
  if (session_.IsLoggedIn()) return false;
  session_.SetAccountNumber(number);

  bool stale_busy = false;
  if (store_.ReadBusy(number) == 1u) {
    int64_t last = store_.ReadLastCheckTime(number).value_or(0);
    if (clock_.Now() - last <= kStaleBusySeconds) return true;
    stale_busy = true;
  }

  std::optional<std::string> password = store_.ReadPassword(number);
  std::optional<std::string> user = store_.ReadUser(number);
  std::optional<std::string> server = store_.ReadServer(number);
  std::optional<std::string> interval = store_.ReadInterval(number);
  bool apop = store_.ReadSecureFlag(number) == "1";

  if (interval) {
    long minutes = ReadInteger(*interval);
    if (forced || minutes >= 1) {
      if (!IsCheckDue(number, minutes)) return true;
    } else {
      return true;  // automatic checking is off for this account
    }
  }
  if (!password || !user || !server) return false;

  if (stale_busy) {
    store_.WriteBusy(number, 1);
  } else if (!store_.TakeBusy(number)) {
    return true;  // another instance took the account a moment ago
  }
  // Read only for an account that is checked now: a pass asks every account.
  MailSecurity security = store_.ReadSecurity(number);
  uint16_t port = port_override_ ? *port_override_ : store_.ReadPort(number);
  if (!session_.Connect(*server, port, security)) {
    store_.WriteBusy(number, 0);
    return false;
  }
  if (!session_.Login(*user, *password, apop)) {
    store_.WriteBusy(number, 0);
    return false;
  }
  std::string status;
  if (!session_.Stat(&status)) status.clear();
  // A request to quit (or a toolbar that goes away) ends every wait of the
  // session as if an empty answer had come: such a check learnt nothing,
  // and the stored status stays.
  if (pump_.IsQuitPending()) {
    session_.Close();
    store_.WriteBusy(number, 0);
    return false;
  }
  store_.WriteStats(number, status);
  session_.Close();
  store_.WriteBusy(number, 0);
  return true;
}

bool MailChecker::IsCheckDue(const std::string& number, long minutes) {
  int64_t last = store_.ReadLastCheckTime(number).value_or(0);
  int64_t now = clock_.Now();
  if (minutes >= 0 && last + static_cast<int64_t>(minutes) * 60 - now >= 0) {
    return false;
  }
  store_.WriteLastCheckTime(number, static_cast<uint32_t>(now));
  return true;
}

void MailChecker::RefreshIndicators() {
  bool blinking = false;
  if (model_) {
    for (ToolbarIndicator* indicator : model_->indicators) {
      if (!indicator) continue;
      EvaluateIndicator(*indicator, store_);
      toolbar_.ShowIndicator(*indicator);
      blinking = blinking || indicator->blinking;
    }
  }
  if (blinking) {
    toolbar_.StartTimer(kBlinkTimerId, kBlinkPeriodMs);
    blink_timer_running_ = true;
  } else if (blink_timer_running_) {
    toolbar_.KillTimer(kBlinkTimerId);
    blink_timer_running_ = false;
  }
}

void MailChecker::BlinkStep() {
  if (!model_) return;
  for (ToolbarIndicator* indicator : model_->indicators) {
    if (!indicator || !indicator->blinking) continue;
    BlinkIndicator(*indicator);
    toolbar_.ShowIndicator(*indicator);
  }
}

bool MailChecker::HandleMailboxCommand(int command_id) {
  std::optional<uint32_t> account = MailboxAccountOfCommand(command_id);
  if (!account) return false;
  if (!model_) return true;
  int index = model_->FindCommandIndex(kWebMailCommandName);
  if (index >= 0) toolbar_.RunCommand(index, std::to_string(*account));
  return true;
}

}  // namespace zan
