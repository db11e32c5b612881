// The web-page pane on its own: its window over a parent, the HTML control
// that it places in that window where the system can create one (Wine's
// WebBrowser control can, though it shows no page), the address it keeps
// either way, and its teardown.
#include "hosts/band/web_page_pane.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "hosts/band/server_module.h"
#include "tests/band/band_test_util.h"

namespace zan::test {
namespace {

int CountDescendants(HWND parent) {
  int count = 0;
  EnumChildWindows(
      parent,
      [](HWND, LPARAM counter) {
        ++*reinterpret_cast<int*>(counter);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

RECT RectIn(HWND window, HWND parent) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

class WebPagePaneTest : public testing::Test {
 protected:
  void SetUp() override {
    parent_ = CreateWindowExA(0, "STATIC", "toolbar", WS_OVERLAPPEDWINDOW, 0, 0,
                              600, 60, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent_, nullptr);
    ShowWindow(parent_, SW_SHOWNOACTIVATE);
    objects_ = ServerModule::Instance().objects();
  }
  void TearDown() override {
    // Nothing of a pane outlives it: no window, no site object.
    EXPECT_EQ(CountDescendants(parent_), 0);
    EXPECT_EQ(ServerModule::Instance().objects(), objects_);
    DestroyWindow(parent_);
  }

  HWND parent_ = nullptr;
  long objects_ = 0;
};

TEST_F(WebPagePaneTest, ControlFillsThePaneAndGoesWithIt) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  HWND window = nullptr;
  {
    WebPagePane pane(parent_);
    window = pane.window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ClassOf(window), "MSHTML_Toolbar_Page");
    EXPECT_EQ(GetParent(window), parent_);
    EXPECT_FALSE(IsWindowVisible(window));
    ASSERT_TRUE(pane.has_control());
    HWND control = GetWindow(window, GW_CHILD);
    ASSERT_NE(control, nullptr);

    pane.Navigate("file:///Z:/nowhere/pane.html?q=zan");
    EXPECT_EQ(pane.CurrentUrl(), "file:///Z:/nowhere/pane.html?q=zan");
    pane.Move(Rect{10, 2, 190, 42});
    pane.Show(true);
    EXPECT_TRUE(IsWindowVisible(window));
    const RECT outer = RectIn(window, parent_);
    EXPECT_EQ(outer.left, 10);
    EXPECT_EQ(outer.top, 2);
    EXPECT_EQ(outer.right, 190);
    EXPECT_EQ(outer.bottom, 42);
    // The control follows the pane, also when it shrinks.
    RECT inner = RectIn(control, window);
    EXPECT_EQ(inner.right - inner.left, 180);
    EXPECT_EQ(inner.bottom - inner.top, 40);
    pane.Move(Rect{0, 0, 120, 22});
    inner = RectIn(control, window);
    EXPECT_EQ(inner.right - inner.left, 120);
    EXPECT_EQ(inner.bottom - inner.top, 22);
    pane.Show(false);
    EXPECT_FALSE(IsWindowVisible(window));
    PumpMessages();
  }
  EXPECT_FALSE(IsWindow(window));
  PumpMessages();
  CoUninitialize();
}

TEST_F(WebPagePaneTest, WithoutTheControlThePaneStaysEmptyAndRemembers) {
  // No COM on this thread: the control cannot be created.
  WebPagePane pane(parent_);
  ASSERT_NE(pane.window(), nullptr);
  EXPECT_FALSE(pane.has_control());
  EXPECT_EQ(GetWindow(pane.window(), GW_CHILD), nullptr);
  pane.Navigate("http://a.test/pane?q=1");
  pane.Navigate("http://a.test/pane?q=2");
  EXPECT_EQ(pane.CurrentUrl(), "http://a.test/pane?q=2");
  pane.Move(Rect{4, 0, 104, 22});
  pane.Show(true);
  const RECT rect = RectIn(pane.window(), parent_);
  EXPECT_EQ(rect.right - rect.left, 100);
  EXPECT_TRUE(IsWindowVisible(pane.window()));
}

}  // namespace
}  // namespace zan::test
