#include "platform/win32/schannel_credentials.h"

// The newer credentials (protocols to leave out) need the string type of
// subauth.h.
#define SCHANNEL_USE_BLACKLISTS
#include <subauth.h>
// (after subauth.h)
#include <schannel.h>

namespace zan {
namespace {

constexpr DWORD kFlags = SCH_CRED_MANUAL_CRED_VALIDATION |
                         SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
constexpr DWORD kModernClient = SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT;

bool AcquireWith(void* auth_data, CredHandle* handle) {
  TimeStamp expiry;
  wchar_t package[] = UNISP_NAME_W;
  return AcquireCredentialsHandleW(nullptr, package, SECPKG_CRED_OUTBOUND,
                                   nullptr, auth_data, nullptr, nullptr, handle,
                                   &expiry) == SEC_E_OK;
}

}  // namespace

std::shared_ptr<SchannelCredentials> SchannelCredentials::Acquire() {
  std::shared_ptr<SchannelCredentials> made(new SchannelCredentials());
  // Newer systems take the protocols to leave out; older ones know only the
  // list of protocols to use, and the oldest of those refuse TLS 1.3 in it.
  TLS_PARAMETERS parameters{};
  parameters.grbitDisabledProtocols = ~kModernClient;
  SCH_CREDENTIALS current{};
  current.dwVersion = SCH_CREDENTIALS_VERSION;
  current.dwFlags = kFlags;
  current.cTlsParameters = 1;
  current.pTlsParameters = &parameters;
  made->acquired_ = AcquireWith(&current, made->handle());
  if (made->acquired_) return made;
  for (DWORD protocols : {kModernClient, DWORD{SP_PROT_TLS1_2_CLIENT}}) {
    SCHANNEL_CRED older{};
    older.dwVersion = SCHANNEL_CRED_VERSION;
    older.grbitEnabledProtocols = protocols;
    older.dwFlags = kFlags;
    made->acquired_ = AcquireWith(&older, made->handle());
    if (made->acquired_) return made;
  }
  return nullptr;
}

SchannelCredentials::~SchannelCredentials() {
  if (acquired_) FreeCredentialsHandle(&handle_);
}

}  // namespace zan
