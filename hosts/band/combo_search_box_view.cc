#include "hosts/band/combo_search_box_view.h"

// clang-format off
#include <commctrl.h>
#include <ole2.h>
// clang-format on

#include <algorithm>

#include "hosts/band/band_module.h"
#include "hosts/band/search_box_drop_target.h"

namespace zan {
namespace {

// The window property that leads from a box's windows to the box.
constexpr char kOwnerProperty[] = "ZanSearchBox";
// The list of a combo box reaches this far below the box when it opens.
constexpr int kListHeight = 200;

// The boxes' window classes: the system's combo box and edit under the
// toolbar's own names.
constexpr char kComboBoxClass[] = "RYX_ComboBox";
constexpr char kEditClass[] = "RYX_Edit";

bool IsKeyMessage(UINT message) {
  return message == WM_KEYDOWN || message == WM_KEYUP ||
         message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
}

// Keys and commands that edit or move rather than type: Backspace, Delete,
// the arrows left and right, Home, End, Ctrl+C/V/X (also as the control
// characters they type), and the edit's clipboard and undo commands.
bool EditsOrMoves(UINT message, WPARAM wparam) {
  if (IsKeyMessage(message)) {
    switch (wparam) {
      case VK_BACK:
      case VK_DELETE:
      case VK_LEFT:
      case VK_RIGHT:
      case VK_HOME:
      case VK_END:
        return true;
      case 'C':
      case 'V':
      case 'X':
        return GetKeyState(VK_CONTROL) < 0;
      default:
        return false;
    }
  }
  if (message == WM_CHAR) {
    // Backspace, Ctrl+Backspace, Ctrl+C, Ctrl+V, Ctrl+X.
    return wparam == 0x08 || wparam == 0x7F || wparam == 0x03 ||
           wparam == 0x16 || wparam == 0x18;
  }
  return message == WM_PASTE || message == WM_CUT || message == WM_CLEAR ||
         message == WM_UNDO || message == EM_UNDO;
}

std::string WindowText(HWND window) {
  std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<size_t>(
      GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

ComboSearchBoxView::ComboSearchBoxView(
    HWND parent, int item_index, const SearchBoxDesc& desc,
    ToolbarViewEvents* const& events,
    const std::function<void(bool)>& focus_handler)
    : value_list_(desc.value_list && !desc.edit_only),
      edit_only_(desc.edit_only),
      item_index_(item_index),
      events_(events),
      focus_handler_(focus_handler) {
  auto* id = reinterpret_cast<HMENU>(
      static_cast<INT_PTR>(kFirstSearchBoxId + item_index));
  if (edit_only_) {
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER |
                        ES_AUTOHSCROLL | (desc.password ? ES_PASSWORD : 0);
    RegisterSuperclass(WC_EDITA, kEditClass);
    window_ = CreateWindowExA(WS_EX_CLIENTEDGE, kEditClass, "", style, 0, 0,
                              100, 20, parent, id, BandModule(), nullptr);
  } else {
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP |
                        CBS_AUTOHSCROLL |
                        (value_list_ ? CBS_DROPDOWNLIST : CBS_DROPDOWN);
    RegisterSuperclass(WC_COMBOBOXA, kComboBoxClass);
    window_ = CreateWindowExA(0, kComboBoxClass, "", style, 0, 0, 100,
                              kListHeight, parent, id, BandModule(), nullptr);
  }
  if (window_ == nullptr) return;
  SendMessageA(window_, WM_SETFONT, SendMessageA(parent, WM_GETFONT, 0, 0),
               FALSE);
  if (desc.max_chars > 0) {
    SendMessageA(window_, edit_only_ ? EM_LIMITTEXT : CB_LIMITTEXT,
                 static_cast<WPARAM>(desc.max_chars), 0);
  }
  SetEntries(desc.entries);
  SetPropA(window_, kOwnerProperty, this);
  if (edit_only_) {
    edit_ = window_;
  } else if (!value_list_) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (GetComboBoxInfo(window_, &info)) edit_ = info.hwndItem;
  }
  if (edit_ != nullptr) {
    if (edit_ != window_) SetPropA(edit_, kOwnerProperty, this);
    edit_proc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProc)));
  }
  AddTooltip(parent, desc.hint);
  // Dropped text fills the box (and searches, as the toolbar decides).
  // Registration needs OLE on this thread, which the browser has started;
  // without it the box takes no drops.
  drop_target_ = new SearchBoxDropTarget(
      [this](const std::string& text) { OnDrop(text); });
  drop_registered_ = SUCCEEDED(RegisterDragDrop(window_, drop_target_));
}

ComboSearchBoxView::~ComboSearchBoxView() {
  if (drop_target_ != nullptr) {
    drop_target_->Detach();
    if (drop_registered_) RevokeDragDrop(window_);
    drop_target_->Release();
  }
  if (tooltips_ != nullptr && IsWindow(tooltips_)) {
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = GetParent(window_);
    tool.uId = reinterpret_cast<UINT_PTR>(edit_ != nullptr ? edit_ : window_);
    SendMessageA(tooltips_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  if (edit_ != nullptr && IsWindow(edit_)) {
    SetWindowLongPtrA(edit_, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(edit_proc_));
    RemovePropA(edit_, kOwnerProperty);
  }
  if (IsWindow(window_)) {
    RemovePropA(window_, kOwnerProperty);
    DestroyWindow(window_);
  }
}

ComboSearchBoxView* ComboSearchBoxView::FromWindow(HWND window) {
  return static_cast<ComboSearchBoxView*>(GetPropA(window, kOwnerProperty));
}

bool ComboSearchBoxView::TranslateAccelerator(const MSG& message) {
  HWND focus = GetFocus();
  ComboSearchBoxView* box = focus != nullptr ? FromWindow(focus) : nullptr;
  if (box == nullptr) return false;
  const bool key = IsKeyMessage(message.message) || message.message == WM_CHAR;
  if (!key) return false;
  if (message.wParam == VK_TAB) return true;
  const bool list_key =
      IsKeyMessage(message.message) &&
      (message.wParam == VK_ESCAPE || message.wParam == VK_RETURN) &&
      box->ListDropped();
  // The keys a focused box takes from the browser at once.
  if (!list_key && !EditsOrMoves(message.message, message.wParam)) {
    return false;
  }
  TranslateMessage(&message);
  DispatchMessageA(&message);
  return true;
}

void ComboSearchBoxView::AddTooltip(HWND parent, const std::string& hint) {
  tooltips_ =
      reinterpret_cast<HWND>(SendMessageA(parent, TB_GETTOOLTIPS, 0, 0));
  if (tooltips_ == nullptr || hint.empty()) return;
  std::string text = hint;
  TOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = parent;
  tool.uId = reinterpret_cast<UINT_PTR>(edit_ != nullptr ? edit_ : window_);
  tool.lpszText = text.data();
  SendMessageA(tooltips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void ComboSearchBoxView::OnNotification(int code) {
  const bool got_focus = code == (edit_only_ ? EN_SETFOCUS : CBN_SETFOCUS);
  const bool lost_focus = code == (edit_only_ ? EN_KILLFOCUS : CBN_KILLFOCUS);
  if ((got_focus || lost_focus) && focus_handler_) focus_handler_(got_focus);
  if (events_ == nullptr) return;
  if (edit_only_) {
    if (code == EN_CHANGE && !changing_) {
      events_->OnSearchBoxChanged(item_index_);
    }
    return;
  }
  switch (code) {
    case CBN_EDITCHANGE:
      if (!changing_) events_->OnSearchBoxChanged(item_index_);
      break;
    case CBN_DROPDOWN:
      events_->OnSearchBoxListOpening(item_index_);
      break;
    case CBN_SELCHANGE:
      // A value list takes every change of its entry as the choice; a
      // history box whose list is closed is browsed by the arrow keys or
      // the wheel (a choice in the open list ends with CBN_SELENDOK).
      if (value_list_) {
        events_->OnSearchBoxSelected(item_index_, CurrentIndex());
      } else if (!changing_ && !ListDropped()) {
        events_->OnSearchBoxBrowsed(
            item_index_,
            static_cast<int>(SendMessageA(window_, CB_GETCURSEL, 0, 0)));
      }
      break;
    case CBN_SELENDOK:
      if (!value_list_ && !changing_ && ListDropped()) {
        const auto index =
            static_cast<int>(SendMessageA(window_, CB_GETCURSEL, 0, 0));
        if (index >= 0) events_->OnSearchBoxSelected(item_index_, index);
      }
      break;
    default:
      break;
  }
}

bool ComboSearchBoxView::ListDropped() const {
  return !edit_only_ && SendMessageA(window_, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void ComboSearchBoxView::OnDrop(const std::string& text) {
  if (events_ != nullptr) events_->OnSearchBoxDrop(item_index_, text);
}

LRESULT CALLBACK ComboSearchBoxView::EditProc(HWND edit, UINT message,
                                              WPARAM wparam, LPARAM lparam) {
  ComboSearchBoxView* box = FromWindow(edit);
  if (box == nullptr) return DefWindowProcA(edit, message, wparam, lparam);
  return box->OnEditMessage(message, wparam, lparam);
}

LRESULT ComboSearchBoxView::OnEditMessage(UINT message, WPARAM wparam,
                                          LPARAM lparam) {
  if (message == WM_KEYDOWN && wparam == VK_RETURN) {
    if (ListDropped()) {
      // Enter in the open list chooses its highlighted entry.
      const auto index =
          static_cast<int>(SendMessageA(window_, CB_GETCURSEL, 0, 0));
      changing_ = true;
      SendMessageA(window_, CB_SHOWDROPDOWN, FALSE, 0);
      changing_ = false;
      if (events_ != nullptr && index >= 0) {
        events_->OnSearchBoxSelected(item_index_, index);
        return 0;
      }
    }
    // One search per press: a held key repeats without searching again.
    // The search may rebuild the toolbar: nothing of the box is touched
    // after it.
    const bool repeat = (lparam & (1 << 30)) != 0;
    if (!repeat && events_ != nullptr) events_->OnSearchBoxEnter(item_index_);
    return 0;
  }
  if (message == WM_KEYDOWN && wparam == VK_ESCAPE && ListDropped()) {
    // Escape shuts the open list and chooses nothing.
    changing_ = true;
    SendMessageA(window_, CB_SHOWDROPDOWN, FALSE, 0);
    changing_ = false;
    return 0;
  }
  // Enter never reaches the edit as a character: no beep.
  if (message == WM_CHAR && (wparam == '\r' || wparam == '\n')) return 0;
  if (EditsOrMoves(message, wparam)) {
    const bool before = allow_completion_;
    allow_completion_ = false;
    const LRESULT result =
        CallWindowProcA(edit_proc_, edit_, message, wparam, lparam);
    allow_completion_ = before;
    return result;
  }
  return CallWindowProcA(edit_proc_, edit_, message, wparam, lparam);
}

std::string ComboSearchBoxView::GetText() const { return WindowText(window_); }

void ComboSearchBoxView::SetText(const std::string& text) {
  const bool before = changing_;
  changing_ = true;
  SetWindowTextA(window_, text.c_str());
  changing_ = before;
}

int ComboSearchBoxView::CurrentIndex() const {
  if (!value_list_) return -1;
  return static_cast<int>(SendMessageA(window_, CB_GETCURSEL, 0, 0));
}

void ComboSearchBoxView::SetCurrentIndex(int index) {
  if (edit_only_) return;
  SendMessageA(window_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void ComboSearchBoxView::SetEntries(const std::vector<std::string>& entries) {
  if (edit_only_) return;
  const std::string text = GetText();
  const bool before = changing_;
  changing_ = true;
  SendMessageA(window_, CB_RESETCONTENT, 0, 0);
  for (const std::string& entry : entries) {
    SendMessageA(window_, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(entry.c_str()));
  }
  changing_ = before;
  if (!value_list_) SetText(text);
}

void ComboSearchBoxView::Move(Rect rect) {
  if (edit_only_) {
    // An edit keeps a small margin above and below within the button.
    const int height = std::max(rect.bottom - rect.top - 6, 16);
    MoveWindow(window_, rect.left, rect.top + 3, rect.right - rect.left, height,
               TRUE);
    return;
  }
  MoveWindow(window_, rect.left, rect.top, rect.right - rect.left, kListHeight,
             TRUE);
}

void ComboSearchBoxView::Show(bool show) {
  ShowWindow(window_, show ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void ComboSearchBoxView::SetFocus() { ::SetFocus(window_); }

bool ComboSearchBoxView::HasFocus() const {
  HWND focus = GetFocus();
  return focus != nullptr && (focus == window_ || IsChild(window_, focus));
}

void ComboSearchBoxView::ShowCompletion(const std::string& text,
                                        int typed_length) {
  if (edit_ == nullptr) return;
  DWORD start = 0;
  DWORD end = 0;
  SendMessageA(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  const auto typed_end = static_cast<DWORD>(GetWindowTextLengthA(edit_));
  SetText(text);
  if (end < typed_end) {
    // The user was editing inside the text: the caret stays where it was.
    SendMessageA(edit_, EM_SETSEL, start, end);
    return;
  }
  // The completed tail is selected, so typing on replaces it.
  SendMessageA(edit_, EM_SETSEL, static_cast<WPARAM>(typed_length),
               static_cast<LPARAM>(text.size()));
}

}  // namespace zan
