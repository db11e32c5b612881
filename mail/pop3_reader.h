#ifndef ZAN_MAIL_POP3_READER_H_
#define ZAN_MAIL_POP3_READER_H_

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/message_pump.h"
#include "platform/tcp_connection.h"

namespace zan {

// What the reader tells the session that owns it. Called from the reader
// thread (and, for the wait's own failures, from the waiting thread).
class Pop3ReaderOwner {
 public:
  virtual ~Pop3ReaderOwner() = default;
  // A text for the account's error value; the empty text clears it.
  virtual void ReportError(const std::string& text) = 0;
  // A text that only becomes the session's last error.
  virtual void NoteError(const std::string& text) = 0;
  // The connection is gone: the session is no longer connected.
  virtual void OnConnectionLost() = 0;
  virtual bool IsConnected() const = 0;
};

// The reading half of a POP3 connection. A thread of its own waits until
// the socket is readable, reads what has arrived in chunks of 2048 bytes
// into one response buffer under a lock, and signals when the buffer holds
// a complete answer: it ends with the terminator (a bare line feed counts
// as a line end too) or begins with "-ERR". The user-interface thread waits
// for that signal in slices of 3000 ms while it keeps dispatching its
// events; a slice without the signal, without events and without the
// reader at work ends the wait with "Connection TimeOut!". Events restart
// the slice, so an answer read in parts never times out; but a server that
// sends nothing at all cannot hold the wait for as long as events keep
// coming: after kQuietSlices slices without a byte it ends the same way.
class Pop3Reader {
 public:
  static constexpr size_t kChunkSize = 2048;
  static constexpr int kSliceMs = 3000;
  static constexpr int kQuietSlices = 10;
  // A POP3 status answer is one short line; a server that sends more than
  // this without the answer being taken is cut off.
  static constexpr size_t kMaxResponseBytes = 64 * 1024;

  // `slice_ms` is the length of one wait slice; only the fuzz target, which
  // has no time to lose on answers that never end, shortens it.
  Pop3Reader(MessagePump& pump, Pop3ReaderOwner& owner,
             int slice_ms = kSliceMs);
  ~Pop3Reader();
  Pop3Reader(const Pop3Reader&) = delete;
  Pop3Reader& operator=(const Pop3Reader&) = delete;

  // Starts the thread on `connection` with an empty response buffer. A
  // thread still running is stopped first.
  void Start(std::shared_ptr<TcpConnection> connection);
  // Asks the thread to end and waits until it has.
  void Stop();
  bool IsRunning() const { return thread_.joinable(); }

  // Waits for a complete answer, which is moved into `response`. The
  // buffer is empty again afterwards, whatever the outcome. A request to
  // quit the loop ends the wait at once with an empty answer and true.
  bool WaitResponse(const std::string& terminator, std::string* response);

  // True while a complete answer (or the end of the connection) waits to be
  // taken by WaitResponse.
  bool IsResponseReady() const;
  // The largest the response buffer has been since construction.
  size_t peak_response_bytes() const;

 private:
  void Run(std::shared_ptr<TcpConnection> connection);
  // Reads one burst; false when the thread must take its failure exit.
  bool ReadBurst(TcpConnection& connection);
  void FailureExit();
  void Signal();
  void ClearResponse();

  MessagePump& pump_;
  Pop3ReaderOwner& owner_;
  const int slice_ms_;
  std::shared_ptr<TcpConnection> connection_;
  std::thread thread_;
  std::atomic<bool> receiving_{false};
  std::atomic<size_t> bytes_read_{0};  // all bytes the thread has read

  mutable std::mutex mutex_;  // everything below
  std::string terminator_ = "\r\n";
  std::string response_;
  bool ready_ = false;  // the manual-reset response event
  bool overflow_ = false;
  size_t peak_bytes_ = 0;
};

}  // namespace zan

#endif  // ZAN_MAIL_POP3_READER_H_
