#ifndef ZAN_MAIL_POP3_SESSION_H_
#define ZAN_MAIL_POP3_SESSION_H_

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "mail/mail_security.h"
#include "mail/pop3_reader.h"
#include "platform/message_pump.h"
#include "platform/tcp_connection.h"

namespace zan {

// The POP3 client of the new-mail indicator: connect, log in (USER/PASS or
// APOP), STAT, leave. Commands are sent from the user-interface thread; the
// answers come through a Pop3Reader, whose wait keeps the user-interface
// thread's events flowing. Every failure is reported with a fixed text that
// becomes the error of the account being checked.
class Pop3Session : private Pop3ReaderOwner {
 public:
  // Receives each reported text with the number of the account it belongs
  // to; an empty text means "no error". Called from either thread.
  using ErrorSink = std::function<void(const std::string& account_number,
                                       const std::string& text)>;

  static constexpr int kResponseTimeoutMs = Pop3Reader::kSliceMs;
  // The longest a TLS handshake may take.
  static constexpr int kHandshakeLimitMs = 10000;

  Pop3Session(TcpConnectionFactory& connections, MessagePump& pump,
              ErrorSink error_sink, int slice_ms = kResponseTimeoutMs);
  ~Pop3Session() override;
  Pop3Session(const Pop3Session&) = delete;
  Pop3Session& operator=(const Pop3Session&) = delete;

  // The account whose error value the reports of this session write.
  void SetAccountNumber(const std::string& number);

  // With `security` other than none, the connection is secured before any
  // credentials can be sent: TLS from the first byte, or STLS right after
  // the greeting. When that fails, Connect() fails ("TLS Handshake error!",
  // "Certificate error!", "STLS not supported!") and the connection is
  // closed; it never goes on in plain text.
  bool Connect(const std::string& host, uint16_t port,
               MailSecurity security = MailSecurity::kNone);
  bool Login(const std::string& user, const std::string& password, bool apop);
  // On success `status` is the answer without "+OK " and its line end.
  bool Stat(std::string* status);
  bool Quit();
  bool Close();
  bool WaitResponse(const std::string& terminator, std::string* response);
  void StopReceiveThread();
  void ReportError(const std::string& text) override;

  bool IsConnected() const override { return connected_; }
  bool IsLoggedIn() const { return logged_in_; }
  std::string LastError() const;
  const std::string& apop_timestamp() const { return apop_timestamp_; }
  const Pop3Reader& reader() const { return reader_; }

 private:
  struct ConnectAttempt;
  struct HandshakeAttempt;

  void NoteError(const std::string& text) override;
  void OnConnectionLost() override;
  bool SendCommand(const std::string& line);
  // False, with "Socket not created!" or "Not Connected!" reported, unless
  // the session is connected and logged in.
  bool CheckLoggedIn();
  // One login command: sends `line` and a line break and reads the answer.
  // Reports `error` and fails when `argument` (the part of `line` that the
  // caller passed in) holds a line break or when the server refuses.
  bool LoginStep(const std::string& argument, const std::string& line,
                 const std::string& error);
  bool WaitForConnect(const std::shared_ptr<ConnectAttempt>& attempt);
  // Secures `*connection` (no reader on it) with a handshake off this
  // thread; on success `*connection` is the TLS connection.
  bool Secure(const std::string& host,
              std::shared_ptr<TcpConnection>* connection);
  bool WaitForHandshake(const std::shared_ptr<HandshakeAttempt>& attempt);
  // STLS on the connected session, then the handshake.
  bool StartTls(const std::string& host);
  // Gives the connection up and reports `text` (unless empty) for the
  // account.
  void Abandon(const std::string& text);
  void DropConnection();

  TcpConnectionFactory& connections_;
  MessagePump& pump_;
  ErrorSink error_sink_;

  std::shared_ptr<TcpConnection> connection_;
  Pop3Reader reader_;
  std::atomic<bool> connected_{false};
  std::atomic<bool> logged_in_{false};
  std::atomic<bool> silent_{false};
  std::string apop_timestamp_;

  mutable std::mutex mutex_;  // everything below
  std::string account_number_;
  std::string last_error_;
};

}  // namespace zan

#endif  // ZAN_MAIL_POP3_SESSION_H_
