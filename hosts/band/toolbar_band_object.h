#ifndef ZAN_HOSTS_BAND_TOOLBAR_BAND_OBJECT_H_
#define ZAN_HOSTS_BAND_TOOLBAR_BAND_OBJECT_H_

#include <windows.h>
// clang-format off
#include <exdisp.h>
#include <shlobj.h>
#include <shobjidl.h>
// clang-format on

#include <memory>

#include "hosts/band/zan_idl.h"

namespace zan {

class BandToolbar;
class BrowserEventSink;

// The COM object RYXToolBarObjZAN: one per browser window, where it is the
// toolbar band (site, size, focus, keys, the browser's events), or one that
// a script creates by its ProgID to store client-side properties. Every
// decision is the core's BandObject's; this class only speaks COM.
class ToolbarBandObject : public IRYXToolBarObjZAN,
                          public IDeskBand,
                          public IObjectWithSite,
                          public IPersistStream,
                          public IInputObject {
 public:
  ToolbarBandObject();
  virtual ~ToolbarBandObject();
  ToolbarBandObject(const ToolbarBandObject&) = delete;
  ToolbarBandObject& operator=(const ToolbarBandObject&) = delete;

  // IUnknown:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch, answered from the module's type library:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale,
                                        ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names,
                                          UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale,
                                   WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* argument_error) override;

  // IRYXToolBarObjZAN: stores "CSP_" + name in the settings. S_OK, also
  // for an empty name (nothing stored); DISP_E_TYPEMISMATCH, storing
  // nothing, when an argument has no text (null, or not convertible).
  HRESULT STDMETHODCALLTYPE SetClientSideProperty(VARIANT name,
                                                  VARIANT value) override;

  // IOleWindow:
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override;
  // IDockingWindow:
  HRESULT STDMETHODCALLTYPE ShowDW(BOOL show) override;
  HRESULT STDMETHODCALLTYPE CloseDW(DWORD reserved) override;
  HRESULT STDMETHODCALLTYPE ResizeBorderDW(LPCRECT border, IUnknown* site,
                                           BOOL reserved) override;
  // IDeskBand:
  HRESULT STDMETHODCALLTYPE GetBandInfo(DWORD band_id, DWORD view_mode,
                                        DESKBANDINFO* info) override;
  // IObjectWithSite:
  HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override;
  HRESULT STDMETHODCALLTYPE GetSite(REFIID iid, void** site) override;
  // IPersist, IPersistStream: nothing is kept.
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* class_id) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override;
  HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
  HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clear_dirty) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
  // IInputObject:
  HRESULT STDMETHODCALLTYPE UIActivateIO(BOOL activate, MSG* message) override;
  HRESULT STDMETHODCALLTYPE HasFocusIO() override;
  HRESULT STDMETHODCALLTYPE TranslateAcceleratorIO(MSG* message) override;

 private:
  ITypeInfo* TypeInfo();
  IUnknown* Identity() { return static_cast<IRYXToolBarObjZAN*>(this); }
  // A browser event by DISPID with its arguments.
  void OnBrowserEvent(DISPID id, DISPPARAMS* parameters);
  // The browser window closes: the toolbar lets go of the band.
  void OnQuit();
  void ReleaseBrowser();
  // Stops hearing the browser's events and lets go of the sink.
  void ReleaseSink();
  // The index of the browser's rebar band that holds the toolbar; -1 when
  // there is none.
  int RebarBandIndex() const;
  // The toolbar reported a new ideal width: once the band is shown, the
  // browser's rebar gets it and the site hears that the band's sizes
  // changed, so that it asks GetBandInfo again.
  void OnIdealWidth(int width);
  void SetRebarIdealWidth(int width);
  void NotifyBandInfoChanged();

  LONG references_ = 1;
  ITypeInfo* type_info_ = nullptr;
  IUnknown* site_ = nullptr;
  IWebBrowser2* browser_ = nullptr;
  HWND parent_ = nullptr;
  IInputObjectSite* input_site_ = nullptr;
  DWORD band_id_ = 0;
  BOOL show_ = FALSE;
  // The ideal width the browser was last given (GetBandInfo or a change
  // notice); -1 before.
  int given_ideal_width_ = -1;
  std::unique_ptr<BandToolbar> toolbar_;
  BrowserEventSink* sink_ = nullptr;
};

}  // namespace zan

#endif  // ZAN_HOSTS_BAND_TOOLBAR_BAND_OBJECT_H_
