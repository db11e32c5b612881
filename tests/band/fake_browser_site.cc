#include "tests/band/fake_browser_site.h"

#include <olectl.h>

#include "hosts/band/com_text.h"

namespace zan::test {
namespace {

std::string TextOf(const VARIANT* value) {
  if (value == nullptr) return std::string();
  if (value->vt == (VT_BYREF | VT_VARIANT)) return TextOf(value->pvarVal);
  return value->vt == VT_BSTR ? AnsiFromBstr(value->bstrVal) : std::string();
}

std::string BytesOf(const VARIANT* value) {
  if (value == nullptr || value->vt != (VT_ARRAY | VT_UI1)) return "<none>";
  SAFEARRAY* array = value->parray;
  LONG low = 0;
  LONG high = -1;
  SafeArrayGetLBound(array, 1, &low);
  SafeArrayGetUBound(array, 1, &high);
  std::string bytes(static_cast<size_t>(high - low + 1), '\0');
  void* data = nullptr;
  if (!bytes.empty() && SUCCEEDED(SafeArrayAccessData(array, &data))) {
    memcpy(bytes.data(), data, bytes.size());
    SafeArrayUnaccessData(array);
  }
  return bytes;
}

}  // namespace

FakeWebBrowser::~FakeWebBrowser() {
  if (sink_ != nullptr) sink_->Release();
}

bool FakeWebBrowser::Fire(DISPID id, std::vector<VARIANT> arguments) {
  if (sink_ == nullptr) return false;
  std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
  DISPPARAMS parameters{reversed.data(), nullptr,
                        static_cast<UINT>(reversed.size()), 0};
  sink_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters,
                nullptr, nullptr, nullptr);
  return true;
}

bool FakeWebBrowser::FireBeforeNavigate2(const std::wstring& url,
                                         const std::wstring& target) {
  VARIANT url_value;
  VariantInit(&url_value);
  url_value.vt = VT_BSTR;
  url_value.bstrVal = SysAllocString(url.c_str());
  VARIANT target_value;
  VariantInit(&target_value);
  target_value.vt = VT_BSTR;
  target_value.bstrVal = SysAllocString(target.c_str());
  VARIANT empty;
  VariantInit(&empty);
  VARIANT_BOOL cancel = VARIANT_FALSE;
  auto reference = [](VARIANT* value) {
    VARIANT holder;
    VariantInit(&holder);
    holder.vt = VT_BYREF | VT_VARIANT;
    holder.pvarVal = value;
    return holder;
  };
  VARIANT cancel_value;
  VariantInit(&cancel_value);
  cancel_value.vt = VT_BYREF | VT_BOOL;
  cancel_value.pboolVal = &cancel;
  VARIANT browser;
  VariantInit(&browser);
  browser.vt = VT_DISPATCH;
  browser.pdispVal = this;
  Fire(250, {browser, reference(&url_value), reference(&empty),
             reference(&target_value), reference(&empty), reference(&empty),
             cancel_value});
  VariantClear(&url_value);
  VariantClear(&target_value);
  return cancel == VARIANT_TRUE;
}

bool FakeWebBrowser::FireNewWindow2() {
  VARIANT_BOOL cancel = VARIANT_FALSE;
  IDispatch* new_window = nullptr;
  VARIANT window;
  VariantInit(&window);
  window.vt = VT_BYREF | VT_DISPATCH;
  window.ppdispVal = &new_window;
  VARIANT cancel_value;
  VariantInit(&cancel_value);
  cancel_value.vt = VT_BYREF | VT_BOOL;
  cancel_value.pboolVal = &cancel;
  Fire(251, {window, cancel_value});
  return cancel == VARIANT_TRUE;
}

HRESULT FakeWebBrowser::QueryInterface(REFIID iid, void** object) {
  *object = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
      IsEqualIID(iid, IID_IWebBrowser) || IsEqualIID(iid, IID_IWebBrowserApp) ||
      IsEqualIID(iid, IID_IWebBrowser2)) {
    *object = static_cast<IWebBrowser2*>(this);
  } else if (IsEqualIID(iid, IID_IConnectionPointContainer)) {
    *object = static_cast<IConnectionPointContainer*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

HRESULT FakeWebBrowser::Navigate2(VARIANT* url, VARIANT*, VARIANT* target,
                                  VARIANT* post, VARIANT* headers) {
  navigations.push_back(
      {TextOf(url), TextOf(target), BytesOf(post), TextOf(headers)});
  return S_OK;
}

HRESULT FakeWebBrowser::put_StatusText(BSTR text) {
  status_texts.push_back(AnsiFromBstr(text));
  return S_OK;
}

HRESULT FakeWebBrowser::get_Document(IDispatch** result) {
  *result = document;
  if (document != nullptr) document->AddRef();
  return document != nullptr ? S_OK : S_FALSE;
}

HRESULT FakeWebBrowser::FindConnectionPoint(REFIID iid,
                                            IConnectionPoint** point) {
  *point = nullptr;
  if (!IsEqualIID(iid, DIID_DWebBrowserEvents2)) return CONNECT_E_NOCONNECTION;
  *point = this;
  AddRef();
  return S_OK;
}

HRESULT FakeWebBrowser::GetConnectionInterface(IID* iid) {
  *iid = DIID_DWebBrowserEvents2;
  return S_OK;
}

HRESULT FakeWebBrowser::GetConnectionPointContainer(
    IConnectionPointContainer** container) {
  *container = this;
  AddRef();
  return S_OK;
}

HRESULT FakeWebBrowser::Advise(IUnknown* sink, DWORD* cookie) {
  if (sink_ != nullptr) return CONNECT_E_ADVISELIMIT;
  if (FAILED(sink->QueryInterface(IID_IDispatch,
                                  reinterpret_cast<void**>(&sink_)))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  *cookie = 7;
  return S_OK;
}

HRESULT FakeWebBrowser::Unadvise(DWORD cookie) {
  if (cookie != 7 || sink_ == nullptr) return CONNECT_E_NOCONNECTION;
  sink_->Release();
  sink_ = nullptr;
  return S_OK;
}

HRESULT FakeSite::QueryInterface(REFIID iid, void** object) {
  *object = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleWindow)) {
    *object = static_cast<IOleWindow*>(this);
  } else if (IsEqualIID(iid, IID_IServiceProvider) && browser_ != nullptr) {
    *object = static_cast<IServiceProvider*>(this);
  } else if (IsEqualIID(iid, IID_IInputObjectSite)) {
    *object = static_cast<IInputObjectSite*>(this);
  } else if (IsEqualIID(iid, IID_IOleCommandTarget)) {
    *object = static_cast<IOleCommandTarget*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

HRESULT FakeSite::QueryService(REFGUID service, REFIID iid, void** object) {
  *object = nullptr;
  if (!IsEqualGUID(service, SID_SWebBrowserApp)) return E_NOINTERFACE;
  return browser_->QueryInterface(iid, object);
}

HRESULT FakeSite::Exec(const GUID* group, DWORD id, DWORD, VARIANT* in,
                       VARIANT*) {
  if (group == nullptr || !IsEqualGUID(*group, CGID_DeskBand) ||
      id != DBID_BANDINFOCHANGED) {
    return OLECMDERR_E_NOTSUPPORTED;
  }
  ++band_info_changes;
  if (in != nullptr && in->vt == VT_I4) changed_band_id = in->lVal;
  return S_OK;
}

}  // namespace zan::test
