#include "platform/win32/url_moniker_downloader.h"

#include <urlmon.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace zan {
namespace {

using Clock = std::chrono::steady_clock;

// What the downloading thread and the waiting caller share about one
// transfer.
struct Transfer {
  std::mutex mutex;
  std::condition_variable changed;
  Clock::time_point last_activity = Clock::now();
  bool abandoned = false;  // the watchdog gave up on the transfer
  bool done = false;
  long status = 0;                         // HTTP status; 0 for file URLs
  std::optional<uint64_t> content_length;  // from the HTTP answer
  IBinding* binding = nullptr;             // while the transfer runs
};

// The value of the header `name` in a block of HTTP header lines.
std::optional<uint64_t> ContentLength(const wchar_t* headers) {
  if (headers == nullptr) return std::nullopt;
  const std::wstring text(headers);
  static constexpr wchar_t kName[] = L"content-length:";
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    start = end + 1;
    if (line.size() < 15) continue;
    bool match = true;
    for (size_t i = 0; i < 15 && match; ++i) {
      wchar_t c = line[i];
      if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
      match = c == kName[i];
    }
    if (!match) continue;
    uint64_t value = 0;
    bool digits = false;
    for (size_t i = 15; i < line.size(); ++i) {
      if (line[i] >= L'0' && line[i] <= L'9') {
        value = value * 10 + static_cast<uint64_t>(line[i] - L'0');
        digits = true;
      } else if (line[i] != L' ' && line[i] != L'\t' && line[i] != L'\r') {
        return std::nullopt;
      }
    }
    return digits ? std::optional<uint64_t>(value) : std::nullopt;
  }
  return std::nullopt;
}

// The status callback of one transfer: it notes every sign of life for the
// watchdog, keeps the binding so that the caller can abort it, and fails an
// HTTP answer whose status is not 2xx (the moniker would store the error
// page).
class DownloadWatch : public IBindStatusCallback, public IHttpNegotiate {
 public:
  explicit DownloadWatch(std::shared_ptr<Transfer> transfer)
      : transfer_(std::move(transfer)) {}

  // IUnknown. The object lives on the downloading thread's stack for the
  // whole call.
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
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding* binding) override {
    std::lock_guard<std::mutex> lock(transfer_->mutex);
    if (binding != nullptr) {
      binding->AddRef();
      transfer_->binding = binding;
    }
    return Touch(lock);
  }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override {
    std::lock_guard<std::mutex> lock(transfer_->mutex);
    return Touch(lock);
  }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override {
    std::lock_guard<std::mutex> lock(transfer_->mutex);
    if (transfer_->binding != nullptr) {
      transfer_->binding->Release();
      transfer_->binding = nullptr;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO*) override {
    // Always from the site, never an older copy from the cache.
    if (flags != nullptr) *flags |= BINDF_GETNEWESTVERSION;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*,
                                            STGMEDIUM*) override {
    std::lock_guard<std::mutex> lock(transfer_->mutex);
    return Touch(lock);
  }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override {
    return S_OK;
  }

  // IHttpNegotiate.
  HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD,
                                                 LPWSTR* extra) override {
    if (extra != nullptr) *extra = nullptr;
    std::lock_guard<std::mutex> lock(transfer_->mutex);
    return Touch(lock);
  }
  HRESULT STDMETHODCALLTYPE OnResponse(DWORD code, LPCWSTR headers, LPCWSTR,
                                       LPWSTR* extra) override {
    if (extra != nullptr) *extra = nullptr;
    std::lock_guard<std::mutex> lock(transfer_->mutex);
    transfer_->status = static_cast<long>(code);
    transfer_->content_length = ContentLength(headers);
    if (code < 200 || code >= 300) return E_ABORT;
    return Touch(lock);
  }

 private:
  HRESULT Touch(const std::lock_guard<std::mutex>&) {
    transfer_->last_activity = Clock::now();
    return transfer_->abandoned ? E_ABORT : S_OK;
  }

  std::shared_ptr<Transfer> transfer_;
};

uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    return 0;
  }
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

UrlMonikerDownloader::UrlMonikerDownloader(UrlDownloadLimits limits)
    : limits_(limits) {}

bool UrlMonikerDownloader::DownloadToFile(const std::string& url,
                                          const std::string& path) {
  // The moniker reports nothing while no data comes, so a watchdog thread
  // aborts the binding of a transfer that stalls or takes too long.
  auto transfer = std::make_shared<Transfer>();
  const UrlDownloadLimits limits = limits_;
  std::thread watchdog([transfer, limits] {
    const auto start = Clock::now();
    std::unique_lock<std::mutex> lock(transfer->mutex);
    while (!transfer->done) {
      transfer->changed.wait_for(lock, std::chrono::milliseconds(100));
      if (transfer->done) return;
      const auto now = Clock::now();
      // Before the answer the connect time counts, after it the stall time.
      const long quiet_limit =
          transfer->status == 0
              ? std::max(limits.connect_timeout_ms, limits.stall_timeout_ms)
              : limits.stall_timeout_ms;
      if (now - transfer->last_activity >
              std::chrono::milliseconds(quiet_limit) ||
          now - start > std::chrono::milliseconds(limits.total_timeout_ms)) {
        transfer->abandoned = true;
        if (transfer->binding != nullptr) transfer->binding->Abort();
        return;
      }
    }
  });

  // URL monikers need COM on the calling thread; inside the browser it is
  // already there (S_FALSE, or another model, which is fine as it is).
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HRESULT result;
  {
    DownloadWatch watch(transfer);
    result = URLDownloadToFileA(nullptr, url.c_str(), path.c_str(), 0, &watch);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  bool abandoned;
  long status;
  std::optional<uint64_t> length;
  {
    std::lock_guard<std::mutex> lock(transfer->mutex);
    transfer->done = true;
    abandoned = transfer->abandoned;
    status = transfer->status;
    length = transfer->content_length;
    transfer->changed.notify_all();
  }
  watchdog.join();
  if (abandoned || FAILED(result)) return false;
  if (status != 0 && (status < 200 || status >= 300)) return false;
  // A connection that ended early gives a short file and no error.
  return !length || FileSize(path) == *length;
}

}  // namespace zan
