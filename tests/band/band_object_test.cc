// The band in a browser window that the test plays: COM activation by
// ProgID, a site with a recording browser, the band's size and focus
// answers, the browser's events through the connection point, clicks on
// the real toolbar window, and the teardown when the browser quits.
#include <windows.h>
// clang-format off
#include <commctrl.h>
#include <exdisp.h>
#include <shlobj.h>
#include <shobjidl.h>
// clang-format on

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "hosts/band/zan_idl.h"
#include "tests/band/band_test_util.h"
#include "tests/band/fake_browser_site.h"

namespace zan::test {
namespace {

constexpr char kProductKey[] = "SOFTWARE\\ZAN Inc.\\ZAN";

std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string SiteUrl() {
  std::string path =
      WindowsPath(std::getenv("ZAN_SOURCE_DIR")) + "\\site\\toolbar\\";
  std::replace(path.begin(), path.end(), '\\', '/');
  return "file:///" + path;
}

void SetSetting(const char* name, DWORD value) {
  RegSetKeyValueA(HKEY_CURRENT_USER, kProductKey, name, REG_DWORD, &value,
                  sizeof(value));
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof(name));
  return name;
}

class BandObjectTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(Regsvr32(false), 0);
    // The toolbar's files come from the product site in the source tree
    // into a folder of their own.
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    home_ = std::string(folder) + "zan_band_home";
    CreateDirectoryA(home_.c_str(), nullptr);
    _putenv_s("ZAN_HOME", home_.c_str());
    _putenv_s("ZAN_SITE_URL", SiteUrl().c_str());
  }
  static void TearDownTestSuite() { Regsvr32(true); }

  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    parent_ = CreateWindowExA(0, "STATIC", "browser", WS_OVERLAPPEDWINDOW, 0, 0,
                              900, 40, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent_, nullptr);
    ShowWindow(parent_, SW_SHOWNOACTIVATE);
    SetSetting("PopupBlockingEnabled", 0);
  }
  void TearDown() override {
    DestroyWindow(parent_);
    CoUninitialize();
  }

  static IObjectWithSite* CreateBand() {
    CLSID class_id;
    if (CLSIDFromProgID(L"RYX.ZAN", &class_id) != S_OK) return nullptr;
    IObjectWithSite* band = nullptr;
    CoCreateInstance(class_id, nullptr, CLSCTX_INPROC_SERVER,
                     IID_IObjectWithSite, reinterpret_cast<void**>(&band));
    return band;
  }
  template <typename Interface>
  static Interface* As(IUnknown* object, REFIID iid) {
    Interface* result = nullptr;
    object->QueryInterface(iid, reinterpret_cast<void**>(&result));
    return result;
  }
  static HWND ToolbarOf(IUnknown* band) {
    IOleWindow* window = As<IOleWindow>(band, IID_IOleWindow);
    HWND toolbar = nullptr;
    window->GetWindow(&toolbar);
    window->Release();
    return toolbar;
  }

  static std::string home_;
  HWND parent_ = nullptr;
  FakeWebBrowser browser_;
};

std::string BandObjectTest::home_;

TEST_F(BandObjectTest, SetSiteBuildsTheToolbarAndAnswersTheBrowser) {
  IObjectWithSite* band = CreateBand();
  ASSERT_NE(band, nullptr);
  FakeSite site(parent_, &browser_);
  ASSERT_EQ(band->SetSite(static_cast<IServiceProvider*>(&site)), S_OK);

  IOleWindow* window = As<IOleWindow>(band, IID_IOleWindow);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->GetWindow(nullptr), E_INVALIDARG);
  window->Release();
  HWND toolbar = ToolbarOf(band);
  ASSERT_NE(toolbar, nullptr);
  EXPECT_EQ(ClassOf(toolbar), "RYXToolBarCtrl");
  EXPECT_EQ(ClassOf(GetParent(toolbar)), "RYXToolBarReflectorWindow");
  EXPECT_EQ(GetParent(GetParent(toolbar)), parent_);
  EXPECT_EQ(GetDlgCtrlID(toolbar), 0xE800);
  // The buttons of the definition, with their texts.
  const auto buttons =
      static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
  EXPECT_GE(buttons, 10);
  std::string texts;
  for (int id = 0x400; id < 0x400 + buttons; ++id) {
    char text[100] = {};
    SendMessageA(toolbar, TB_GETBUTTONTEXTA, id,
                 reinterpret_cast<LPARAM>(text));
    texts += std::string(text) + "|";
  }
  EXPECT_NE(texts.find("|Highlight|"), std::string::npos) << texts;
  ASSERT_NE(browser_.sink(), nullptr);  // listening to the browser

  IDeskBand* desk_band = As<IDeskBand>(band, IID_IDeskBand);
  ASSERT_NE(desk_band, nullptr);
  DESKBANDINFO info{};
  info.dwMask = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL |
                DBIM_TITLE | DBIM_BKCOLOR | DBIM_MODEFLAGS;
  EXPECT_EQ(desk_band->ShowDW(TRUE), S_OK);
  EXPECT_TRUE(IsWindowVisible(toolbar));
  EXPECT_EQ(desk_band->GetBandInfo(3, 0, &info), S_OK);
  EXPECT_EQ(info.dwMask & DBIM_BKCOLOR, 0u);
  EXPECT_EQ(info.dwModeFlags, 0x1A0u);
  EXPECT_EQ(info.ptMinSize.y, 22);
  EXPECT_NE(info.ptMinSize.x, GetSystemMetrics(SM_CXFULLSCREEN) - 20);
  EXPECT_GT(info.ptMinSize.x, 0);
  EXPECT_GE(info.ptActual.x, info.ptMinSize.x);
  EXPECT_EQ(info.ptMaxSize.y, -1);
  EXPECT_EQ(info.ptIntegral.x, 1);
  EXPECT_EQ(desk_band->GetBandInfo(3, 0, nullptr), S_OK);
  EXPECT_EQ(desk_band->CloseDW(0), S_OK);
  EXPECT_TRUE(IsWindow(toolbar));  // the windows stay until the band goes
  EXPECT_EQ(desk_band->ResizeBorderDW(nullptr, nullptr, FALSE), E_NOTIMPL);
  EXPECT_EQ(desk_band->ShowDW(FALSE), S_OK);
  EXPECT_FALSE(IsWindowVisible(toolbar));
  desk_band->Release();

  IPersistStream* persist = As<IPersistStream>(band, IID_IPersistStream);
  ASSERT_NE(persist, nullptr);
  CLSID class_id{};
  EXPECT_EQ(persist->GetClassID(&class_id), S_OK);
  EXPECT_TRUE(IsEqualCLSID(class_id, CLSID_RYXToolBarObjZAN));
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
  persist->Release();

  IInputObject* input = As<IInputObject>(band, IID_IInputObject);
  ASSERT_NE(input, nullptr);
  SetFocus(parent_);
  EXPECT_EQ(input->HasFocusIO(), S_FALSE);
  EXPECT_EQ(input->UIActivateIO(TRUE, nullptr), S_OK);
  EXPECT_EQ(input->HasFocusIO(), S_OK);  // the first search box
  EXPECT_EQ(site.focus_changes, 1);      // the browser was told
  SetFocus(parent_);
  EXPECT_EQ(input->HasFocusIO(), S_FALSE);
  EXPECT_EQ(site.focus_changes, 2);
  input->Release();

  // The browser closes: the band stops listening.
  browser_.Fire(253, {});
  EXPECT_EQ(browser_.sink(), nullptr);
  EXPECT_EQ(band->SetSite(nullptr), S_OK);
  band->Release();
  EXPECT_FALSE(IsWindow(toolbar));
}

TEST_F(BandObjectTest, PopupBlockerCancelsNewWindowsThroughTheEvents) {
  IObjectWithSite* band = CreateBand();
  ASSERT_NE(band, nullptr);
  FakeSite site(parent_, &browser_);
  ASSERT_EQ(band->SetSite(static_cast<IServiceProvider*>(&site)), S_OK);

  EXPECT_FALSE(browser_.FireNewWindow2());
  EXPECT_FALSE(browser_.FireBeforeNavigate2(L"http://a.test/", L"_blank"));
  SetSetting("PopupBlockingEnabled", 1);
  EXPECT_TRUE(browser_.FireNewWindow2());
  EXPECT_TRUE(browser_.FireBeforeNavigate2(L"http://a.test/", L"_blank"));
  EXPECT_FALSE(browser_.FireBeforeNavigate2(L"http://a.test/", L"_BLANK"));
  EXPECT_FALSE(browser_.FireBeforeNavigate2(L"http://a.test/", L""));
  SetSetting("PopupBlockingEnabled", 2);
  EXPECT_FALSE(browser_.FireNewWindow2());

  // After the browser quit, nothing is filtered any more.
  SetSetting("PopupBlockingEnabled", 1);
  browser_.Fire(253, {});
  EXPECT_FALSE(browser_.FireNewWindow2());
  band->SetSite(nullptr);
  band->Release();
}

TEST_F(BandObjectTest, ButtonClickNavigatesTheBrowser) {
  IObjectWithSite* band = CreateBand();
  ASSERT_NE(band, nullptr);
  FakeSite site(parent_, &browser_);
  ASSERT_EQ(band->SetSite(static_cast<IServiceProvider*>(&site)), S_OK);
  HWND toolbar = ToolbarOf(band);
  // The toolbar tells its parent about the click, which reflects it back.
  SendMessageA(GetParent(toolbar), WM_COMMAND, MAKEWPARAM(0x400, BN_CLICKED),
               reinterpret_cast<LPARAM>(toolbar));
  ASSERT_EQ(browser_.navigations.size(), 1u);
  EXPECT_EQ(browser_.navigations[0].url, SiteUrl() + "index.html");
  EXPECT_EQ(browser_.navigations[0].post_data, "");
  EXPECT_EQ(browser_.navigations[0].headers, "");
  band->SetSite(nullptr);
  band->Release();
}

// Chooses entry `downs` of the popup menu that the UI thread `thread` is
// about to show, by the keys a user would press.
class MenuChooser {
 public:
  MenuChooser(DWORD thread, int downs) : thread_(thread), downs_(downs) {
    worker_ = CreateThread(nullptr, 0, &Run, this, 0, nullptr);
  }
  ~MenuChooser() {
    WaitForSingleObject(worker_, 10000);
    CloseHandle(worker_);
  }
  bool found() const { return found_; }

 private:
  static DWORD WINAPI Run(void* parameter) {
    auto* self = static_cast<MenuChooser*>(parameter);
    for (int i = 0; i < 200 && !self->found_; ++i) {
      HWND menu = FindWindowA("#32768", nullptr);
      if (menu != nullptr && IsWindowVisible(menu) &&
          GetWindowThreadProcessId(menu, nullptr) == self->thread_) {
        self->found_ = true;
        for (int k = 0; k < self->downs_; ++k) {
          PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        }
        PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
      }
      Sleep(25);
    }
    return 0;
  }
  DWORD thread_;
  int downs_;
  HANDLE worker_ = nullptr;
  volatile bool found_ = false;
};

// The identifier of the button with that text, or 0.
int FindButton(HWND toolbar, const std::string& caption) {
  const auto count =
      static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
  for (int id = 0x400; id < 0x400 + count; ++id) {
    char text[100] = {};
    SendMessageA(toolbar, TB_GETBUTTONTEXTA, id,
                 reinterpret_cast<LPARAM>(text));
    if (caption == text) return id;
  }
  return 0;
}

TEST_F(BandObjectTest, DropDownMenuEntryRunsItsCommand) {
  IObjectWithSite* band = CreateBand();
  ASSERT_NE(band, nullptr);
  FakeSite site(parent_, &browser_);
  ASSERT_EQ(band->SetSite(static_cast<IServiceProvider*>(&site)), S_OK);
  HWND toolbar = ToolbarOf(band);
  const int search = FindButton(toolbar, "Search");
  ASSERT_NE(search, 0);
  RECT rect{};
  SendMessageA(toolbar, TB_GETRECT, search, reinterpret_cast<LPARAM>(&rect));
  {
    // A click on the button's arrow opens its menu; the second entry
    // ("Web search (form post)") is chosen.
    MenuChooser chooser(GetCurrentThreadId(), 2);
    const LPARAM arrow =
        MAKELPARAM(rect.right - 4, (rect.top + rect.bottom) / 2);
    SendMessageA(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, arrow);
    SendMessageA(toolbar, WM_LBUTTONUP, 0, arrow);
    EXPECT_TRUE(chooser.found());
  }
  // The choice arrives as a posted WM_COMMAND, as the browser's loop runs.
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    DispatchMessageA(&message);
  }
  ASSERT_EQ(browser_.navigations.size(), 1u);
  EXPECT_EQ(browser_.navigations[0].url, SiteUrl() + "search.html");
  EXPECT_EQ(browser_.navigations[0].post_data.substr(0, 2), "q=");
  EXPECT_EQ(browser_.navigations[0].headers,
            "Content-Type: application/x-www-form-urlencoded\r\n");
  // The entries' hints went to the status bar while the menu was open.
  EXPECT_NE(std::find(browser_.status_texts.begin(),
                      browser_.status_texts.end(), "Send the words as a form"),
            browser_.status_texts.end());
  band->SetSite(nullptr);
  band->Release();
}

TEST_F(BandObjectTest, EnterInTheSearchBoxSearches) {
  IObjectWithSite* band = CreateBand();
  ASSERT_NE(band, nullptr);
  FakeSite site(parent_, &browser_);
  ASSERT_EQ(band->SetSite(static_cast<IServiceProvider*>(&site)), S_OK);
  HWND toolbar = ToolbarOf(band);
  HWND combo = FindWindowExA(toolbar, nullptr, "RYX_ComboBox", nullptr);
  ASSERT_NE(combo, nullptr);
  HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  SetWindowTextA(edit, "zan words");
  SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_EQ(browser_.navigations.size(), 1u);
  EXPECT_EQ(
      browser_.navigations[0].url.find(SiteUrl() + "search.html?q=zan+words"),
      0u)
      << browser_.navigations[0].url;
  band->SetSite(nullptr);
  band->Release();
}

TEST_F(BandObjectTest, TabMovesBetweenTheSearchBoxes) {
  IObjectWithSite* band = CreateBand();
  ASSERT_NE(band, nullptr);
  FakeSite site(parent_, &browser_);
  ASSERT_EQ(band->SetSite(static_cast<IServiceProvider*>(&site)), S_OK);
  HWND toolbar = ToolbarOf(band);
  HWND first = FindWindowExA(toolbar, nullptr, "RYX_ComboBox", nullptr);
  ASSERT_NE(first, nullptr);
  HWND second = FindWindowExA(toolbar, first, "RYX_ComboBox", nullptr);
  ASSERT_NE(second, nullptr);
  auto press_tab = [] {
    // As the browser's loop takes the key from the queue.
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageA(&message);
    }
  };
  HWND edit = FindWindowExA(first, nullptr, "Edit", nullptr);
  SetFocus(edit);
  press_tab();
  EXPECT_TRUE(GetFocus() == second || IsChild(second, GetFocus()));
  // Past the last box the focus leaves the toolbar.
  press_tab();
  EXPECT_EQ(GetFocus(), GetParent(toolbar));
  band->SetSite(nullptr);
  band->Release();
}

TEST_F(BandObjectTest, SiteWithoutTheBrowserIsRefused) {
  IObjectWithSite* band = CreateBand();
  ASSERT_NE(band, nullptr);
  FakeSite site(parent_, nullptr);
  EXPECT_EQ(band->SetSite(static_cast<IOleWindow*>(&site)), E_INVALIDARG);
  IUnknown* given = nullptr;
  EXPECT_EQ(band->GetSite(IID_IUnknown, reinterpret_cast<void**>(&given)),
            S_OK);
  if (given != nullptr) given->Release();
  EXPECT_EQ(ToolbarOf(band), nullptr);
  band->Release();
}

}  // namespace
}  // namespace zan::test
