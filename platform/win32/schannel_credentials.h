#ifndef ZAN_PLATFORM_WIN32_SCHANNEL_CREDENTIALS_H_
#define ZAN_PLATFORM_WIN32_SCHANNEL_CREDENTIALS_H_

#ifndef SECURITY_WIN32
#define SECURITY_WIN32
#endif
#include <windows.h>
// The package's declarations need windows.h first.
#include <security.h>

#include <memory>

namespace zan {

// The client credentials of the Schannel package: TLS 1.2 and 1.3 only, no
// client certificate, and the server's certificate left to the caller to
// check (the package's own check is switched off, so that one rule for
// trust and names holds on every system).
class SchannelCredentials {
 public:
  // Null when the package refuses every way of asking for them.
  static std::shared_ptr<SchannelCredentials> Acquire();
  ~SchannelCredentials();
  SchannelCredentials(const SchannelCredentials&) = delete;
  SchannelCredentials& operator=(const SchannelCredentials&) = delete;

  CredHandle* handle() { return &handle_; }

 private:
  SchannelCredentials() = default;

  CredHandle handle_{};
  bool acquired_ = false;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_WIN32_SCHANNEL_CREDENTIALS_H_
