// The band over a definition of the test's own (buttons, a search box, a
// button with a bitmap face and a menu, a web-page pane): the ideal width it
// gives the browser and the notice when that width changes, and a hundred
// bands created and destroyed without leaving anything behind.
#include <windows.h>
// clang-format off
#include <commctrl.h>
#include <exdisp.h>
#include <shlobj.h>
#include <shobjidl.h>
// clang-format on

#include <gtest/gtest.h>

#include <string>

#include "tests/band/band_in_browser_test.h"
#include "tests/band/band_test_util.h"
#include "tests/band/fake_browser_site.h"
#include "tests/band/sited_band.h"

namespace zan::test {
namespace {

// A definition with every kind of window the toolbar makes; `extra` goes
// before the commands.
std::string Definition(const std::string& extra) {
  return "RYX_Toolbar {\n"
         "  image=\"tbil.bmp\"\n"
         "  hotimage=\"tbhotil.bmp\"\n"
         "  BUTTON { caption=\"Home\" command=\"Home\" image=\"0\" }\n"
         "  BUTTON {\n"
         "    caption=\"Face\" command=\"Home\"\n"
         "    MENU {\n"
         "      type=\"Split\" image=\"face.bmp\"\n"
         "      MENUITEM { caption=\"Home\" command=\"Home\" }\n"
         "    }\n"
         "  }\n"
         "  COMBO { name=\"words\" command=\"Find\" width=\"90\" }\n"
         "  WEBPAGE { name=\"Pane\" url=\"pane.html?q=%domain\" width=\"80\" "
         "border=\"1\" }\n"
         "  BUTTON { caption=\"Update\" command=\"Update\" image=\"1\" }\n" +
         extra +
         "  COMMANDS {\n"
         "    GOTOURL { name=\"Home\" url=\"index.html\" }\n"
         "    GOTOURL { name=\"Find\" url=\"find.html?q=%words\" }\n"
         "    SERVICECOMMAND { name=\"Update\" type=\"Update\" }\n"
         "  }\n"
         "}\n";
}

// A 24-bit bitmap file of one colour.
std::string Bitmap(int width, int height) {
  const int row = (width * 3 + 3) / 4 * 4;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = static_cast<DWORD>(row * height);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
  bytes.append(info.biSizeImage, '\x60');
  return bytes;
}

// The windows of this thread: top-level ones and all their descendants.
int CountThreadWindows() {
  int count = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM counter) {
        ++*reinterpret_cast<int*>(counter);
        EnumChildWindows(
            window,
            [](HWND, LPARAM inner) {
              ++*reinterpret_cast<int*>(inner);
              return TRUE;
            },
            counter);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

// The width of the toolbar's buttons that are not hidden, of all of them or
// of the first `count`.
int VisibleButtonsWidth(HWND toolbar, int count = -1) {
  if (count < 0) {
    count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
  }
  int width = 0;
  for (int i = 0; i < count; ++i) {
    TBBUTTON button{};
    SendMessageA(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
    if (button.fsState & TBSTATE_HIDDEN) continue;
    RECT rect{};
    SendMessageA(toolbar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rect));
    width += rect.right - rect.left;
  }
  return width;
}

class BandLifetimeTest : public BandInBrowserTest {
 protected:
  static void SetUpTestSuite() {
    ASSERT_NO_FATAL_FAILURE(BandInBrowserTest::SetUpTestSuite());
    site_ = TempFolder("zan_own_site");
    home_ = TempFolder("zan_own_home");
    ASSERT_TRUE(CopyToolbarImages(site_));
    WriteFile(site_ + "\\face.bmp", Bitmap(24, 16));
  }

  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(BandInBrowserTest::SetUp());
    // A fresh copy of the definition in the toolbar's folder each time.
    WriteFile(site_ + "\\ZAN.tbd", Definition(""));
    DeleteFileA((home_ + "\\ZAN.tbd").c_str());
    UseToolbarFolders(home_, FileUrl(site_ + "\\"));
    SetSetting("PopupBlockingEnabled", 0);
  }

  static DESKBANDINFO BandInfo(IDeskBand* band) {
    DESKBANDINFO info{};
    info.dwMask = DBIM_MINSIZE | DBIM_ACTUAL | DBIM_MAXSIZE | DBIM_TITLE |
                  DBIM_MODEFLAGS | DBIM_BKCOLOR;
    band->GetBandInfo(5, 0, &info);
    return info;
  }

  static std::string site_;
  static std::string home_;
};

std::string BandLifetimeTest::site_;
std::string BandLifetimeTest::home_;

TEST_F(BandLifetimeTest, IdealWidthReachesTheBrowserAndItsChangesToo) {
  SitedBand band(parent_, &browser_);
  ASSERT_EQ(band.status(), S_OK);
  HWND toolbar = band.toolbar();
  ASSERT_NE(toolbar, nullptr);
  const int buttons =
      static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
  ASSERT_EQ(buttons, 5);
  // The pane and the face's own toolbar are there.
  EXPECT_NE(FindWindowExA(toolbar, nullptr, "MSHTML_Toolbar_Page", nullptr),
            nullptr);
  EXPECT_NE(FindWindowExA(toolbar, nullptr, TOOLBARCLASSNAMEA, nullptr),
            nullptr);

  IDeskBand* desk_band = band.As<IDeskBand>(IID_IDeskBand);
  ASSERT_NE(desk_band, nullptr);
  ASSERT_EQ(desk_band->ShowDW(TRUE), S_OK);
  const int narrow = VisibleButtonsWidth(toolbar);
  DESKBANDINFO info = BandInfo(desk_band);
  EXPECT_EQ(info.ptActual.x, narrow);
  EXPECT_EQ(info.ptActual.y, 22);
  // Up to the search box, and room for the chevron over the buttons after.
  EXPECT_EQ(info.ptMinSize.x, VisibleButtonsWidth(toolbar, 3) + 16);
  EXPECT_EQ(info.ptMinSize.y, 22);
  EXPECT_EQ(info.ptMaxSize.x, 0);
  EXPECT_EQ(info.ptMaxSize.y, -1);
  EXPECT_EQ(info.wszTitle[0], L'\0');
  EXPECT_EQ(info.dwModeFlags, 0x1A0u);
  EXPECT_EQ(info.dwMask & DBIM_BKCOLOR, 0u);
  EXPECT_EQ(band.site().band_info_changes, 0);

  // An update brings a wider toolbar: the browser is told to ask again.
  WriteFile(site_ + "\\ZAN.tbd",
            Definition("  BUTTON { caption=\"A button of some width\" "
                       "command=\"Home\" image=\"2\" }\n"));
  const int update = 0x400 + 4;
  ClickButton(toolbar, update);
  PumpMessages();
  ASSERT_EQ(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0), 6);
  EXPECT_EQ(band.site().band_info_changes, 1);
  EXPECT_EQ(band.site().changed_band_id, 5);
  const int wide = VisibleButtonsWidth(toolbar);
  EXPECT_GT(wide, narrow);
  info = BandInfo(desk_band);
  EXPECT_EQ(info.ptActual.x, wide);

  // The same toolbar again changes nothing; while hidden the browser is
  // not disturbed, and hears of the change when the band shows again.
  ClickButton(toolbar, update);
  PumpMessages();
  EXPECT_EQ(band.site().band_info_changes, 1);
  desk_band->ShowDW(FALSE);
  WriteFile(site_ + "\\ZAN.tbd", Definition(""));
  ClickButton(toolbar, update);
  PumpMessages();
  EXPECT_EQ(band.site().band_info_changes, 1);
  desk_band->ShowDW(TRUE);
  EXPECT_EQ(band.site().band_info_changes, 2);
  const int narrower = VisibleButtonsWidth(toolbar);
  EXPECT_LT(narrower, wide);
  EXPECT_EQ(BandInfo(desk_band).ptActual.x, narrower);
  desk_band->Release();
  browser_.Fire(253, {});
}

// The rebar band that the browser makes for the toolbar, read by its child.
REBARBANDINFOA RebarBandOf(HWND rebar, HWND child) {
  const auto bands =
      static_cast<int>(SendMessageA(rebar, RB_GETBANDCOUNT, 0, 0));
  for (int i = 0; i < bands; ++i) {
    REBARBANDINFOA info{};
    info.cbSize = REBARBANDINFOA_V6_SIZE;
    info.fMask = RBBIM_CHILD | RBBIM_STYLE | RBBIM_IDEALSIZE;
    SendMessageA(rebar, RB_GETBANDINFOA, i, reinterpret_cast<LPARAM>(&info));
    if (info.hwndChild == child) return info;
  }
  return REBARBANDINFOA{};
}

TEST_F(BandLifetimeTest, RebarBandGetsTheChevronAndTheIdealWidth) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_COOL_CLASSES};
  InitCommonControlsEx(&controls);
  HWND rebar = CreateWindowExA(
      0, REBARCLASSNAMEA, "",
      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | CCS_NOPARENTALIGN, 0, 0, 900,
      40, parent_, nullptr, nullptr, nullptr);
  ASSERT_NE(rebar, nullptr);
  SitedBand band(rebar, &browser_);
  ASSERT_EQ(band.status(), S_OK);
  HWND toolbar = band.toolbar();
  // The browser puts the band's window into a band of its rebar.
  REBARBANDINFOA insert{};
  insert.cbSize = REBARBANDINFOA_V6_SIZE;
  insert.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_STYLE;
  insert.hwndChild = toolbar;
  insert.cyMinChild = 22;
  insert.cx = 300;
  ASSERT_TRUE(SendMessageA(rebar, RB_INSERTBANDA, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(&insert)));
  IDeskBand* desk_band = band.As<IDeskBand>(IID_IDeskBand);
  ASSERT_EQ(desk_band->ShowDW(TRUE), S_OK);
  EXPECT_NE(RebarBandOf(rebar, toolbar).fStyle & RBBS_USECHEVRON, 0u);
  const int narrow = BandInfo(desk_band).ptActual.x;

  // A wider toolbar: its width becomes the rebar band's ideal width.
  WriteFile(site_ + "\\ZAN.tbd",
            Definition("  BUTTON { caption=\"Wider\" command=\"Home\" "
                       "image=\"2\" }\n"));
  SendMessageA(toolbar, 0x2000 + WM_COMMAND, MAKEWPARAM(0x400 + 4, BN_CLICKED),
               reinterpret_cast<LPARAM>(toolbar));
  PumpMessages();
  EXPECT_EQ(band.site().band_info_changes, 1);
  const int wide = VisibleButtonsWidth(toolbar);
  EXPECT_GT(wide, narrow);
  EXPECT_EQ(static_cast<int>(RebarBandOf(rebar, toolbar).cxIdeal), wide);
  desk_band->Release();

  browser_.Fire(253, {});
  band.Close();
  DestroyWindow(rebar);
}

// Counts the messages a toolbar's message hook sends to the windows whose
// messages the thread takes from its queue: none once no toolbar is left.
class HookProbe {
 public:
  HookProbe() {
    WNDCLASSA probe_class{};
    probe_class.lpfnWndProc = &Proc;
    probe_class.hInstance = GetModuleHandleA(nullptr);
    probe_class.lpszClassName = "ZanHookProbe";
    RegisterClassA(&probe_class);
    window_ = CreateWindowExA(0, "ZanHookProbe", "", 0, 0, 0, 0, 0,
                              HWND_MESSAGE, nullptr, nullptr, nullptr);
  }
  ~HookProbe() { DestroyWindow(window_); }
  // The hook's questions seen while one message is taken from the queue.
  int Questions() {
    questions_ = 0;
    PostMessageA(window_, WM_NULL, 0, 0);
    PumpMessages();
    return questions_;
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam,
                               LPARAM lparam) {
    if (message == RegisterWindowMessageA("WTL_CmdBar_InternalGetBarMsg")) {
      ++questions_;
    }
    return DefWindowProcA(window, message, wparam, lparam);
  }
  static int questions_;
  HWND window_ = nullptr;
};

int HookProbe::questions_ = 0;

// GetGuiResources counts the process's GDI and USER objects on Windows;
// Wine answers 0 whatever the process holds (and GetProcessHandleCount
// fails), so there the windows of the thread, the message hook, the
// references on the browser and its site, and the module's object count
// are what is counted.
TEST_F(BandLifetimeTest, HundredBandsComeAndGoWithoutLeaks) {
  HookProbe probe;
  auto cycle = [this, &probe](bool check_hook) {
    SitedBand band(parent_, &browser_);
    ASSERT_EQ(band.status(), S_OK);
    ASSERT_NE(
        FindWindowExA(band.toolbar(), nullptr, "MSHTML_Toolbar_Page", nullptr),
        nullptr);
    IDeskBand* desk_band = band.As<IDeskBand>(IID_IDeskBand);
    desk_band->ShowDW(TRUE);
    desk_band->Release();
    PumpMessages();
    if (check_hook) {
      EXPECT_GT(probe.Questions(), 0);  // the probe sees a live hook
    }
    browser_.Fire(253, {});  // the browser window closes
    band.Close();
    PumpMessages();
    EXPECT_EQ(band.site().references(), 1u);
    EXPECT_EQ(browser_.references(), 1u);
  };
  // The first band loads what stays for the process (the DLL, the window
  // classes, the system's HTML control and its caches).
  cycle(true);
  HMODULE dll = GetModuleHandleA("ZAN.dll");
  ASSERT_NE(dll, nullptr);
  using CanUnloadNow = HRESULT(WINAPI*)();
  auto can_unload = reinterpret_cast<CanUnloadNow>(
      reinterpret_cast<void (*)()>(GetProcAddress(dll, "DllCanUnloadNow")));
  ASSERT_NE(can_unload, nullptr);
  EXPECT_EQ(can_unload(), S_OK);

  HANDLE process = GetCurrentProcess();
  const auto gdi_before =
      static_cast<long>(GetGuiResources(process, GR_GDIOBJECTS));
  const auto user_before =
      static_cast<long>(GetGuiResources(process, GR_USEROBJECTS));
  const int windows_before = CountThreadWindows();
  for (int i = 0; i < 100 && !HasFailure(); ++i) cycle(false);

  EXPECT_EQ(CountThreadWindows(), windows_before);
  EXPECT_EQ(probe.Questions(), 0);  // the hook went with the last toolbar
  EXPECT_EQ(can_unload(), S_OK);
  if (gdi_before > 0) {
    // A leak of one object per band shows as a hundred; the system's
    // caches may still grow a little.
    EXPECT_LT(
        static_cast<long>(GetGuiResources(process, GR_GDIOBJECTS)) - gdi_before,
        20);
    EXPECT_LT(static_cast<long>(GetGuiResources(process, GR_USEROBJECTS)) -
                  user_before,
              20);
  }
}

}  // namespace
}  // namespace zan::test
