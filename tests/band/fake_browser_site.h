#ifndef ZAN_TESTS_BAND_FAKE_BROWSER_SITE_H_
#define ZAN_TESTS_BAND_FAKE_BROWSER_SITE_H_

#include <windows.h>
// clang-format off
#include <exdisp.h>
#include <ocidl.h>
#include <shlobj.h>
#include <shobjidl.h>
// clang-format on

#include <string>
#include <vector>

namespace zan::test {

// One navigation the band asked for.
struct RecordedNavigation {
  std::string url;
  std::string target;
  std::string post_data;
  std::string headers;
};

// The browser as the band sees it through its site: an IWebBrowser2 that
// records what it is asked to do, and the connection point of its
// DWebBrowserEvents2 through which the test fires the browser's events.
// The test owns it; references are counted but never free it.
class FakeWebBrowser : public IWebBrowser2,
                       public IConnectionPointContainer,
                       public IConnectionPoint {
 public:
  FakeWebBrowser() = default;
  virtual ~FakeWebBrowser();

  std::vector<RecordedNavigation> navigations;
  std::vector<std::string> status_texts;
  IDispatch *sink() const { return sink_; }
  // The page document the browser shows (null: none); not owned.
  IDispatch *document = nullptr;

  // Fires an event at the connected sink with the arguments in call order;
  // false without a sink.
  bool Fire(DISPID id, std::vector<VARIANT> arguments);
  // BeforeNavigate2 to `url` in `target`; whether the band cancelled it.
  bool FireBeforeNavigate2(const std::wstring &url, const std::wstring &target);
  // NewWindow2; whether the band cancelled it.
  bool FireNewWindow2();

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }
  // The references held on it, the test's own one included.
  ULONG references() const { return references_; }
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID,
                                          DISPID *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *,
                                   VARIANT *, EXCEPINFO *, UINT *) override {
    return E_NOTIMPL;
  }
  // What the band uses:
  HRESULT STDMETHODCALLTYPE Navigate2(VARIANT *url, VARIANT *flags,
                                      VARIANT *target, VARIANT *post,
                                      VARIANT *headers) override;
  HRESULT STDMETHODCALLTYPE put_StatusText(BSTR text) override;
  HRESULT STDMETHODCALLTYPE ShowBrowserBar(VARIANT *, VARIANT *,
                                           VARIANT *) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Document(IDispatch **result) override;
  HRESULT STDMETHODCALLTYPE Quit() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL) override { return S_OK; }
  // The rest of the browser is not asked for.
  HRESULT STDMETHODCALLTYPE GoBack() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GoForward() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GoHome() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GoSearch() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Navigate(BSTR, VARIANT *, VARIANT *, VARIANT *,
                                     VARIANT *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Refresh() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Refresh2(VARIANT *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Application(IDispatch **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_Parent(IDispatch **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_Container(IDispatch **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_TopLevelContainer(VARIANT_BOOL *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_Type(BSTR *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Left(LONG *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Left(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Top(LONG *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Top(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Width(LONG *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Width(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Height(LONG *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Height(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_LocationName(BSTR *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_Busy(VARIANT_BOOL *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ClientToWindow(int *, int *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE PutProperty(BSTR, VARIANT) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetProperty(BSTR, VARIANT *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_Name(BSTR *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_HWND(SHANDLE_PTR *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_FullName(BSTR *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Path(BSTR *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_StatusBar(VARIANT_BOOL *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_StatusBar(VARIANT_BOOL) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_StatusText(BSTR *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_ToolBar(int *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_ToolBar(int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_MenuBar(VARIANT_BOOL *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_MenuBar(VARIANT_BOOL) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_FullScreen(VARIANT_BOOL *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_FullScreen(VARIANT_BOOL) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE QueryStatusWB(OLECMDID, OLECMDF *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ExecWB(OLECMDID, OLECMDEXECOPT, VARIANT *,
                                   VARIANT *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_ReadyState(READYSTATE *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_Offline(VARIANT_BOOL *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_Offline(VARIANT_BOOL) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_Silent(VARIANT_BOOL *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_Silent(VARIANT_BOOL) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_RegisterAsBrowser(VARIANT_BOOL *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_RegisterAsBrowser(VARIANT_BOOL) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_RegisterAsDropTarget(VARIANT_BOOL *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_RegisterAsDropTarget(VARIANT_BOOL) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_TheaterMode(VARIANT_BOOL *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_TheaterMode(VARIANT_BOOL) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_AddressBar(VARIANT_BOOL *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_AddressBar(VARIANT_BOOL) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_Resizable(VARIANT_BOOL *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_Resizable(VARIANT_BOOL) override {
    return E_NOTIMPL;
  }

  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE
  EnumConnectionPoints(IEnumConnectionPoints **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE
  FindConnectionPoint(REFIID iid, IConnectionPoint **point) override;
  // IConnectionPoint
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID *iid) override;
  HRESULT STDMETHODCALLTYPE
  GetConnectionPointContainer(IConnectionPointContainer **container) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown *sink, DWORD *cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections **) override {
    return E_NOTIMPL;
  }

 private:
  ULONG references_ = 1;
  IDispatch *sink_ = nullptr;
};

// The band's place in the browser window: its window (a rebar-like
// parent), the service provider that hands out the browser, the
// input-object site that hears about focus changes, and the command target
// that hears when the band's sizes changed.
class FakeSite : public IServiceProvider,
                 public IOleWindow,
                 public IInputObjectSite,
                 public IOleCommandTarget {
 public:
  // `browser` null: a site without a service provider.
  FakeSite(HWND window, FakeWebBrowser *browser)
      : window_(window), browser_(browser) {}
  virtual ~FakeSite() = default;

  int focus_changes = 0;
  // DBID_BANDINFOCHANGED commands of CGID_DeskBand, with the band id given.
  int band_info_changes = 0;
  LONG changed_band_id = -1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }
  // The references held on it, the test's own one included.
  ULONG references() const { return references_; }
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid,
                                         void **object) override;
  HRESULT STDMETHODCALLTYPE GetWindow(HWND *window) override {
    *window = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnFocusChangeIS(IUnknown *, BOOL) override {
    ++focus_changes;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryStatus(const GUID *, ULONG, OLECMD *,
                                        OLECMDTEXT *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Exec(const GUID *group, DWORD id, DWORD,
                                 VARIANT *in, VARIANT *) override;

 private:
  ULONG references_ = 1;
  HWND window_;
  FakeWebBrowser *browser_;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_BAND_FAKE_BROWSER_SITE_H_
