#include "hosts/band/mail_accounts_dialog.h"

// clang-format off
#include <commctrl.h>
// clang-format on

#include <vector>

#include "hosts/band/band_module.h"

namespace zan {
namespace {

int Id(AccountsControl control) { return static_cast<int>(control); }

// A message to a control of the template; nothing for one it does not hold
// (the security choice, which this dialog does not offer).
LRESULT Send(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
  return control != nullptr ? SendMessageA(control, message, wparam, lparam)
                            : 0;
}

}  // namespace

MailAccountsDialog::MailAccountsDialog(const SettingsStore& settings, Ui& ui)
    : store_(settings), presenter_(store_, *this, ui) {}

MailAccountsDialog::~MailAccountsDialog() = default;

INT_PTR MailAccountsDialog::Run(HWND owner) {
  owner_ = owner;
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  return DialogBoxParamA(BandModule(), MAKEINTRESOURCEA(kTemplateId), owner,
                         &DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK MailAccountsDialog::DialogProc(HWND window, UINT message,
                                                WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<MailAccountsDialog*>(lparam);
    SetWindowLongPtrA(window, DWLP_USER, lparam);
    dialog->OnInitDialog(window);
    return TRUE;  // the focus goes to the first control
  }
  auto* dialog = reinterpret_cast<MailAccountsDialog*>(
      GetWindowLongPtrA(window, DWLP_USER));
  if (dialog == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      dialog->OnCommand(LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_DESTROY:
      SetWindowLongPtrA(window, DWLP_USER, 0);
      dialog->window_ = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

void MailAccountsDialog::OnInitDialog(HWND window) {
  window_ = window;
  presenter_.OnInitDialog();
  if (tooltip_ != nullptr) SendMessageA(tooltip_, TTM_ACTIVATE, TRUE, 0);
  Centre();
}

void MailAccountsDialog::Centre() {
  RECT area{};
  if (owner_ == nullptr || !IsWindow(owner_) || !IsWindowVisible(owner_) ||
      IsIconic(owner_) || !GetWindowRect(owner_, &area)) {
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT own{};
  GetWindowRect(window_, &own);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  SetWindowPos(window_, nullptr,
               area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MailAccountsDialog::OnCommand(int id, int code) {
  using C = AccountsControl;
  switch (static_cast<C>(id)) {
    case C::kOk:
      if (code == BN_CLICKED) presenter_.OnOk();
      return;
    case C::kCancel:
      // Also Escape and the close box.
      if (code == BN_CLICKED) presenter_.OnCancel();
      return;
    case C::kAdd:
      if (code == BN_CLICKED) presenter_.OnAdd();
      return;
    case C::kDelete:
      if (code == BN_CLICKED) presenter_.OnDelete();
      return;
    case C::kList:
      if (code == LBN_SELCHANGE) {
        presenter_.OnSelectionChanged(
            static_cast<int>(Send(Control(C::kList), LB_GETCURSEL, 0, 0)));
      }
      return;
    case C::kServer:
      if (code == EN_CHANGE) presenter_.OnServerChanged(TextOf(C::kServer));
      return;
    case C::kUser:
      if (code == EN_CHANGE) presenter_.OnUserChanged(TextOf(C::kUser));
      return;
    case C::kPassword:
      if (code == EN_CHANGE) presenter_.OnPasswordChanged(TextOf(C::kPassword));
      return;
    case C::kInterval:
      if (code == EN_CHANGE) presenter_.OnIntervalChanged(TextOf(C::kInterval));
      return;
    case C::kSecure:
      if (code == BN_CLICKED) {
        presenter_.OnSecureToggled(IsDlgButtonChecked(window_, id) ==
                                   BST_CHECKED);
      }
      return;
    case C::kAutoCheck:
      if (code == BN_CLICKED) {
        presenter_.OnAutoCheckToggled(IsDlgButtonChecked(window_, id) ==
                                      BST_CHECKED);
      }
      return;
    case C::kSecurity:
      if (code == CBN_SELCHANGE) {
        presenter_.OnSecurityChosen(
            static_cast<int>(Send(Control(C::kSecurity), CB_GETCURSEL, 0, 0)));
      }
      return;
    default:
      return;
  }
}

HWND MailAccountsDialog::Control(AccountsControl control) const {
  return window_ != nullptr ? GetDlgItem(window_, Id(control)) : nullptr;
}

std::string MailAccountsDialog::TextOf(AccountsControl control) const {
  HWND item = Control(control);
  if (item == nullptr) return std::string();
  std::vector<char> text(static_cast<size_t>(GetWindowTextLengthA(item)) + 1);
  const int length =
      GetWindowTextA(item, text.data(), static_cast<int>(text.size()));
  return std::string(text.data(), static_cast<size_t>(length > 0 ? length : 0));
}

void MailAccountsDialog::AppendLine(const std::string& text) {
  Send(Control(AccountsControl::kList), LB_ADDSTRING, 0,
       reinterpret_cast<LPARAM>(text.c_str()));
}

void MailAccountsDialog::ReplaceLine(int index, const std::string& text) {
  HWND list = Control(AccountsControl::kList);
  Send(list, LB_DELETESTRING, index, 0);
  Send(list, LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text.c_str()));
}

void MailAccountsDialog::RemoveLine(int index) {
  Send(Control(AccountsControl::kList), LB_DELETESTRING, index, 0);
}

void MailAccountsDialog::SelectLine(int index) {
  // LB_SETCURSEL with -1 clears the selection.
  Send(Control(AccountsControl::kList), LB_SETCURSEL, index, 0);
}

void MailAccountsDialog::SetText(AccountsControl control,
                                 const std::string& text) {
  if (HWND item = Control(control)) SetWindowTextA(item, text.c_str());
}

void MailAccountsDialog::SetTextLimit(AccountsControl control, int characters) {
  Send(Control(control), EM_LIMITTEXT, characters, 0);
}

void MailAccountsDialog::SetSpinRange(int lowest, int highest) {
  Send(Control(AccountsControl::kSpin), UDM_SETRANGE32, lowest, highest);
}

void MailAccountsDialog::Enable(AccountsControl control, bool enabled) {
  if (HWND item = Control(control)) EnableWindow(item, enabled ? TRUE : FALSE);
}

void MailAccountsDialog::SetChecked(AccountsControl control, bool checked) {
  if (Control(control) != nullptr) {
    CheckDlgButton(window_, Id(control), checked ? BST_CHECKED : BST_UNCHECKED);
  }
}

void MailAccountsDialog::AddChoice(AccountsControl control,
                                   const std::string& text) {
  Send(Control(control), CB_ADDSTRING, 0,
       reinterpret_cast<LPARAM>(text.c_str()));
}

void MailAccountsDialog::SetChoice(AccountsControl control, int index) {
  Send(Control(control), CB_SETCURSEL, index, 0);
}

void MailAccountsDialog::AddTooltip(AccountsControl control,
                                    const std::string& text) {
  HWND item = Control(control);
  if (item == nullptr) return;
  if (tooltip_ == nullptr) {
    tooltip_ =
        CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, window_, nullptr, BandModule(), nullptr);
    if (tooltip_ == nullptr) return;
  }
  // The tooltip watches the mouse over the control itself (it subclasses
  // the control), so no mouse message needs relaying.
  std::string copy = text;
  TOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(item);
  tool.lpszText = copy.data();
  SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void MailAccountsDialog::EndDialog(AccountsControl button) {
  if (window_ != nullptr) ::EndDialog(window_, Id(button));
}

void RunMailAccountsDialog(const SettingsStore& settings, Ui& ui, HWND owner) {
  MailAccountsDialog dialog(settings, ui);
  dialog.Run(owner);
}

}  // namespace zan
