#include "mail/mail_accounts_presenter.h"

#include "settings/string_utils.h"

namespace zan {
namespace {

std::string Cut(const std::string& text) {
  return text.substr(0, MailAccountsPresenter::kMaxFieldLength);
}

}  // namespace

MailAccountsPresenter::MailAccountsPresenter(const MailAccountStore& store,
                                             MailAccountsView& view, Ui& ui)
    : store_(store), view_(view), ui_(ui), accounts_(store.LoadAccounts()) {}

std::string MailAccountsPresenter::LineOf(const MailAccount& account) {
  return account.account + " at " + account.server;
}

void MailAccountsPresenter::OnInitDialog() {
  for (const MailAccount& account : accounts_)
    view_.AppendLine(LineOf(account));
  view_.SetTextLimit(AccountsControl::kServer, 400);
  view_.SetTextLimit(AccountsControl::kUser, 400);
  view_.SetTextLimit(AccountsControl::kPassword, 400);
  view_.SetTextLimit(AccountsControl::kInterval, 3);
  view_.SetSpinRange(kLowestInterval, kHighestInterval);
  for (const char* choice : kSecurityChoices) {
    view_.AddChoice(AccountsControl::kSecurity, choice);
  }
  Select(accounts_.empty() ? -1 : 0);
  view_.AddTooltip(AccountsControl::kAdd, "Add POP3 Account");
  view_.AddTooltip(AccountsControl::kDelete, "Delete selected account");
  view_.AddTooltip(AccountsControl::kList, "List configured POP3 accounts");
}

void MailAccountsPresenter::Select(int index) {
  selection_ = index;
  view_.SelectLine(index);
  ShowSelected();
}

void MailAccountsPresenter::OnSelectionChanged(int index) {
  selection_ =
      (index >= 0 && index < static_cast<int>(accounts_.size())) ? index : -1;
  ShowSelected();
}

void MailAccountsPresenter::ShowSelected() {
  updating_ = true;
  using C = AccountsControl;
  if (selection_ < 0) {
    for (C control :
         {C::kServer, C::kUser, C::kPassword, C::kInterval, C::kSecure,
          C::kEvery, C::kMinutes, C::kSpin, C::kSecurity, C::kSecurityLabel}) {
      view_.Enable(control, false);
    }
    for (C control : {C::kServer, C::kUser, C::kPassword, C::kInterval}) {
      view_.SetText(control, "");
    }
    view_.SetChecked(C::kSecure, false);
    view_.SetChoice(C::kSecurity, -1);
  } else {
    const MailAccount& account = accounts_[selection_];
    for (C control : {C::kServer, C::kUser, C::kPassword, C::kSecure,
                      C::kAutoCheck, C::kSecurity, C::kSecurityLabel}) {
      view_.Enable(control, true);
    }
    bool automatic = ReadInteger(account.check_interval) >= 1;
    view_.SetChecked(C::kAutoCheck, automatic);
    for (C control : {C::kEvery, C::kMinutes, C::kInterval, C::kSpin}) {
      view_.Enable(control, automatic);
    }
    view_.SetText(C::kServer, account.server);
    view_.SetText(C::kUser, account.account);
    view_.SetText(C::kPassword, account.password);
    view_.SetText(C::kInterval, account.check_interval);
    view_.SetChecked(C::kSecure, account.secure_authentication == "1");
    view_.SetChoice(C::kSecurity, static_cast<int>(account.security));
  }
  updating_ = false;
}

MailAccount* MailAccountsPresenter::Editable() {
  if (updating_ || selection_ < 0 ||
      selection_ >= static_cast<int>(accounts_.size())) {
    return nullptr;
  }
  return &accounts_[selection_];
}

void MailAccountsPresenter::OnServerChanged(const std::string& text) {
  MailAccount* account = Editable();
  if (!account) return;
  account->server = Cut(text);
  modified_ = true;
  view_.ReplaceLine(selection_, LineOf(*account));
  view_.SelectLine(selection_);
}

void MailAccountsPresenter::OnUserChanged(const std::string& text) {
  MailAccount* account = Editable();
  if (!account) return;
  account->account = Cut(text);
  modified_ = true;
  view_.ReplaceLine(selection_, LineOf(*account));
  view_.SelectLine(selection_);
}

void MailAccountsPresenter::OnPasswordChanged(const std::string& text) {
  MailAccount* account = Editable();
  if (!account) return;
  account->password = Cut(text);
  modified_ = true;
}

void MailAccountsPresenter::OnIntervalChanged(const std::string& text) {
  MailAccount* account = Editable();
  if (!account) return;
  account->check_interval = Cut(text);
  modified_ = true;
}

void MailAccountsPresenter::OnSecureToggled(bool checked) {
  MailAccount* account = Editable();
  if (!account) return;
  account->secure_authentication = checked ? "1" : "0";
  modified_ = true;
}

void MailAccountsPresenter::OnAutoCheckToggled(bool checked) {
  MailAccount* account = Editable();
  if (!account) return;
  account->check_interval = checked ? "10" : "0";
  modified_ = true;
  ShowSelected();
}

void MailAccountsPresenter::OnSecurityChosen(int index) {
  MailAccount* account = Editable();
  if (!account || index < 0 || index > 2) return;
  MailSecurity security = static_cast<MailSecurity>(index);
  if (security == account->security) return;
  account->security = security;
  account->port = DefaultPortOf(security);
  modified_ = true;
}

void MailAccountsPresenter::OnAdd() {
  MailAccount account;
  account.server = "new server " + std::to_string(accounts_.size() + 1);
  account.account = "new account";
  account.password = "";
  account.check_interval = "10";
  account.secure_authentication = "0";
  accounts_.push_back(account);
  modified_ = true;
  view_.AppendLine(LineOf(account));
  Select(static_cast<int>(accounts_.size()) - 1);
}

void MailAccountsPresenter::OnDelete() {
  if (selection_ < 0 || selection_ >= static_cast<int>(accounts_.size())) {
    return;
  }
  if (ui_.ShowMessageBox(
          "Are you sure you want to delete selected POP3 account?",
          "Menu editor", MessageBoxButtons::kYesNo,
          MessageBoxIcon::kQuestion) != MessageBoxAnswer::kYes) {
    return;
  }
  int removed = selection_;
  accounts_.erase(accounts_.begin() + removed);
  modified_ = true;
  view_.RemoveLine(removed);
  int count = static_cast<int>(accounts_.size());
  Select(removed < count ? removed : count - 1);
}

void MailAccountsPresenter::OnOk() {
  store_.SaveAccounts(accounts_);
  view_.EndDialog(AccountsControl::kOk);
}

void MailAccountsPresenter::OnCancel() {
  modified_ = false;
  view_.EndDialog(AccountsControl::kCancel);
}

}  // namespace zan
