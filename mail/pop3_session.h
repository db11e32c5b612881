#ifndef ZAN_MAIL_POP3_SESSION_H_
#define ZAN_MAIL_POP3_SESSION_H_

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/message_pump.h"
#include "platform/tcp_connection.h"

namespace zan {

// The POP3 client of the new-mail indicator: connect, log in (USER/PASS or
// APOP), STAT, leave. Commands are sent from the user-interface thread; a
// reader thread per connection collects each answer into a response buffer
// and signals when it is complete, while the waiting user-interface thread
// keeps dispatching its events. Every failure is reported with a fixed text
// that becomes the error of the account being checked.
class Pop3Session {
 public:
  // Receives each reported text with the number of the account it belongs
  // to; an empty text means "no error". Called from either thread.
  using ErrorSink = std::function<void(const std::string& account_number,
                                       const std::string& text)>;

  static constexpr size_t kChunkSize = 2048;
  static constexpr int kResponseTimeoutMs = 3000;
  // A POP3 status answer is one short line; a server that sends more than
  // this without completing its answer is cut off.
  static constexpr size_t kMaxResponseBytes = 64 * 1024;

  Pop3Session(TcpConnectionFactory& connections, MessagePump& pump,
              ErrorSink error_sink);
  ~Pop3Session();
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
  void ReportError(const std::string& text);

  bool IsConnected() const { return connected_; }
  bool IsLoggedIn() const { return logged_in_; }
  std::string LastError() const;
  const std::string& apop_timestamp() const { return apop_timestamp_; }

 private:
  struct ConnectAttempt;

  void ReceiveThread(std::shared_ptr<TcpConnection> connection);
  // Reads one burst; false when the reader must take its failure exit.
  bool ReadBurst(TcpConnection& connection);
  void FailureExit();
  void SignalResponse();
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
  std::thread reader_;
  std::atomic<bool> connected_{false};
  std::atomic<bool> logged_in_{false};
  std::atomic<bool> receiving_{false};
  std::atomic<bool> silent_{false};
  std::string apop_timestamp_;

  mutable std::mutex mutex_;  // everything below
  std::string account_number_;
  std::string last_error_;
  std::string terminator_ = "\r\n";
  std::string response_;
  bool response_ready_ = false;  // the manual-reset response event
  bool response_overflow_ = false;
};

}  // namespace zan

#endif  // ZAN_MAIL_POP3_SESSION_H_
