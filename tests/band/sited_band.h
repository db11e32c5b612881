#ifndef ZAN_TESTS_BAND_SITED_BAND_H_
#define ZAN_TESTS_BAND_SITED_BAND_H_

#include <windows.h>
// clang-format off
#include <ocidl.h>
// clang-format on

#include "tests/band/fake_browser_site.h"

namespace zan::test {

// A new band, created by its ProgID "RYX.ZAN"; null when that fails.
IObjectWithSite* CreateBand();
// The band's toolbar control, through IOleWindow; null without one.
HWND ToolbarOf(IUnknown* band);

// The band as the browser holds it: created by its ProgID, given a site in
// `window` that hands out `browser`, and let go in the browser's order (the
// site taken back, then the last reference).
class SitedBand {
 public:
  SitedBand(HWND window, FakeWebBrowser* browser);
  ~SitedBand() { Close(); }
  SitedBand(const SitedBand&) = delete;
  SitedBand& operator=(const SitedBand&) = delete;

  // S_OK once the band is created and sited, else what failed answered.
  HRESULT status() const { return status_; }
  IObjectWithSite* operator->() const { return band_; }
  FakeSite& site() { return site_; }
  HWND toolbar() const { return ToolbarOf(band_); }
  // Another interface of the band, a reference of the caller's; or null.
  template <typename Interface>
  Interface* As(REFIID iid) const {
    Interface* result = nullptr;
    band_->QueryInterface(iid, reinterpret_cast<void**>(&result));
    return result;
  }
  // Takes the site back and lets the band go, as the browser does when it
  // closes; what SetSite(nullptr) answered (S_OK once the band is gone).
  HRESULT Close();

 private:
  FakeSite site_;
  IObjectWithSite* band_ = nullptr;
  HRESULT status_ = E_FAIL;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_BAND_SITED_BAND_H_
