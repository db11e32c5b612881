#ifndef ZAN_MAIL_POP3_SESSION_H_
#define ZAN_MAIL_POP3_SESSION_H_

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

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

  Pop3Session(TcpConnectionFactory& connections, MessagePump& pump,
              ErrorSink error_sink, int slice_ms = kResponseTimeoutMs);
  ~Pop3Session() override;
  Pop3Session(const Pop3Session&) = delete;
  Pop3Session& operator=(const Pop3Session&) = delete;

  // The account whose error value the reports of this session write.
  void SetAccountNumber(const std::string& number);

  bool Connect(const std::string& host, uint16_t port);
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
