#ifndef ZAN_HOSTS_BAND_BROWSER_EVENT_SINK_H_
#define ZAN_HOSTS_BAND_BROWSER_EVENT_SINK_H_

#include <windows.h>
// clang-format off
#include <exdisp.h>
// clang-format on

#include <functional>

namespace zan {

// The band's listener on the browser's DWebBrowserEvents2 connection
// point: each call arrives with its DISPID and arguments.
class BrowserEventSink : public IDispatch {
 public:
  using Handler = std::function<void(DISPID id, DISPPARAMS* parameters)>;
  explicit BrowserEventSink(Handler handler);
  virtual ~BrowserEventSink() = default;
  BrowserEventSink(const BrowserEventSink&) = delete;
  BrowserEventSink& operator=(const BrowserEventSink&) = delete;

  // Subscribes to `browser`'s events; false when it offers none.
  bool Connect(IUnknown* browser);
  // Ends the subscription, when there is one.
  void Disconnect();
  bool connected() const { return cookie_ != kNotConnected; }
  // No more calls reach the handler (the band is going).
  void Detach() { handler_ = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID,
                                          DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale,
                                   WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* argument_error) override;

  static constexpr DWORD kNotConnected = 0xFEFEFEFE;

 private:
  LONG references_ = 1;
  Handler handler_;
  IConnectionPoint* point_ = nullptr;
  DWORD cookie_ = kNotConnected;
};

}  // namespace zan

#endif  // ZAN_HOSTS_BAND_BROWSER_EVENT_SINK_H_
