#include "hosts/band/pane_control_site.h"

#include "hosts/band/server_module.h"

namespace zan {

PaneControlSite::PaneControlSite(HWND window) : window_(window) {
  ServerModule::Instance().AddObject();
}

PaneControlSite::~PaneControlSite() {
  ServerModule::Instance().ReleaseObject();
}

HRESULT PaneControlSite::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (IsEqualIID(iid, IID_IOleWindow) ||
             IsEqualIID(iid, IID_IOleInPlaceSite)) {
    *object = static_cast<IOleInPlaceSite*>(this);
  } else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) ||
             IsEqualIID(iid, IID_IOleInPlaceFrame)) {
    *object = static_cast<IOleInPlaceFrame*>(this);
  } else if (IsEqualIID(iid, IID_IDocHostUIHandler)) {
    *object = static_cast<IDocHostUIHandler*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG PaneControlSite::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG PaneControlSite::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT PaneControlSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker != nullptr) *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT PaneControlSite::GetContainer(IOleContainer** container) {
  if (container != nullptr) *container = nullptr;
  return E_NOINTERFACE;
}

HRESULT PaneControlSite::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = window_;
  return window_ != nullptr ? S_OK : E_FAIL;
}

HRESULT PaneControlSite::CanInPlaceActivate() {
  return window_ != nullptr ? S_OK : S_FALSE;
}

HRESULT PaneControlSite::GetWindowContext(IOleInPlaceFrame** frame,
                                          IOleInPlaceUIWindow** document,
                                          RECT* position, RECT* clip,
                                          OLEINPLACEFRAMEINFO* frame_info) {
  if (frame == nullptr || document == nullptr || position == nullptr ||
      clip == nullptr || frame_info == nullptr) {
    return E_POINTER;
  }
  *frame = this;
  AddRef();
  *document = nullptr;
  RECT client{};
  if (window_ != nullptr) GetClientRect(window_, &client);
  *position = client;
  *clip = client;
  frame_info->cb = sizeof(*frame_info);
  frame_info->fMDIApp = FALSE;
  frame_info->hwndFrame = window_;
  frame_info->haccel = nullptr;
  frame_info->cAccelEntries = 0;
  return S_OK;
}

HRESULT PaneControlSite::GetHostInfo(DOCHOSTUIINFO* info) {
  if (info == nullptr) return E_POINTER;
  info->cbSize = sizeof(*info);
  // A strip on the toolbar: no sunken border, no scroll bars.
  info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO |
                  DOCHOSTUIFLAG_DISABLE_HELP_MENU;
  info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
  info->pchHostCss = nullptr;
  info->pchHostNS = nullptr;
  return S_OK;
}

HRESULT PaneControlSite::GetOptionKeyPath(LPOLESTR* key, DWORD) {
  if (key != nullptr) *key = nullptr;
  return E_NOTIMPL;
}

HRESULT PaneControlSite::GetDropTarget(IDropTarget*, IDropTarget** target) {
  if (target != nullptr) *target = nullptr;
  return E_NOTIMPL;
}

HRESULT PaneControlSite::GetExternal(IDispatch** external) {
  if (external != nullptr) *external = nullptr;
  return E_NOTIMPL;
}

HRESULT PaneControlSite::TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) {
  if (translated != nullptr) *translated = nullptr;
  return S_FALSE;
}

HRESULT PaneControlSite::FilterDataObject(IDataObject*,
                                          IDataObject** filtered) {
  if (filtered != nullptr) *filtered = nullptr;
  return S_FALSE;
}

}  // namespace zan
