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
#include <memory>
#include <string>

#include "hosts/band/zan_idl.h"
#include "tests/band/band_in_browser_test.h"
#include "tests/band/band_test_util.h"
#include "tests/band/fake_browser_site.h"
#include "tests/band/sited_band.h"
#include "tests/band/window_watcher.h"

namespace zan::test {
namespace {

class BandObjectTest : public BandInBrowserTest {
 protected:
  static void SetUpTestSuite() {
    ASSERT_NO_FATAL_FAILURE(BandInBrowserTest::SetUpTestSuite());
    // The toolbar's files come from the product site in the source tree
    // into a folder of their own.
    UseToolbarFolders(TempFolder("zan_band_home"), SourceSiteUrl());
  }
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(BandInBrowserTest::SetUp());
    SetSetting("PopupBlockingEnabled", 0);
  }
};

TEST_F(BandObjectTest, SetSiteBuildsTheToolbarAndAnswersTheBrowser) {
  SitedBand band(parent_, &browser_);
  ASSERT_EQ(band.status(), S_OK);

  IOleWindow* window = band.As<IOleWindow>(IID_IOleWindow);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->GetWindow(nullptr), E_INVALIDARG);
  window->Release();
  HWND toolbar = band.toolbar();
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

  IDeskBand* desk_band = band.As<IDeskBand>(IID_IDeskBand);
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

  IPersistStream* persist = band.As<IPersistStream>(IID_IPersistStream);
  ASSERT_NE(persist, nullptr);
  CLSID class_id{};
  EXPECT_EQ(persist->GetClassID(&class_id), S_OK);
  EXPECT_TRUE(IsEqualCLSID(class_id, CLSID_RYXToolBarObjZAN));
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
  persist->Release();

  IInputObject* input = band.As<IInputObject>(IID_IInputObject);
  ASSERT_NE(input, nullptr);
  SetFocus(parent_);
  EXPECT_EQ(input->HasFocusIO(), S_FALSE);
  EXPECT_EQ(input->UIActivateIO(TRUE, nullptr), S_OK);
  EXPECT_EQ(input->HasFocusIO(), S_OK);     // the first search box
  EXPECT_EQ(band.site().focus_changes, 1);  // the browser was told
  SetFocus(parent_);
  EXPECT_EQ(input->HasFocusIO(), S_FALSE);
  EXPECT_EQ(band.site().focus_changes, 2);
  input->Release();

  // The browser closes: the band stops listening.
  browser_.Fire(253, {});
  EXPECT_EQ(browser_.sink(), nullptr);
  EXPECT_EQ(band.Close(), S_OK);
  EXPECT_FALSE(IsWindow(toolbar));
}

TEST_F(BandObjectTest, PopupBlockerCancelsNewWindowsThroughTheEvents) {
  SitedBand band(parent_, &browser_);
  ASSERT_EQ(band.status(), S_OK);

  EXPECT_FALSE(browser_.FireNewWindow2());
  EXPECT_FALSE(browser_.FireBeforeNavigate2(L"http://a.test/", L"_blank"));
  SetSetting("PopupBlockingEnabled", 1);
  EXPECT_TRUE(browser_.FireNewWindow2());
  EXPECT_TRUE(browser_.FireBeforeNavigate2(L"http://a.test/", L"_blank"));
  EXPECT_FALSE(browser_.FireBeforeNavigate2(L"http://a.test/", L"_BLANK"));
  EXPECT_FALSE(browser_.FireBeforeNavigate2(L"http://a.test/", L""));
  // CTRL held lets a new window through (the thread's key state, as the
  // band reads it).
  BYTE keys[256] = {};
  ASSERT_TRUE(GetKeyboardState(keys));
  keys[VK_CONTROL] |= 0x80;
  SetKeyboardState(keys);
  EXPECT_FALSE(browser_.FireNewWindow2());
  keys[VK_CONTROL] &= static_cast<BYTE>(~0x80);
  SetKeyboardState(keys);
  EXPECT_TRUE(browser_.FireNewWindow2());
  SetSetting("PopupBlockingEnabled", 2);
  EXPECT_FALSE(browser_.FireNewWindow2());

  // After the browser quit, nothing is filtered any more.
  SetSetting("PopupBlockingEnabled", 1);
  browser_.Fire(253, {});
  EXPECT_FALSE(browser_.FireNewWindow2());
}

TEST_F(BandObjectTest, ButtonClickNavigatesTheBrowser) {
  SitedBand band(parent_, &browser_);
  ASSERT_EQ(band.status(), S_OK);
  HWND toolbar = band.toolbar();
  ClickButton(toolbar, 0x400);
  ASSERT_EQ(browser_.navigations.size(), 1u);
  EXPECT_EQ(browser_.navigations[0].url, SourceSiteUrl() + "index.html");
  EXPECT_EQ(browser_.navigations[0].post_data, "");
  EXPECT_EQ(browser_.navigations[0].headers, "");
}

// The window class of popup menus.
constexpr char kMenuClass[] = "#32768";

// A click on the arrow of button `id`, which opens its menu.
void ClickArrow(HWND toolbar, int id) {
  RECT rect{};
  SendMessageA(toolbar, TB_GETRECT, id, reinterpret_cast<LPARAM>(&rect));
  const LPARAM arrow = MAKELPARAM(rect.right - 4, (rect.top + rect.bottom) / 2);
  SendMessageA(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, arrow);
  SendMessageA(toolbar, WM_LBUTTONUP, 0, arrow);
}

TEST_F(BandObjectTest, DropDownMenuEntryRunsItsCommand) {
  SitedBand band(parent_, &browser_);
  ASSERT_EQ(band.status(), S_OK);
  HWND toolbar = band.toolbar();
  const int search = FindButton(toolbar, "Search");
  ASSERT_NE(search, 0);
  {
    // The button's menu opens; the second entry ("Web search (form post)")
    // is chosen by the keys a user would press.
    WindowWatcher chooser(kMenuClass, nullptr, 5000, [](HWND menu) {
      for (int k = 0; k < 2; ++k) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
      PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    });
    ClickArrow(toolbar, search);
    EXPECT_TRUE(chooser.found());
  }
  // The choice arrives as a posted WM_COMMAND, as the browser's loop runs.
  PumpMessages();
  ASSERT_EQ(browser_.navigations.size(), 1u);
  EXPECT_EQ(browser_.navigations[0].url, SourceSiteUrl() + "search.html");
  EXPECT_EQ(browser_.navigations[0].post_data.substr(0, 2), "q=");
  EXPECT_EQ(browser_.navigations[0].headers,
            "Content-Type: application/x-www-form-urlencoded\r\n");
  // The entries' hints went to the status bar while the menu was open.
  EXPECT_NE(std::find(browser_.status_texts.begin(),
                      browser_.status_texts.end(), "Send the words as a form"),
            browser_.status_texts.end());
}

// While the menu of the thread that makes it is shown, asks its owner
// `toolbar` to measure and draw the first two entries (the sidebar banner
// and a plain entry), as the system would, then closes the menu.
class MenuInspector {
 public:
  static constexpr int kWidth = 24;
  static constexpr int kHeight = 400;

  explicit MenuInspector(HWND toolbar) : toolbar_(toolbar) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS,
                               reinterpret_cast<void**>(&pixels_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    watcher_ = std::make_unique<WindowWatcher>(
        kMenuClass, nullptr, 5000, [this](HWND menu) {
          Inspect(
              reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0)));
          PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        });
  }
  ~MenuInspector() {
    watcher_.reset();  // done with the bitmap
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  bool found() const { return watcher_->found(); }
  MEASUREITEMSTRUCT sidebar{};
  MEASUREITEMSTRUCT entry{};
  bool drawn = false;
  // The drawn banner's pixel at (x, y) as a COLORREF.
  COLORREF Pixel(int x, int y) const {
    const DWORD bgr = pixels_[y * kWidth + x];
    return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
  }

 private:
  void Inspect(HMENU menu) {
    MEASUREITEMSTRUCT* measured[] = {&sidebar, &entry};
    for (UINT position = 0; position < 2; ++position) {
      MENUITEMINFOA item{};
      item.cbSize = sizeof(item);
      item.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_ID;
      if (!GetMenuItemInfoA(menu, position, TRUE, &item) ||
          (item.fType & MFT_OWNERDRAW) == 0) {
        return;
      }
      MEASUREITEMSTRUCT& measure = *measured[position];
      measure.CtlType = ODT_MENU;
      measure.itemID = item.wID;
      measure.itemData = item.dwItemData;
      SendMessageA(toolbar_, WM_MEASUREITEM, 0,
                   reinterpret_cast<LPARAM>(&measure));
      if (position == 0) {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemID = item.wID;
        draw.itemAction = ODA_DRAWENTIRE;
        draw.hDC = dc_;
        draw.rcItem = RECT{0, 0, kWidth, static_cast<LONG>(measure.itemHeight)};
        draw.itemData = item.dwItemData;
        drawn = SendMessageA(toolbar_, WM_DRAWITEM, 0,
                             reinterpret_cast<LPARAM>(&draw)) != 0;
        GdiFlush();
      }
    }
  }

  HWND toolbar_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  DWORD* pixels_ = nullptr;
  std::unique_ptr<WindowWatcher> watcher_;
};

int ChannelDistance(COLORREF a, COLORREF b) {
  return std::max({std::abs(GetRValue(a) - GetRValue(b)),
                   std::abs(GetGValue(a) - GetGValue(b)),
                   std::abs(GetBValue(a) - GetBValue(b))});
}

TEST_F(BandObjectTest, OwnerDrawnMenuMeasuresAndPaintsItsSidebar) {
  SitedBand band(parent_, &browser_);
  ASSERT_EQ(band.status(), S_OK);
  HWND toolbar = band.toolbar();
  const int zan = FindButton(toolbar, "ZAN");
  ASSERT_NE(zan, 0);
  // Caption colours far apart, so that the gradient shows its direction;
  // the test prefix's own colours come back afterwards.
  const INT elements[] = {COLOR_GRADIENTACTIVECAPTION, COLOR_ACTIVECAPTION};
  const COLORREF saved[] = {GetSysColor(elements[0]), GetSysColor(elements[1])};
  const COLORREF wanted[] = {RGB(0, 64, 255), RGB(255, 64, 0)};
  SetSysColors(2, elements, wanted);
  MenuInspector inspector(toolbar);
  ClickArrow(toolbar, zan);
  SetSysColors(2, elements, saved);
  ASSERT_TRUE(inspector.found());

  // The banner takes a narrow column and no height of its own; a plain
  // entry is taller than the menu font and wider than its caption's margins.
  EXPECT_EQ(static_cast<int>(inspector.sidebar.itemWidth),
            21 - GetSystemMetrics(SM_CXMENUCHECK));
  EXPECT_EQ(inspector.sidebar.itemHeight, 0u);
  EXPECT_GT(inspector.entry.itemHeight, 8u);
  EXPECT_GT(inspector.entry.itemWidth, inspector.sidebar.itemWidth + 20);

  // The banner spans the whole drawing area, from the caption's gradient
  // colour at the top towards the active caption's colour at the bottom,
  // with its caption written upwards from the bottom.
  ASSERT_TRUE(inspector.drawn);
  const COLORREF top = wanted[0];
  const COLORREF bottom = wanted[1];
  EXPECT_LE(ChannelDistance(inspector.Pixel(1, 1), top), 8);
  // Half way down, red and blue have each moved part of the way.
  const COLORREF middle = inspector.Pixel(1, MenuInspector::kHeight / 2);
  EXPECT_GT(GetRValue(middle), 40);
  EXPECT_LT(GetRValue(middle), 215);
  EXPECT_GT(GetBValue(middle), 40);
  EXPECT_LT(GetBValue(middle), 215);
  int text_pixels = 0;
  for (int y = MenuInspector::kHeight - 120; y < MenuInspector::kHeight; ++y) {
    for (int x = 0; x < MenuInspector::kWidth; ++x) {
      const COLORREF pixel = inspector.Pixel(x, y);
      if (ChannelDistance(pixel, top) > 40 &&
          ChannelDistance(pixel, bottom) > 40) {
        ++text_pixels;
      }
    }
  }
  EXPECT_GT(text_pixels, 20) << "no caption in the banner";
}

TEST_F(BandObjectTest, EnterInTheSearchBoxSearches) {
  SitedBand band(parent_, &browser_);
  ASSERT_EQ(band.status(), S_OK);
  HWND toolbar = band.toolbar();
  HWND combo = FindWindowExA(toolbar, nullptr, "RYX_ComboBox", nullptr);
  ASSERT_NE(combo, nullptr);
  HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  SetWindowTextA(edit, "zan words");
  SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_EQ(browser_.navigations.size(), 1u);
  EXPECT_EQ(browser_.navigations[0].url.find(SourceSiteUrl() +
                                             "search.html?q=zan+words"),
            0u)
      << browser_.navigations[0].url;
}

TEST_F(BandObjectTest, TabMovesBetweenTheSearchBoxes) {
  SitedBand band(parent_, &browser_);
  ASSERT_EQ(band.status(), S_OK);
  HWND toolbar = band.toolbar();
  HWND first = FindWindowExA(toolbar, nullptr, "RYX_ComboBox", nullptr);
  ASSERT_NE(first, nullptr);
  HWND second = FindWindowExA(toolbar, first, "RYX_ComboBox", nullptr);
  ASSERT_NE(second, nullptr);
  auto press_tab = [] {
    // As the browser's loop takes the key from the queue.
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    PumpMessages();
  };
  HWND edit = FindWindowExA(first, nullptr, "Edit", nullptr);
  SetFocus(edit);
  press_tab();
  EXPECT_TRUE(GetFocus() == second || IsChild(second, GetFocus()));
  // Past the last box the focus leaves the toolbar.
  press_tab();
  EXPECT_EQ(GetFocus(), GetParent(toolbar));
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
