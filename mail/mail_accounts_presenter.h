#ifndef ZAN_MAIL_MAIL_ACCOUNTS_PRESENTER_H_
#define ZAN_MAIL_MAIL_ACCOUNTS_PRESENTER_H_

#include <string>
#include <vector>

#include "mail/mail_account_store.h"
#include "platform/ui.h"

namespace zan {

// The controls of the mail accounts dialog, by their identifiers.
enum class AccountsControl : int {
  kOk = 1,
  kCancel = 2,
  kList = 1022,
  kAdd = 1051,
  kDelete = 1052,
  kServer = 1129,
  kUser = 1130,
  kPassword = 1131,
  kInterval = 1132,
  kSecure = 1137,
  kEvery = 1138,
  kSpin = 1139,
  kAutoCheck = 1140,
  kMinutes = 1141,
  kSecurity = 1142,       // drop-down list: plain, STLS, TLS
  kSecurityLabel = 1143,  // "Sicherheit"
};

// The widgets of the dialog "POP3 Konten Konfigurieren", as the host
// realises them. Setting an edit's text may report the change back to the
// presenter at once, as a native edit does; the presenter ignores its own
// changes.
class MailAccountsView {
 public:
  virtual ~MailAccountsView() = default;
  virtual void AppendLine(const std::string& text) = 0;
  virtual void ReplaceLine(int index, const std::string& text) = 0;
  virtual void RemoveLine(int index) = 0;
  // -1: no line selected.
  virtual void SelectLine(int index) = 0;
  virtual void SetText(AccountsControl control, const std::string& text) = 0;
  virtual void SetTextLimit(AccountsControl control, int characters) = 0;
  virtual void SetSpinRange(int lowest, int highest) = 0;
  virtual void Enable(AccountsControl control, bool enabled) = 0;
  virtual void SetChecked(AccountsControl control, bool checked) = 0;
  // Appends one entry to a drop-down list.
  virtual void AddChoice(AccountsControl control, const std::string& text) = 0;
  // Shows entry `index` of a drop-down list (-1: none).
  virtual void SetChoice(AccountsControl control, int index) = 0;
  virtual void AddTooltip(AccountsControl control, const std::string& text) = 0;
  // Closes the dialog with kOk or kCancel.
  virtual void EndDialog(AccountsControl button) = 0;
};

// The behaviour of the mail accounts dialog without its widgets: it works
// on a copy of the stored accounts and writes them back only on OK.
class MailAccountsPresenter {
 public:
  static constexpr const char* kCaption = "POP3 Konten Konfigurieren";
  // Longest text an edit hands to an account.
  static constexpr size_t kMaxFieldLength = 99;
  static constexpr int kLowestInterval = 10;
  static constexpr int kHighestInterval = 180;
  // The entries of the security list, in the order of MailSecurity.
  static constexpr const char* kSecurityChoices[] = {"Keine", "STLS", "TLS"};

  // Loads the accounts.
  MailAccountsPresenter(const MailAccountStore& store, MailAccountsView& view,
                        Ui& ui);

  void OnInitDialog();
  void OnSelectionChanged(int index);
  void OnAdd();
  void OnDelete();
  void OnServerChanged(const std::string& text);
  void OnUserChanged(const std::string& text);
  void OnPasswordChanged(const std::string& text);
  void OnIntervalChanged(const std::string& text);
  void OnSecureToggled(bool checked);
  void OnAutoCheckToggled(bool checked);
  // Entry `index` of the security list: the account's security, and the
  // port that goes with it (110, 110 or 995).
  void OnSecurityChosen(int index);
  void OnOk();
  void OnCancel();

  const std::vector<MailAccount>& accounts() const { return accounts_; }
  int selection() const { return selection_; }
  bool modified() const { return modified_; }

  // The list line of an account: user name, " at ", server.
  static std::string LineOf(const MailAccount& account);

 private:
  void ShowSelected();
  void Select(int index);
  // The selected account, or null while the dialog fills its controls or no
  // line is selected.
  MailAccount* Editable();

  const MailAccountStore& store_;
  MailAccountsView& view_;
  Ui& ui_;
  std::vector<MailAccount> accounts_;
  int selection_ = -1;
  bool updating_ = false;
  bool modified_ = false;
};

}  // namespace zan

#endif  // ZAN_MAIL_MAIL_ACCOUNTS_PRESENTER_H_
