#include "hosts/band/toolbar_band_object.h"

#include <algorithm>

#include "browser/command_ids.h"
#include "commands/client_side_property.h"
#include "hosts/band/band_toolbar.h"
#include "hosts/band/browser_event_sink.h"
#include "hosts/band/com_text.h"
#include "hosts/band/combo_search_box_view.h"
#include "hosts/band/server_module.h"
#include "hosts/band/type_library.h"
#include "hosts/band/variant_argument.h"
#include "platform/win32/win32_registry.h"
#include "settings/settings_store.h"

namespace zan {

ToolbarBandObject::ToolbarBandObject() { ServerModule::Instance().AddObject(); }

ToolbarBandObject::~ToolbarBandObject() {
  ReleaseSink();
  BandToolbar::Dispose(std::move(toolbar_));
  ReleaseBrowser();
  if (input_site_ != nullptr) input_site_->Release();
  if (site_ != nullptr) site_->Release();
  if (type_info_ != nullptr) type_info_->Release();
  ServerModule::Instance().ReleaseObject();
}

HRESULT ToolbarBandObject::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IRYXToolBarObjZAN)) {
    *object = static_cast<IRYXToolBarObjZAN*>(this);
  } else if (IsEqualIID(iid, IID_IOleWindow)) {
    *object = static_cast<IOleWindow*>(static_cast<IDeskBand*>(this));
  } else if (IsEqualIID(iid, IID_IDockingWindow)) {
    *object = static_cast<IDockingWindow*>(this);
  } else if (IsEqualIID(iid, IID_IObjectWithSite)) {
    *object = static_cast<IObjectWithSite*>(this);
  } else if (IsEqualIID(iid, IID_IDeskBand)) {
    *object = static_cast<IDeskBand*>(this);
  } else if (IsEqualIID(iid, IID_IPersist)) {
    *object = static_cast<IPersist*>(this);
  } else if (IsEqualIID(iid, IID_IPersistStream)) {
    *object = static_cast<IPersistStream*>(this);
  } else if (IsEqualIID(iid, IID_IInputObject)) {
    *object = static_cast<IInputObject*>(this);
  } else if (IsEqualIID(iid, IID_IDispatch)) {
    *object = static_cast<IRYXToolBarObjZAN*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG ToolbarBandObject::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG ToolbarBandObject::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

ITypeInfo* ToolbarBandObject::TypeInfo() {
  if (type_info_ == nullptr) {
    type_info_ = LoadModuleTypeInfo(IID_IRYXToolBarObjZAN);
  }
  return type_info_;
}

HRESULT ToolbarBandObject::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = TypeInfo() != nullptr ? 1 : 0;
  return S_OK;
}

HRESULT ToolbarBandObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  if (TypeInfo() == nullptr) return TYPE_E_CANTLOADLIBRARY;
  type_info_->AddRef();
  *info = type_info_;
  return S_OK;
}

HRESULT ToolbarBandObject::GetIDsOfNames(REFIID iid, LPOLESTR* names,
                                         UINT count, LCID, DISPID* ids) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (TypeInfo() == nullptr) return TYPE_E_CANTLOADLIBRARY;
  return DispGetIDsOfNames(type_info_, names, count, ids);
}

HRESULT ToolbarBandObject::Invoke(DISPID id, REFIID iid, LCID, WORD flags,
                                  DISPPARAMS* parameters, VARIANT* result,
                                  EXCEPINFO* exception, UINT* argument_error) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (TypeInfo() == nullptr) return TYPE_E_CANTLOADLIBRARY;
  return DispInvoke(static_cast<IRYXToolBarObjZAN*>(this), type_info_, id,
                    flags, parameters, result, exception, argument_error);
}

HRESULT ToolbarBandObject::SetClientSideProperty(VARIANT name, VARIANT value) {
  const std::optional<PropertyArgument> name_argument =
      ArgumentFromVariant(name);
  const std::optional<PropertyArgument> value_argument =
      ArgumentFromVariant(value);
  if (!name_argument || !value_argument) return DISP_E_TYPEMISMATCH;
  Win32Registry registry;
  SettingsStore settings(registry);
  return zan::SetClientSideProperty(settings, *name_argument, *value_argument)
             ? S_OK
             : DISP_E_TYPEMISMATCH;
}

void ToolbarBandObject::ReleaseBrowser() {
  if (browser_ != nullptr) browser_->Release();
  browser_ = nullptr;
}

void ToolbarBandObject::ReleaseSink() {
  if (sink_ == nullptr) return;
  sink_->Detach();
  sink_->Disconnect();
  sink_->Release();
  sink_ = nullptr;
}

int ToolbarBandObject::RebarBandIndex() const {
  HWND toolbar = toolbar_ ? toolbar_->toolbar_window() : nullptr;
  if (parent_ == nullptr || toolbar == nullptr) return -1;
  const auto bands =
      static_cast<int>(SendMessageA(parent_, RB_GETBANDCOUNT, 0, 0));
  for (int i = 0; i < bands; ++i) {
    REBARBANDINFOA info{};
    info.cbSize = REBARBANDINFOA_V6_SIZE;
    info.fMask = RBBIM_CHILD;
    if (SendMessageA(parent_, RB_GETBANDINFOA, i,
                     reinterpret_cast<LPARAM>(&info)) &&
        info.hwndChild == toolbar) {
      return i;
    }
  }
  return -1;
}

HRESULT ToolbarBandObject::GetWindow(HWND* window) {
  if (window == nullptr) return E_INVALIDARG;
  *window = toolbar_ ? toolbar_->toolbar_window() : nullptr;
  return S_OK;
}

HRESULT ToolbarBandObject::ContextSensitiveHelp(BOOL) { return S_OK; }

HRESULT ToolbarBandObject::ShowDW(BOOL show) {
  // The browser shows a chevron on the band when it is too narrow.
  const int band = RebarBandIndex();
  REBARBANDINFOA info{};
  info.cbSize = REBARBANDINFOA_V6_SIZE;
  info.fMask = RBBIM_STYLE;
  if (band >= 0 && SendMessageA(parent_, RB_GETBANDINFOA, band,
                                reinterpret_cast<LPARAM>(&info))) {
    info.fStyle |= RBBS_USECHEVRON;
    SendMessageA(parent_, RB_SETBANDINFOA, band,
                 reinterpret_cast<LPARAM>(&info));
  }
  show_ = show;
  if (toolbar_) {
    toolbar_->band().ShowDW(show != FALSE);
    ShowWindow(toolbar_->toolbar_window(), show ? SW_SHOW : SW_HIDE);
    // The toolbar may have changed its width while it was hidden.
    const int ideal = toolbar_->view().ideal_width();
    if (show && given_ideal_width_ >= 0 && ideal >= 0) OnIdealWidth(ideal);
  }
  return S_OK;
}

HRESULT ToolbarBandObject::CloseDW(DWORD) { return S_OK; }

HRESULT ToolbarBandObject::ResizeBorderDW(LPCRECT, IUnknown*, BOOL) {
  return E_NOTIMPL;
}

HRESULT ToolbarBandObject::GetBandInfo(DWORD band_id, DWORD /*view_mode*/,
                                       DESKBANDINFO* info) {
  band_id_ = band_id;
  if (info == nullptr) return S_OK;
  BandInfo sizes;
  if (toolbar_) {
    BandSizeCounter& counter = BandSizeCounter::Instance();
    const int before = counter.value();
    sizes = toolbar_->band().GetBandInfo(GetSystemMetrics(SM_CXFULLSCREEN));
    // Only a minimum-size request counts.
    if ((info->dwMask & DBIM_MINSIZE) == 0) counter.Set(before);
    // Past the first requests the toolbar's own minimum: up to its last
    // search box, plus room for the rebar's chevron when buttons follow it,
    // so that the chevron never covers a search box.
    if (before >= 2) {
      sizes.min_size.width =
          std::max(sizes.min_size.width, toolbar_->view().minimum_width());
    }
  }
  if (info->dwMask & DBIM_MINSIZE) {
    info->ptMinSize = {sizes.min_size.width, sizes.min_size.height};
  }
  if (info->dwMask & DBIM_MAXSIZE) info->ptMaxSize = {0, -1};
  if (info->dwMask & DBIM_INTEGRAL) info->ptIntegral = {1, 1};
  if (info->dwMask & DBIM_ACTUAL) {
    // The ideal size: the width the toolbar reported for all its buttons.
    const int ideal = toolbar_ ? toolbar_->view().ideal_width() : -1;
    if (ideal >= 0) sizes.actual.width = ideal;
    info->ptActual = {sizes.actual.width, sizes.actual.height};
    given_ideal_width_ = sizes.actual.width;
  }
  if (info->dwMask & DBIM_TITLE) info->wszTitle[0] = L'\0';
  info->dwMask &= ~static_cast<DWORD>(DBIM_BKCOLOR);
  if (info->dwMask & DBIM_MODEFLAGS) info->dwModeFlags = 0x1A0;
  return S_OK;
}

HRESULT ToolbarBandObject::SetSite(IUnknown* site) {
  if (site_ != nullptr) site_->Release();
  site_ = site;
  if (site_ == nullptr) return S_OK;
  site_->AddRef();

  IServiceProvider* provider = nullptr;
  const HRESULT asked = site->QueryInterface(
      IID_IServiceProvider, reinterpret_cast<void**>(&provider));
  if (FAILED(asked) && asked != E_NOINTERFACE) return asked;
  bool browser_refused = false;
  if (provider != nullptr) {
    ReleaseBrowser();
    const HRESULT found =
        provider->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2,
                               reinterpret_cast<void**>(&browser_));
    provider->Release();
    if (FAILED(found)) {
      browser_ = nullptr;
      browser_refused = true;
    }
  }
  IOleWindow* window = nullptr;
  const bool has_window = SUCCEEDED(
      site->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window)));
  if (browser_ == nullptr) {
    if (window != nullptr) window->Release();
    // A site with neither a browser nor a window is a script engine's,
    // which gives the objects it creates a site too: such an object is no
    // band but stores client-side properties all the same.
    if (!has_window) return S_OK;
    return browser_refused ? E_FAIL : E_INVALIDARG;
  }
  parent_ = nullptr;
  if (has_window) {
    window->GetWindow(&parent_);
    window->Release();
  }
  if (!IsWindow(parent_)) return E_FAIL;

  ReleaseSink();
  BandToolbar::Dispose(std::move(toolbar_));
  toolbar_ = std::make_unique<BandToolbar>(parent_, browser_);
  if (toolbar_->toolbar_window() == nullptr) return E_FAIL;
  given_ideal_width_ = -1;
  toolbar_->view().SetIdealWidthHandler(
      [this](int width) { OnIdealWidth(width); });
  // The browser hears when the focus enters or leaves a search box.
  toolbar_->view().SetFocusHandler([this](bool got_focus) {
    if (input_site_ != nullptr) {
      input_site_->OnFocusChangeIS(Identity(), got_focus ? TRUE : FALSE);
    }
  });

  sink_ = new BrowserEventSink([this](DISPID id, DISPPARAMS* parameters) {
    OnBrowserEvent(id, parameters);
  });
  sink_->Connect(browser_);

  if (input_site_ != nullptr) input_site_->Release();
  input_site_ = nullptr;
  site->QueryInterface(IID_IInputObjectSite,
                       reinterpret_cast<void**>(&input_site_));
  return S_OK;
}

HRESULT ToolbarBandObject::GetSite(REFIID iid, void** site) {
  if (site == nullptr) return E_POINTER;
  *site = nullptr;
  if (site_ == nullptr) return E_FAIL;
  return site_->QueryInterface(iid, site);
}

HRESULT ToolbarBandObject::GetClassID(CLSID* class_id) {
  if (class_id == nullptr) return E_POINTER;
  *class_id = CLSID_RYXToolBarObjZAN;
  return S_OK;
}

HRESULT ToolbarBandObject::IsDirty() { return S_FALSE; }
HRESULT ToolbarBandObject::Load(IStream*) { return S_OK; }
HRESULT ToolbarBandObject::Save(IStream*, BOOL) { return S_OK; }
HRESULT ToolbarBandObject::GetSizeMax(ULARGE_INTEGER*) { return E_NOTIMPL; }

HRESULT ToolbarBandObject::UIActivateIO(BOOL activate, MSG*) {
  if (toolbar_) toolbar_->band().UIActivateIO(activate != FALSE);
  return S_OK;
}

HRESULT ToolbarBandObject::HasFocusIO() {
  return toolbar_ && toolbar_->band().HasFocusIO() ? S_OK : S_FALSE;
}

HRESULT ToolbarBandObject::TranslateAcceleratorIO(MSG* message) {
  // The focused search box takes the keys the browser must not act on.
  if (message == nullptr || HasFocusIO() != S_OK) return S_FALSE;
  return ComboSearchBoxView::TranslateAccelerator(*message) ? S_OK : S_FALSE;
}

namespace {

// The VARIANT_BOOL that a Cancel argument points to, or null.
VARIANT_BOOL* CancelOf(const VARIANT& argument) {
  return argument.vt == (VT_BYREF | VT_BOOL) ? argument.pboolVal : nullptr;
}

// The text of a target frame argument (a text, or a reference to one).
std::optional<std::string> TargetOf(const VARIANT& argument) {
  const VARIANT* value = &argument;
  if (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal != nullptr) {
    value = value->pvarVal;
  }
  if (value->vt == VT_BSTR) return AnsiFromBstr(value->bstrVal);
  if (value->vt == (VT_BYREF | VT_BSTR) && value->pbstrVal != nullptr) {
    return AnsiFromBstr(*value->pbstrVal);
  }
  return std::nullopt;
}

}  // namespace

void ToolbarBandObject::OnBrowserEvent(DISPID id, DISPPARAMS* parameters) {
  if (!toolbar_) return;
  BandObject& band = toolbar_->band();
  // Arguments arrive last first.
  const UINT count = parameters != nullptr ? parameters->cArgs : 0;
  switch (id) {
    case kDispidBeforeNavigate2:
      if (count >= 7) {
        VARIANT_BOOL* cancel = CancelOf(parameters->rgvarg[0]);
        if (band.BeforeNavigate2(TargetOf(parameters->rgvarg[3])) && cancel) {
          *cancel = VARIANT_TRUE;
        }
      }
      break;
    case kDispidNewWindow2:
      if (count >= 2) {
        VARIANT_BOOL* cancel = CancelOf(parameters->rgvarg[0]);
        if (band.NewWindow2() && cancel) *cancel = VARIANT_TRUE;
      }
      break;
    case kDispidOnQuit:
      OnQuit();
      break;
    default: {
      bool has_document = false;
      if (id != kDispidNavigateComplete2 && browser_ != nullptr) {
        IDispatch* document = nullptr;
        if (SUCCEEDED(browser_->get_Document(&document)) && document) {
          has_document = true;
          document->Release();
        }
      }
      band.Invoke(static_cast<int>(id), has_document);
      break;
    }
  }
}

void ToolbarBandObject::OnIdealWidth(int width) {
  // Before the band is shown the browser asks for the sizes itself.
  if (!show_ || width == given_ideal_width_) return;
  given_ideal_width_ = width;
  SetRebarIdealWidth(width);
  NotifyBandInfoChanged();
}

void ToolbarBandObject::SetRebarIdealWidth(int width) {
  const int band = RebarBandIndex();
  if (band < 0) return;
  REBARBANDINFOA info{};
  info.cbSize = REBARBANDINFOA_V6_SIZE;
  info.fMask = RBBIM_IDEALSIZE;
  info.cxIdeal = static_cast<UINT>(width);
  SendMessageA(parent_, RB_SETBANDINFOA, band, reinterpret_cast<LPARAM>(&info));
}

void ToolbarBandObject::NotifyBandInfoChanged() {
  if (site_ == nullptr) return;
  IOleCommandTarget* target = nullptr;
  if (FAILED(site_->QueryInterface(IID_IOleCommandTarget,
                                   reinterpret_cast<void**>(&target))) ||
      target == nullptr) {
    return;
  }
  VARIANT band;
  VariantInit(&band);
  band.vt = VT_I4;
  band.lVal = static_cast<LONG>(band_id_);
  target->Exec(&CGID_DeskBand, DBID_BANDINFOCHANGED, OLECMDEXECOPT_DODEFAULT,
               &band, nullptr);
  target->Release();
}

void ToolbarBandObject::OnQuit() {
  toolbar_->band().OnQuit();
  if (sink_ != nullptr) sink_->Disconnect();
}

}  // namespace zan
