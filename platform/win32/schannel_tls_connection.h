#ifndef ZAN_PLATFORM_WIN32_SCHANNEL_TLS_CONNECTION_H_
#define ZAN_PLATFORM_WIN32_SCHANNEL_TLS_CONNECTION_H_

#ifndef SECURITY_WIN32
#define SECURITY_WIN32
#endif
#include <windows.h>
// The package's declarations need windows.h first.
#include <security.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "platform/std/layered_tls_connection.h"

namespace zan {

class SchannelCredentials;

// One TLS client over a plain TcpConnection through Schannel. The records
// travel through the plain connection's Send() and non-blocking Read(), so
// the reader and its waits stay the same. Bytes taken in but not yet
// decrypted, and decrypted text not yet handed out, stay in the object
// between reads; WaitReadable() answers at once while either can give the
// reader something.
class SchannelTlsConnection : public LayeredTlsConnection {
 public:
  SchannelTlsConnection(std::shared_ptr<SchannelCredentials> credentials,
                        std::shared_ptr<TcpConnection> plain,
                        const std::string& host);
  ~SchannelTlsConnection() override;
  SchannelTlsConnection(const SchannelTlsConnection&) = delete;
  SchannelTlsConnection& operator=(const SchannelTlsConnection&) = delete;

  HandshakeResult Handshake() override;
  bool Send(std::string_view data) override;
  long Read(char* buffer, size_t size) override;
  void Close() override;

 private:
  bool HasBufferedInput() override;
  enum class Step { kDone, kMore, kFailed, kRejected };

  HandshakeResult Negotiate();
  // One call of the package's handshake on the bytes taken in so far;
  // sends what it answers.
  Step HandshakeStep(bool first);
  // Waits for and takes in more handshake bytes.
  HandshakeResult TakeIn();
  bool ServerCertificateFits();
  // Decrypts what was taken in: false on a broken record.
  bool DecryptTaken();
  bool SendToken(SecBuffer& token);
  void SendCloseNotify();

  const std::shared_ptr<SchannelCredentials> credentials_;
  std::wstring target_;  // the host, as the package and the check take it

  // The context and the buffers below; held through a record's way onto
  // the wire, so that records go out whole and in order.
  std::mutex mutex_;
  CtxtHandle context_{};
  bool has_context_ = false;
  SecPkgContext_StreamSizes sizes_{};
  std::string taken_;           // received records not yet decrypted
  bool need_more_ = false;      // taken_ ends in part of a record
  bool renegotiating_ = false;  // the server asked for handshake messages
  std::string ready_;           // decrypted text not yet read
  size_t ready_offset_ = 0;
  bool ended_ = false;  // close_notify or the end of the stream
};

}  // namespace zan

#endif  // ZAN_PLATFORM_WIN32_SCHANNEL_TLS_CONNECTION_H_
