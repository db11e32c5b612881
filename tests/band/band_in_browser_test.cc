#include "tests/band/band_in_browser_test.h"

#include "tests/band/band_test_util.h"

namespace zan::test {

void BandInBrowserTest::SetUpTestSuite() { ASSERT_EQ(Regsvr32(false), 0); }

void BandInBrowserTest::TearDownTestSuite() { Regsvr32(true); }

void BandInBrowserTest::SetUp() {
  ASSERT_TRUE(
      SUCCEEDED(ole_ ? OleInitialize(nullptr)
                     : CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  parent_ = CreateBrowserWindow();
  ASSERT_NE(parent_, nullptr);
}

void BandInBrowserTest::TearDown() {
  DestroyWindow(parent_);
  if (ole_) {
    OleUninitialize();
  } else {
    CoUninitialize();
  }
}

}  // namespace zan::test
