#include "hosts/band/common_controls_toolbar_view.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "hosts/band/band_module.h"
#include "hosts/band/combo_search_box_view.h"
#include "hosts/band/owner_drawn_menu.h"
#include "hosts/band/web_page_pane.h"

namespace zan {
namespace {

constexpr UINT kReflected = 0x2000;
constexpr int kFirstButtonId = 0x400;
constexpr int kFirstMenuId = 0x800;
constexpr int kLastRoutedId = 0x5AD0;

WNDPROC system_toolbar_proc = nullptr;

// A message that the keyboard hook forwards to a toolbar control.
constexpr UINT kForwardMessage = 0x37F;

// Asked of a window and its ancestors by the keyboard hook: a toolbar
// control answers with its window (when visible) and its process id.
UINT BarMessage() {
  static const UINT message =
      RegisterWindowMessageA("WTL_CmdBar_InternalGetBarMsg");
  return message;
}

// One message hook per thread, shared by the thread's toolbar controls.
struct ThreadHook {
  HHOOK hook = nullptr;
  int users = 0;
};
std::mutex thread_hooks_lock;
std::map<DWORD, ThreadHook>& ThreadHooks() {
  static std::map<DWORD, ThreadHook> hooks;
  return hooks;
}

// Every message the thread takes from its queue: one for a window inside
// a toolbar control of this process goes to that control as well.
LRESULT CALLBACK KeyboardHook(int code, WPARAM wparam, LPARAM lparam) {
  HHOOK next = nullptr;
  {
    std::lock_guard<std::mutex> lock(thread_hooks_lock);
    next = ThreadHooks()[GetCurrentThreadId()].hook;
  }
  auto* message = reinterpret_cast<MSG*>(lparam);
  if (code == HC_ACTION && wparam == PM_REMOVE && message->hwnd != nullptr &&
      message->message != BarMessage() && message->message != kForwardMessage) {
    for (HWND window = message->hwnd; window != nullptr;
         window = GetParent(window)) {
      DWORD process = 0;
      auto bar = reinterpret_cast<HWND>(SendMessageA(
          window, BarMessage(), reinterpret_cast<WPARAM>(&process), 0));
      if (bar != nullptr) {
        if (process == GetCurrentProcessId()) {
          SendMessageA(bar, kForwardMessage, 0, lparam);
        }
        break;
      }
    }
  }
  return CallNextHookEx(next, code, wparam, lparam);
}

void AddThreadHook() {
  std::lock_guard<std::mutex> lock(thread_hooks_lock);
  ThreadHook& share = ThreadHooks()[GetCurrentThreadId()];
  if (share.users++ == 0) {
    share.hook = SetWindowsHookExA(WH_GETMESSAGE, &KeyboardHook, nullptr,
                                   GetCurrentThreadId());
  }
}

void ReleaseThreadHook() {
  std::lock_guard<std::mutex> lock(thread_hooks_lock);
  auto found = ThreadHooks().find(GetCurrentThreadId());
  if (found == ThreadHooks().end()) return;
  if (--found->second.users == 0) {
    UnhookWindowsHookEx(found->second.hook);
    ThreadHooks().erase(found);
  }
}

LRESULT CALLBACK ToolbarProc(HWND window, UINT message, WPARAM wparam,
                             LPARAM lparam) {
  auto* view = reinterpret_cast<CommonControlsToolbarView*>(
      GetWindowLongPtrA(window, GWLP_USERDATA));
  LRESULT result = 0;
  if (view != nullptr && view->HandleMessage(message, wparam, lparam, result)) {
    return result;
  }
  return CallWindowProcA(system_toolbar_proc, window, message, wparam, lparam);
}

// "RYXToolBarCtrl": the system toolbar under the toolbar's own name.
bool RegisterToolbarClass() {
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_BAR_CLASSES | ICC_USEREX_CLASSES};
  InitCommonControlsEx(&controls);
  system_toolbar_proc =
      RegisterSuperclass(TOOLBARCLASSNAMEA, kToolbarClass, &ToolbarProc);
  return system_toolbar_proc != nullptr;
}

Rect FromRect(const RECT& rect) {
  return Rect{rect.left, rect.top, rect.right, rect.bottom};
}

void MoveTo(HWND window, Rect rect) {
  MoveWindow(window, rect.left, rect.top, rect.right - rect.left,
             rect.bottom - rect.top, TRUE);
}

// The top-left pixel of a bitmap: the colour drawn transparent.
COLORREF CornerColor(HBITMAP bitmap) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const COLORREF color = GetPixel(dc, 0, 0);
  SelectObject(dc, old);
  DeleteDC(dc);
  return color;
}

HIMAGELIST LoadImageStrip(const std::string& file, int image_width) {
  if (file.empty() || image_width <= 0) return nullptr;
  auto bitmap = static_cast<HBITMAP>(
      LoadImageA(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  if (bitmap == nullptr) return nullptr;
  BITMAP info{};
  GetObjectA(bitmap, sizeof(info), &info);
  HIMAGELIST list = nullptr;
  if (info.bmWidth >= image_width) {
    list = ImageList_Create(image_width, info.bmHeight, ILC_COLOR24 | ILC_MASK,
                            info.bmWidth / image_width, 0);
    if (list != nullptr) ImageList_AddMasked(list, bitmap, CornerColor(bitmap));
  }
  DeleteObject(bitmap);
  return list;
}

// A one-button toolbar over a button whose face is a bitmap.
class ChildToolbarMenuButton : public MenuButtonView {
 public:
  ChildToolbarMenuButton(HWND parent, const MenuButtonDesc& desc) {
    window_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", 0x5600194D, 0, 0, 0, 0,
                              parent, nullptr, BandModule(), nullptr);
    SendMessageA(window_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (desc.draw_arrows) {
      SendMessageA(window_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    }
    const int width = std::max(desc.image_size.width, 1);
    images_ = LoadImageStrip(desc.image_file, width);
    hot_images_ = LoadImageStrip(
        desc.hot_image_file.empty() ? desc.image_file : desc.hot_image_file,
        width);
    SendMessageA(window_, TB_SETIMAGELIST, 0,
                 reinterpret_cast<LPARAM>(images_));
    SendMessageA(window_, TB_SETHOTIMAGELIST, 0,
                 reinterpret_cast<LPARAM>(hot_images_));
    std::string pool = desc.caption;
    pool.push_back('\0');
    pool.push_back('\0');
    const auto text = static_cast<int>(SendMessageA(
        window_, TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(pool.data())));
    TBBUTTON button{};
    button.iBitmap = 0;
    button.idCommand = desc.command_id;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = static_cast<BYTE>(desc.whole_dropdown ? BTNS_WHOLEDROPDOWN
                                                           : BTNS_DROPDOWN);
    button.iString = text;
    SendMessageA(window_, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
    SendMessageA(window_, TB_AUTOSIZE, 0, 0);
  }
  ~ChildToolbarMenuButton() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    if (images_ != nullptr) ImageList_Destroy(images_);
    if (hot_images_ != nullptr) ImageList_Destroy(hot_images_);
  }
  void Move(Rect rect) override {
    MoveTo(window_, rect);
    SendMessageA(window_, TB_SETBUTTONSIZE, 0,
                 MAKELPARAM(std::max(rect.right - rect.left - 18, 0),
                            rect.bottom - rect.top));
  }
  void Show(bool show) override {
    ShowWindow(window_, show ? SW_SHOWNOACTIVATE : SW_HIDE);
  }

 private:
  HWND window_ = nullptr;
  HIMAGELIST images_ = nullptr;
  HIMAGELIST hot_images_ = nullptr;
};

}  // namespace

CommonControlsToolbarView::CommonControlsToolbarView(HWND parent, Rect rect) {
  RegisterToolbarClass();
  window_ =
      CreateWindowExA(0, kToolbarClass, "", 0x5600094D, rect.left, rect.top,
                      rect.right - rect.left, rect.bottom - rect.top, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(0xE800)),
                      BandModule(), nullptr);
  if (window_ == nullptr) return;
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  Send(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
  Send(TB_SETIMAGELIST, 0, 0);
  AddThreadHook();
}

CommonControlsToolbarView::~CommonControlsToolbarView() {
  if (window_ != nullptr) ReleaseThreadHook();
  if (IsWindow(window_)) {
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  if (images_ != nullptr) ImageList_Destroy(images_);
  if (hot_images_ != nullptr) ImageList_Destroy(hot_images_);
  if (font_ != nullptr) DeleteObject(font_);
}

bool CommonControlsToolbarView::HandleMessage(UINT message, WPARAM wparam,
                                              LPARAM lparam, LRESULT& result) {
  if (message == BarMessage()) {
    if (wparam != 0) *reinterpret_cast<DWORD*>(wparam) = GetCurrentProcessId();
    result = IsWindowVisible(window_) ? reinterpret_cast<LRESULT>(window_) : 0;
    return true;
  }
  if (events_ == nullptr) return false;
  if (message == kForwardMessage) {
    const auto* forwarded = reinterpret_cast<const MSG*>(lparam);
    if (forwarded->message == WM_KEYDOWN && forwarded->wParam == VK_TAB) {
      result = events_->OnTabKey(GetKeyState(VK_SHIFT) < 0) ? 1 : 0;
      return true;
    }
    return false;
  }
  const int id = LOWORD(wparam);
  switch (message) {
    case kReflected + WM_COMMAND:
      if (id >= kFirstButtonId && id <= kLastRoutedId) {
        events_->OnButtonCommand(id);
        return true;
      }
      return false;
    case WM_COMMAND:
      if (lparam != 0 && id >= kFirstSearchBoxId) {
        auto* box =
            ComboSearchBoxView::FromWindow(reinterpret_cast<HWND>(lparam));
        if (box != nullptr) box->OnNotification(HIWORD(wparam));
        return box != nullptr;
      }
      // From a menu (no control), or from a button's own small toolbar.
      if (lparam == 0 && id >= kFirstMenuId && id <= kLastRoutedId) {
        events_->OnMenuCommand(id);
        return true;
      }
      if (lparam != 0 && id >= kFirstButtonId && id < kFirstMenuId) {
        events_->OnButtonCommand(id);
        return true;
      }
      return false;
    case kReflected + WM_NOTIFY:
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lparam);
      if (header->code == TBN_DROPDOWN) {
        auto* notice = reinterpret_cast<NMTOOLBARA*>(lparam);
        RECT rect = notice->rcButton;
        MapWindowPoints(header->hwndFrom, nullptr,
                        reinterpret_cast<POINT*>(&rect), 2);
        events_->OnDropDown(notice->iItem, FromRect(rect));
        result = TBDDRET_DEFAULT;
        return true;
      }
      if (header->code == TTN_GETDISPINFOA) {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(lparam);
        tooltip_text_ = events_->GetTooltip(static_cast<int>(header->idFrom));
        info->lpszText = tooltip_text_.data();
        return true;
      }
      return false;
    }
    case WM_MENUSELECT: {
      const UINT flags = HIWORD(wparam);
      if (flags == 0xFFFF && lparam == 0) {
        events_->OnMenuSelect(0, false);
      } else {
        events_->OnMenuSelect(id, (flags & MF_POPUP) != 0);
      }
      return false;
    }
    case WM_TIMER:
      events_->OnTimer(static_cast<int>(wparam));
      return true;
    case WM_MEASUREITEM:
      if (shown_menu_ != nullptr &&
          shown_menu_->Measure(*reinterpret_cast<MEASUREITEMSTRUCT*>(lparam))) {
        result = TRUE;
        return true;
      }
      return false;
    case WM_DRAWITEM:
      if (shown_menu_ != nullptr &&
          shown_menu_->Draw(*reinterpret_cast<DRAWITEMSTRUCT*>(lparam),
                            images_)) {
        result = TRUE;
        return true;
      }
      return false;
    default:
      return false;
  }
}

void CommonControlsToolbarView::SetFont(const FontDesc& font) {
  HFONT created = CreateFontA(
      font.height, 0, 0, 0, font.weight, font.italic, FALSE, FALSE,
      DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
      static_cast<DWORD>(font.pitch_and_family), font.face.c_str());
  if (created == nullptr) return;
  Send(WM_SETFONT, reinterpret_cast<WPARAM>(created), TRUE);
  if (font_ != nullptr) DeleteObject(font_);
  font_ = created;
}

void CommonControlsToolbarView::SetExtendedStyle(int ex_style) {
  Send(TB_SETEXTENDEDSTYLE, 0, ex_style);
}

void CommonControlsToolbarView::SetBitmapSize(Size size) {
  Send(TB_SETBITMAPSIZE, 0, MAKELPARAM(size.width, size.height));
}

bool CommonControlsToolbarView::SetImageLists(const std::string& normal_file,
                                              const std::string& hot_file,
                                              int image_width) {
  HIMAGELIST normal = LoadImageStrip(normal_file, image_width);
  HIMAGELIST hot = LoadImageStrip(hot_file, image_width);
  Send(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(normal));
  Send(TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(hot));
  if (images_ != nullptr) ImageList_Destroy(images_);
  if (hot_images_ != nullptr) ImageList_Destroy(hot_images_);
  images_ = normal;
  hot_images_ = hot;
  return images_ != nullptr && ImageList_GetImageCount(images_) > 0;
}

int CommonControlsToolbarView::ButtonCount() const {
  return static_cast<int>(Send(TB_BUTTONCOUNT));
}

void CommonControlsToolbarView::DeleteButton(int index) {
  Send(TB_DELETEBUTTON, index);
}

void CommonControlsToolbarView::AddButtons(
    const std::vector<ToolbarButtonDesc>& buttons) {
  const int pool_size = added_strings_;
  std::vector<TBBUTTON> system(buttons.size());
  for (size_t i = 0; i < buttons.size(); ++i) {
    system[i].iBitmap = buttons[i].image;
    system[i].idCommand = buttons[i].command_id;
    system[i].fsState = static_cast<BYTE>(buttons[i].state);
    system[i].fsStyle = static_cast<BYTE>(buttons[i].style);
    // The toolbar logic numbers the texts of each assembly from 0; the
    // system's pool keeps the texts of earlier ones, so this assembly's
    // texts follow them.
    system[i].iString = pool_size + buttons[i].string_index;
  }
  Send(TB_ADDBUTTONSA, system.size(), reinterpret_cast<LPARAM>(system.data()));
}

int CommonControlsToolbarView::AddString(const std::string& text) {
  std::string pool = text;
  pool.push_back('\0');
  pool.push_back('\0');
  const auto index = static_cast<int>(
      Send(TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(pool.data())));
  if (index >= 0) added_strings_ = index + 1;
  return index;
}

std::optional<Rect> CommonControlsToolbarView::GetItemRect(int index) const {
  RECT rect{};
  if (!Send(TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect))) {
    return std::nullopt;
  }
  return FromRect(rect);
}

int CommonControlsToolbarView::CommandToIndex(int command_id) const {
  return static_cast<int>(Send(TB_COMMANDTOINDEX, command_id));
}

void CommonControlsToolbarView::SetButtonInfo(int command_id,
                                              const ButtonInfo& info) {
  TBBUTTONINFOA button{};
  button.cbSize = sizeof(button);
  std::string text;
  if (info.text) {
    text = *info.text;
    button.dwMask |= TBIF_TEXT;
    button.pszText = text.data();
  }
  if (info.image) {
    button.dwMask |= TBIF_IMAGE;
    button.iImage = *info.image;
  }
  if (info.style) {
    button.dwMask |= TBIF_STYLE;
    button.fsStyle = static_cast<BYTE>(*info.style);
  }
  if (info.state) {
    button.dwMask |= TBIF_STATE;
    button.fsState = static_cast<BYTE>(*info.state);
  }
  if (info.width) {
    button.dwMask |= TBIF_SIZE;
    button.cx = static_cast<WORD>(*info.width);
  }
  Send(TB_SETBUTTONINFOA, command_id, reinterpret_cast<LPARAM>(&button));
}

void CommonControlsToolbarView::HideButton(int command_id, bool hide) {
  Send(TB_HIDEBUTTON, command_id, MAKELPARAM(hide ? TRUE : FALSE, 0));
}

void CommonControlsToolbarView::EnableButton(int command_id, bool enable) {
  Send(TB_ENABLEBUTTON, command_id, MAKELPARAM(enable ? TRUE : FALSE, 0));
}

void CommonControlsToolbarView::CheckButton(int command_id, bool check) {
  Send(TB_CHECKBUTTON, command_id, MAKELPARAM(check ? TRUE : FALSE, 0));
}

bool CommonControlsToolbarView::IsButtonChecked(int command_id) const {
  return Send(TB_ISBUTTONCHECKED, command_id) != 0;
}

int CommonControlsToolbarView::GetButtonState(int command_id) const {
  return static_cast<int>(Send(TB_GETSTATE, command_id));
}

void CommonControlsToolbarView::AutoSize() { Send(TB_AUTOSIZE); }

int CommonControlsToolbarView::HitTest(Point p) const {
  POINT point{p.x, p.y};
  const auto index =
      static_cast<int>(Send(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&point)));
  return index >= 0 ? index : -1;
}

std::unique_ptr<PaneView> CommonControlsToolbarView::CreatePane() {
  return std::make_unique<WebPagePane>(window_);
}

std::unique_ptr<MenuButtonView> CommonControlsToolbarView::CreateMenuButton(
    const MenuButtonDesc& desc) {
  return std::make_unique<ChildToolbarMenuButton>(window_, desc);
}

std::unique_ptr<SearchBoxView> CommonControlsToolbarView::CreateSearchBox(
    int item_index, const SearchBoxDesc& desc) {
  return std::make_unique<ComboSearchBoxView>(window_, item_index, desc,
                                              events_, focus_handler_);
}

void CommonControlsToolbarView::TrackPopupMenu(const PopupMenu& menu,
                                               Point screen_point) {
  OwnerDrawnMenu popup(menu);
  shown_menu_ = &popup;
  ::TrackPopupMenu(popup.handle(), TPM_RIGHTBUTTON, screen_point.x,
                   screen_point.y, 0, window_, nullptr);
  shown_menu_ = nullptr;
}

void CommonControlsToolbarView::StartTimer(int timer_id, int interval_ms) {
  SetTimer(window_, static_cast<UINT_PTR>(timer_id),
           static_cast<UINT>(interval_ms), nullptr);
}

void CommonControlsToolbarView::KillTimer(int timer_id) {
  ::KillTimer(window_, static_cast<UINT_PTR>(timer_id));
}

void CommonControlsToolbarView::SetWaitCursor(bool wait) {
  SetCursor(LoadCursorA(nullptr, wait ? IDC_WAIT : IDC_ARROW));
}

void CommonControlsToolbarView::FocusParent() {
  ::SetFocus(GetParent(window_));
}

Color CommonControlsToolbarView::ButtonFaceColor() const {
  const COLORREF color = GetSysColor(COLOR_BTNFACE);
  return Color{GetRValue(color), GetGValue(color), GetBValue(color)};
}

void CommonControlsToolbarView::SetIdealWidth(int width) {
  ideal_width_ = width;
  if (ideal_width_handler_) ideal_width_handler_(width);
}

}  // namespace zan
