#include "tests/band/sited_band.h"

namespace zan::test {

IObjectWithSite* CreateBand() {
  CLSID class_id;
  if (CLSIDFromProgID(L"RYX.ZAN", &class_id) != S_OK) return nullptr;
  IObjectWithSite* band = nullptr;
  CoCreateInstance(class_id, nullptr, CLSCTX_INPROC_SERVER, IID_IObjectWithSite,
                   reinterpret_cast<void**>(&band));
  return band;
}

HWND ToolbarOf(IUnknown* band) {
  IOleWindow* window = nullptr;
  band->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window));
  if (window == nullptr) return nullptr;
  HWND toolbar = nullptr;
  window->GetWindow(&toolbar);
  window->Release();
  return toolbar;
}

SitedBand::SitedBand(HWND window, FakeWebBrowser* browser)
    : site_(window, browser), band_(CreateBand()) {
  if (band_ != nullptr) {
    status_ = band_->SetSite(static_cast<IServiceProvider*>(&site_));
  }
}

HRESULT SitedBand::Close() {
  if (band_ == nullptr) return S_OK;
  const HRESULT result = band_->SetSite(nullptr);
  band_->Release();
  band_ = nullptr;
  return result;
}

}  // namespace zan::test
