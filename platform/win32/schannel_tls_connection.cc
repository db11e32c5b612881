#include "platform/win32/schannel_tls_connection.h"

#include <schannel.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/schannel_credentials.h"

namespace zan {
namespace {

constexpr DWORD kRequest = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                           ISC_REQ_CONFIDENTIALITY | ISC_REQ_ALLOCATE_MEMORY |
                           ISC_REQ_STREAM | ISC_REQ_USE_SUPPLIED_CREDS;
// A handshake is a few flights; a server that needs more rounds, or sends
// more than this before it is done, is not one to talk to.
constexpr int kMaxHandshakeRounds = 256;
constexpr size_t kMaxHandshakeBytes = 1 << 20;
// A record is at most 16 KiB of text and its overhead; what has to be
// taken in before one decrypts stays far below this.
constexpr size_t kMaxTakenBytes = 1 << 20;
constexpr size_t kChunkSize = 16384;
constexpr int kMaxReadRounds = 64;

std::wstring Widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                          static_cast<int>(text.size()), nullptr, 0);
  if (size <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                      static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

// Whether the first two bytes of `received` can open a TLS server's answer:
// a handshake or an alert record of a 3.x version. Some packages wait for
// the rest of whatever five bytes came, as if they were a record's header;
// a plain-text server is known at once.
bool OpensTlsAnswer(const std::string& received) {
  const unsigned char type = static_cast<unsigned char>(received[0]);
  return (type == 0x16 || type == 0x15) && received[1] == 0x03;
}

// Whether the system's trust store leads from `certificate` (with the
// intermediates the server sent) to a trusted root, every link valid now and
// fit for a server, and the certificate names `host`.
bool TrustedFor(PCCERT_CONTEXT certificate, const std::wstring& host) {
  char server_auth[] = szOID_PKIX_KP_SERVER_AUTH;
  LPSTR usages[] = {server_auth};
  CERT_CHAIN_PARA chain_para{};
  chain_para.cbSize = sizeof chain_para;
  chain_para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  chain_para.RequestedUsage.Usage.cUsageIdentifier = 1;
  chain_para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  if (!CertGetCertificateChain(nullptr, certificate, nullptr,
                               certificate->hCertStore, &chain_para, 0, nullptr,
                               &chain)) {
    return false;
  }
  // The policy check alone is not enough everywhere: Wine's lets a chain
  // pass that ends before any root. The chain itself must be clean (no
  // revocation check was asked for; what it would say is left out).
  constexpr DWORD kNotAsked =
      CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION;
  if ((chain->TrustStatus.dwErrorStatus & ~kNotAsked) != CERT_TRUST_NO_ERROR) {
    CertFreeCertificateChain(chain);
    return false;
  }
  std::wstring name = host;
  SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
  ssl.cbSize = sizeof ssl;
  ssl.dwAuthType = AUTHTYPE_SERVER;
  ssl.pwszServerName = name.data();
  CERT_CHAIN_POLICY_PARA policy{};
  policy.cbSize = sizeof policy;
  policy.pvExtraPolicyPara = &ssl;
  CERT_CHAIN_POLICY_STATUS status{};
  status.cbSize = sizeof status;
  const bool trusted = CertVerifyCertificateChainPolicy(
                           CERT_CHAIN_POLICY_SSL, chain, &policy, &status) &&
                       status.dwError == 0;
  CertFreeCertificateChain(chain);
  return trusted;
}

}  // namespace

SchannelTlsConnection::SchannelTlsConnection(
    std::shared_ptr<SchannelCredentials> credentials,
    std::shared_ptr<TcpConnection> plain, const std::string& host)
    : LayeredTlsConnection(std::move(plain)),
      credentials_(std::move(credentials)),
      target_(Widen(host)) {}

SchannelTlsConnection::~SchannelTlsConnection() {
  if (has_context_) DeleteSecurityContext(&context_);
}

TlsConnection::HandshakeResult SchannelTlsConnection::Handshake() {
  HandshakeResult result =
      target_.empty() ? HandshakeResult::kFailed : Negotiate();
  if (result == HandshakeResult::kSecured && !ServerCertificateFits()) {
    result = HandshakeResult::kCertificateRejected;
  }
  if (result == HandshakeResult::kSecured) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!has_context_ ||
        QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_) !=
            SEC_E_OK ||
        sizes_.cbMaximumMessage == 0) {
      result = HandshakeResult::kFailed;
    }
  }
  if (result != HandshakeResult::kSecured && cancelled_) {
    return HandshakeResult::kCancelled;
  }
  secured_ = result == HandshakeResult::kSecured;
  return result;
}

TlsConnection::HandshakeResult SchannelTlsConnection::Negotiate() {
  bool opening_checked = false;
  for (int round = 0; round < kMaxHandshakeRounds; ++round) {
    if (cancelled_ || stopped_) return HandshakeResult::kCancelled;
    Step step;
    bool need_more;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!opening_checked && taken_.size() >= 2) {
        if (!OpensTlsAnswer(taken_)) return HandshakeResult::kFailed;
        opening_checked = true;
      }
      step = HandshakeStep(round == 0);
      need_more = need_more_;
    }
    switch (step) {
      case Step::kDone:
        return HandshakeResult::kSecured;
      case Step::kFailed:
        return HandshakeResult::kFailed;
      case Step::kRejected:
        return HandshakeResult::kCertificateRejected;
      case Step::kMore:
        break;
    }
    if (need_more) {
      HandshakeResult taken = TakeIn();
      if (taken != HandshakeResult::kSecured) return taken;
    }
  }
  return HandshakeResult::kFailed;
}

SchannelTlsConnection::Step SchannelTlsConnection::HandshakeStep(bool first) {
  if (!first && !has_context_) return Step::kFailed;
  SecBuffer in[2] = {};
  in[0].BufferType = SECBUFFER_TOKEN;
  in[0].cbBuffer = static_cast<unsigned long>(taken_.size());
  in[0].pvBuffer = taken_.data();
  in[1].BufferType = SECBUFFER_EMPTY;
  SecBufferDesc in_desc{SECBUFFER_VERSION, 2, in};
  SecBuffer out[1] = {};
  out[0].BufferType = SECBUFFER_TOKEN;
  SecBufferDesc out_desc{SECBUFFER_VERSION, 1, out};
  ULONG attributes = 0;
  const SECURITY_STATUS status = InitializeSecurityContextW(
      credentials_->handle(), first ? nullptr : &context_, target_.data(),
      kRequest, 0, 0, first ? nullptr : &in_desc, 0, &context_, &out_desc,
      &attributes, nullptr);
  if (first && status >= 0) has_context_ = true;
  const bool sent = SendToken(out[0]);
  switch (status) {
    case SEC_E_INCOMPLETE_MESSAGE:
      need_more_ = true;
      return Step::kMore;
    case SEC_I_INCOMPLETE_CREDENTIALS:
      // The server asks for a client certificate; there is none to give,
      // and the next call goes on without.
      need_more_ = false;
      return Step::kMore;
    case SEC_I_CONTINUE_NEEDED:
    case SEC_E_OK:
      break;
    case SEC_E_UNTRUSTED_ROOT:
    case SEC_E_CERT_EXPIRED:
    case SEC_E_WRONG_PRINCIPAL:
    case SEC_E_CERT_UNKNOWN:
      return Step::kRejected;
    default:
      return Step::kFailed;
  }
  if (!sent) return Step::kFailed;
  // What the call did not use (the start of the next flight, or text that
  // came right behind the last handshake message) is the tail of the input.
  const size_t extra = in[1].BufferType == SECBUFFER_EXTRA
                           ? std::min<size_t>(in[1].cbBuffer, taken_.size())
                           : 0;
  taken_.erase(0, taken_.size() - extra);
  if (status == SEC_E_OK) {
    need_more_ = false;
    return Step::kDone;
  }
  need_more_ = taken_.empty();
  return Step::kMore;
}

TlsConnection::HandshakeResult SchannelTlsConnection::TakeIn() {
  char chunk[kChunkSize];
  for (int round = 0; round < kMaxHandshakeRounds; ++round) {
    if (const auto end = WaitHandshakeInput()) return *end;
    const long n = plain_->Read(chunk, sizeof chunk);
    if (n == kReadWouldBlock) continue;
    if (n <= 0) return HandshakeResult::kFailed;
    std::lock_guard<std::mutex> lock(mutex_);
    if (taken_.size() + static_cast<size_t>(n) > kMaxHandshakeBytes) {
      return HandshakeResult::kFailed;
    }
    taken_.append(chunk, static_cast<size_t>(n));
    need_more_ = false;
    return HandshakeResult::kSecured;  // go on
  }
  return HandshakeResult::kFailed;
}

bool SchannelTlsConnection::ServerCertificateFits() {
  PCCERT_CONTEXT certificate = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!has_context_ ||
        QueryContextAttributesW(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT,
                                &certificate) != SEC_E_OK) {
      return false;
    }
  }
  if (certificate == nullptr) return false;
  const bool fits = TrustedFor(certificate, target_);
  CertFreeCertificateContext(certificate);
  return fits;
}

bool SchannelTlsConnection::SendToken(SecBuffer& token) {
  if (token.pvBuffer == nullptr) return true;
  const bool sent =
      token.cbBuffer == 0 ||
      plain_->Send(std::string_view(static_cast<const char*>(token.pvBuffer),
                                    token.cbBuffer));
  FreeContextBuffer(token.pvBuffer);
  token.pvBuffer = nullptr;
  return sent;
}

bool SchannelTlsConnection::Send(std::string_view data) {
  if (!secured_ || data.empty()) return secured_;
  // The lock also keeps each record whole on the wire against the reader's
  // answers to the server's handshake messages.
  std::lock_guard<std::mutex> lock(mutex_);
  if (!has_context_) return false;
  const size_t header = sizes_.cbHeader;
  const size_t trailer = sizes_.cbTrailer;
  std::string record;
  size_t offset = 0;
  while (offset < data.size()) {
    const size_t piece =
        std::min<size_t>(data.size() - offset, sizes_.cbMaximumMessage);
    record.assign(header + piece + trailer, '\0');
    std::memcpy(record.data() + header, data.data() + offset, piece);
    SecBuffer buffers[4] = {};
    buffers[0] = {static_cast<unsigned long>(header), SECBUFFER_STREAM_HEADER,
                  record.data()};
    buffers[1] = {static_cast<unsigned long>(piece), SECBUFFER_DATA,
                  record.data() + header};
    buffers[2] = {static_cast<unsigned long>(trailer), SECBUFFER_STREAM_TRAILER,
                  record.data() + header + piece};
    buffers[3].BufferType = SECBUFFER_EMPTY;
    SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
    if (EncryptMessage(&context_, 0, &desc, 0) != SEC_E_OK) return false;
    const size_t size = static_cast<size_t>(buffers[0].cbBuffer) +
                        buffers[1].cbBuffer + buffers[2].cbBuffer;
    if (size > record.size() ||
        !plain_->Send(std::string_view(record.data(), size))) {
      return false;
    }
    offset += piece;
  }
  return true;
}

bool SchannelTlsConnection::HasBufferedInput() {
  std::lock_guard<std::mutex> lock(mutex_);
  return ready_offset_ < ready_.size() || ended_ ||
         ((renegotiating_ || !taken_.empty()) && !need_more_);
}

long SchannelTlsConnection::Read(char* buffer, size_t size) {
  if (!secured_) return kReadError;
  if (size == 0) return kReadWouldBlock;
  std::lock_guard<std::mutex> lock(mutex_);
  char chunk[kChunkSize];
  for (int round = 0; round < kMaxReadRounds; ++round) {
    if (ready_offset_ < ready_.size()) {
      const size_t count = std::min(size, ready_.size() - ready_offset_);
      std::memcpy(buffer, ready_.data() + ready_offset_, count);
      ready_offset_ += count;
      if (ready_offset_ == ready_.size()) {
        ready_.clear();
        ready_offset_ = 0;
      }
      return static_cast<long>(count);
    }
    if (ended_) return 0;
    if ((renegotiating_ || !taken_.empty()) && !need_more_) {
      if (!DecryptTaken()) return kReadError;
      continue;
    }
    if (taken_.size() > kMaxTakenBytes) return kReadError;
    const long n = plain_->Read(chunk, sizeof chunk);
    if (n == kReadWouldBlock || n == kReadError) return n;
    if (n == 0) {
      // The end of the stream, with or without close_notify: a server
      // that just closes has sent whole lines by then.
      ended_ = true;
      continue;
    }
    taken_.append(chunk, static_cast<size_t>(n));
    need_more_ = false;
  }
  return kReadWouldBlock;
}

bool SchannelTlsConnection::DecryptTaken() {
  if (!has_context_) return false;
  if (renegotiating_) {
    // The server's handshake messages after the handshake (new session
    // tickets, new keys): the package takes them and may answer.
    const Step step = HandshakeStep(false);
    if (step == Step::kDone) renegotiating_ = false;
    return step == Step::kDone || step == Step::kMore;
  }
  // TLS 1.2 shows a record's type in the clear: 21 is an alert.
  const bool alert = !taken_.empty() && taken_[0] == 0x15;
  SecBuffer buffers[4] = {};
  buffers[0] = {static_cast<unsigned long>(taken_.size()), SECBUFFER_DATA,
                taken_.data()};
  for (int i = 1; i < 4; ++i) buffers[i].BufferType = SECBUFFER_EMPTY;
  SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
  const SECURITY_STATUS status = DecryptMessage(&context_, &desc, 0, nullptr);
  if (status == SEC_E_INCOMPLETE_MESSAGE) {
    need_more_ = true;
    return true;
  }
  if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE &&
      status != SEC_I_CONTEXT_EXPIRED) {
    return false;
  }
  // The text is decrypted in place; what follows the record is the tail.
  size_t extra = 0;
  const size_t ready_before = ready_.size();
  for (const SecBuffer& b : buffers) {
    if (b.BufferType == SECBUFFER_DATA && b.pvBuffer && b.cbBuffer > 0) {
      ready_.append(static_cast<const char*>(b.pvBuffer), b.cbBuffer);
    } else if (b.BufferType == SECBUFFER_EXTRA) {
      extra = std::min<size_t>(b.cbBuffer, taken_.size());
    }
  }
  taken_.erase(0, taken_.size() - extra);
  need_more_ = false;
  // close_notify. Wine's package takes it without a word (no text, no
  // expired context); an alert that was no error ends the stream all the
  // same.
  if (status == SEC_I_CONTEXT_EXPIRED ||
      (status == SEC_E_OK && alert && ready_.size() == ready_before)) {
    ended_ = true;
  }
  if (status == SEC_I_RENEGOTIATE) renegotiating_ = true;
  return true;
}

void SchannelTlsConnection::SendCloseNotify() {
  DWORD type = SCHANNEL_SHUTDOWN;
  SecBuffer in = {sizeof type, SECBUFFER_TOKEN, &type};
  SecBufferDesc in_desc{SECBUFFER_VERSION, 1, &in};
  if (ApplyControlToken(&context_, &in_desc) != SEC_E_OK) return;
  SecBuffer out = {};
  out.BufferType = SECBUFFER_TOKEN;
  SecBufferDesc out_desc{SECBUFFER_VERSION, 1, &out};
  ULONG attributes = 0;
  const SECURITY_STATUS status = InitializeSecurityContextW(
      credentials_->handle(), &context_, target_.data(), kRequest, 0, 0,
      nullptr, 0, &context_, &out_desc, &attributes, nullptr);
  if (status == SEC_E_OK || status == SEC_I_CONTEXT_EXPIRED) {
    SendToken(out);
  } else if (out.pvBuffer) {
    FreeContextBuffer(out.pvBuffer);
  }
}

void SchannelTlsConnection::Close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (secured_ && has_context_) SendCloseNotify();  // best effort
    secured_ = false;
    if (has_context_) {
      DeleteSecurityContext(&context_);
      has_context_ = false;
    }
  }
  plain_->Close();
}

}  // namespace zan
