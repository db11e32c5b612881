#ifndef ZAN_HOSTS_BAND_MAIL_ACCOUNTS_DIALOG_H_
#define ZAN_HOSTS_BAND_MAIL_ACCOUNTS_DIALOG_H_

#include <windows.h>

#include <string>

#include "mail/mail_account_store.h"
#include "mail/mail_accounts_presenter.h"
#include "platform/ui.h"
#include "settings/settings_store.h"

namespace zan {

// The modal dialog "POP3 Konten Konfigurieren" from the DLL's dialog
// template 328: the system's list box, edits, check boxes and up-down
// control, whose notifications go to the presenter and whose contents the
// presenter sets. The accounts are loaded when the object is made and
// stored when the user presses OK.
class MailAccountsDialog : public MailAccountsView {
 public:
  static constexpr int kTemplateId = 328;

  MailAccountsDialog(const SettingsStore& settings, Ui& ui);
  ~MailAccountsDialog() override;
  MailAccountsDialog(const MailAccountsDialog&) = delete;
  MailAccountsDialog& operator=(const MailAccountsDialog&) = delete;

  // Shows the dialog over `owner` (may be null) until OK or cancel closes
  // it: IDOK or IDCANCEL, -1 when the template could not be shown.
  INT_PTR Run(HWND owner);

  // MailAccountsView:
  void AppendLine(const std::string& text) override;
  void ReplaceLine(int index, const std::string& text) override;
  void RemoveLine(int index) override;
  void SelectLine(int index) override;
  void SetText(AccountsControl control, const std::string& text) override;
  void SetTextLimit(AccountsControl control, int characters) override;
  void SetSpinRange(int lowest, int highest) override;
  void Enable(AccountsControl control, bool enabled) override;
  void SetChecked(AccountsControl control, bool checked) override;
  void AddChoice(AccountsControl control, const std::string& text) override;
  void SetChoice(AccountsControl control, int index) override;
  void AddTooltip(AccountsControl control, const std::string& text) override;
  void EndDialog(AccountsControl button) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam,
                                     LPARAM lparam);
  void OnInitDialog(HWND window);
  void OnCommand(int id, int code);
  HWND Control(AccountsControl control) const;
  std::string TextOf(AccountsControl control) const;
  // Over the owner, or over the work area without a usable owner.
  void Centre();

  MailAccountStore store_;
  MailAccountsPresenter presenter_;
  HWND window_ = nullptr;
  HWND owner_ = nullptr;
  HWND tooltip_ = nullptr;
};

// Shows the dialog modally with `owner` (the browser's active window) and
// returns when it is closed.
void RunMailAccountsDialog(const SettingsStore& settings, Ui& ui, HWND owner);

}  // namespace zan

#endif  // ZAN_HOSTS_BAND_MAIL_ACCOUNTS_DIALOG_H_
