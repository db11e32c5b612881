#include "platform/win32/url_moniker_downloader.h"

#include <urlmon.h>
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <chrono>

namespace zan {
namespace {

using Clock = std::chrono::steady_clock;

// Watches one transfer: URLDownloadToFileA reports to it as the transfer
// goes on, and it aborts a transfer past its time or with an HTTP error.
class DownloadWatch : public IBindStatusCallback, public IHttpNegotiate {
 public:
  explicit DownloadWatch(const UrlDownloadLimits& limits)
      : limits_(limits), start_(Clock::now()) {
    Touch();
  }

  // IUnknown. The object lives on the caller's stack for the whole call.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) ||
        IsEqualIID(riid, IID_IBindStatusCallback)) {
      *out = static_cast<IBindStatusCallback*>(this);
    } else if (IsEqualIID(riid, IID_IHttpNegotiate)) {
      *out = static_cast<IHttpNegotiate*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  // IBindStatusCallback.
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override {
    Touch();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG, ULONG,
                                       LPCWSTR) override {
    if (progress != last_progress_) {
      last_progress_ = progress;
      Touch();
    }
    return OutOfTime() ? E_ABORT : S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO* info) override {
    if (flags != nullptr) *flags |= BINDF_GETNEWESTVERSION;
    (void)info;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*,
                                            STGMEDIUM*) override {
    Touch();
    return OutOfTime() ? E_ABORT : S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override {
    return S_OK;
  }

  // IHttpNegotiate.
  HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD,
                                                 LPWSTR* extra) override {
    if (extra != nullptr) *extra = nullptr;
    Touch();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnResponse(DWORD code, LPCWSTR, LPCWSTR,
                                       LPWSTR* extra) override {
    if (extra != nullptr) *extra = nullptr;
    status_ = static_cast<long>(code);
    Touch();
    return (code >= 200 && code < 300) ? S_OK : E_ABORT;
  }

  bool OutOfTime() const {
    const auto now = Clock::now();
    const auto since = [&](Clock::time_point then) {
      return std::chrono::duration_cast<std::chrono::milliseconds>(now - then)
          .count();
    };
    return since(start_) > limits_.total_timeout_ms ||
           since(Clock::time_point(Clock::duration(last_activity_.load()))) >
               limits_.stall_timeout_ms;
  }
  // The HTTP status seen, 0 when none came (a file URL).
  long status() const { return status_; }

 private:
  void Touch() { last_activity_ = Clock::now().time_since_epoch().count(); }

  const UrlDownloadLimits limits_;
  const Clock::time_point start_;
  std::atomic<Clock::duration::rep> last_activity_{0};
  ULONG last_progress_ = 0;
  std::atomic<long> status_{0};
};

// WinINet's own time-outs, for the whole process: they end a transfer whose
// peer sends nothing at all, when no progress report comes to abort it.
void SetInternetTimeouts(const UrlDownloadLimits& limits) {
  DWORD connect = static_cast<DWORD>(limits.connect_timeout_ms);
  DWORD receive = static_cast<DWORD>(limits.stall_timeout_ms);
  InternetSetOptionA(nullptr, INTERNET_OPTION_CONNECT_TIMEOUT, &connect,
                     sizeof connect);
  InternetSetOptionA(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive,
                     sizeof receive);
  InternetSetOptionA(nullptr, INTERNET_OPTION_SEND_TIMEOUT, &receive,
                     sizeof receive);
}

}  // namespace

UrlMonikerDownloader::UrlMonikerDownloader(UrlDownloadLimits limits)
    : limits_(limits) {}

bool UrlMonikerDownloader::DownloadToFile(const std::string& url,
                                          const std::string& path) {
  // URL monikers need COM on the calling thread; inside the browser it is
  // already there (S_FALSE, or another model, which is fine as it is).
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  SetInternetTimeouts(limits_);
  DownloadWatch watch(limits_);
  const HRESULT result =
      URLDownloadToFileA(nullptr, url.c_str(), path.c_str(), 0, &watch);
  if (SUCCEEDED(com)) CoUninitialize();
  const long status = watch.status();
  const bool status_ok = status == 0 || (status >= 200 && status < 300);
  return SUCCEEDED(result) && status_ok && !watch.OutOfTime();
}

}  // namespace zan
