#ifndef ZAN_TESTS_BAND_BAND_IN_BROWSER_TEST_H_
#define ZAN_TESTS_BAND_BAND_IN_BROWSER_TEST_H_

#include <gtest/gtest.h>
#include <windows.h>

#include "tests/band/fake_browser_site.h"

namespace zan::test {

// Cases that put the band into a browser that the test plays: ZAN.dll is
// registered for the suite; each case runs COM on its thread and has a
// browser and a shown browser window for the band's site.
class BandInBrowserTest : public testing::Test {
 protected:
  // `ole`: the thread runs OLE, which drop targets need, not only COM.
  explicit BandInBrowserTest(bool ole = false) : ole_(ole) {}

  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  HWND parent_ = nullptr;
  FakeWebBrowser browser_;

 private:
  bool ole_;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_BAND_BAND_IN_BROWSER_TEST_H_
