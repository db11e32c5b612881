#include "hosts/band/browser_event_sink.h"

#include <ocidl.h>

namespace zan {

BrowserEventSink::BrowserEventSink(Handler handler)
    : handler_(std::move(handler)) {}

bool BrowserEventSink::Connect(IUnknown* browser) {
  Disconnect();
  IConnectionPointContainer* container = nullptr;
  if (FAILED(browser->QueryInterface(IID_IConnectionPointContainer,
                                     reinterpret_cast<void**>(&container)))) {
    return false;
  }
  if (SUCCEEDED(
          container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point_))) {
    if (FAILED(point_->Advise(this, &cookie_))) {
      cookie_ = kNotConnected;
      point_->Release();
      point_ = nullptr;
    }
  }
  container->Release();
  return connected();
}

void BrowserEventSink::Disconnect() {
  if (point_ != nullptr) {
    if (connected()) point_->Unadvise(cookie_);
    point_->Release();
    point_ = nullptr;
  }
  cookie_ = kNotConnected;
}

HRESULT BrowserEventSink::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) &&
      !IsEqualIID(iid, DIID_DWebBrowserEvents2)) {
    return E_NOINTERFACE;
  }
  *object = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

ULONG BrowserEventSink::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG BrowserEventSink::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT BrowserEventSink::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT BrowserEventSink::GetTypeInfo(UINT, LCID, ITypeInfo**) {
  return E_NOTIMPL;
}

HRESULT BrowserEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID,
                                        DISPID*) {
  return E_NOTIMPL;
}

HRESULT BrowserEventSink::Invoke(DISPID id, REFIID, LCID, WORD,
                                 DISPPARAMS* parameters, VARIANT*, EXCEPINFO*,
                                 UINT*) {
  if (handler_) {
    // The handler may end the band, and with it this subscription.
    AddRef();
    Handler handler = handler_;
    handler(id, parameters);
    Release();
  }
  return S_OK;
}

}  // namespace zan
