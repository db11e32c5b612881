#ifndef ZAN_TESTS_SUPPORT_MEMORY_TCP_CONNECTION_H_
#define ZAN_TESTS_SUPPORT_MEMORY_TCP_CONNECTION_H_

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/tcp_connection.h"

namespace zan {

// The far end of an in-memory connection, in the hands of a test: it feeds
// what the "server" sends, arrival by arrival, and sees what the client
// sent. No sockets, no ports, no sleeps.
class MemoryLink {
 public:
  // Called on the sending thread with every Send(); may Feed() an answer.
  using Responder = std::function<void(std::string_view sent, MemoryLink&)>;

  // Queues `bytes` as one arrival: a Read() returns bytes of one arrival
  // only, as a socket returns one segment, so every split the test makes
  // reaches the reader as a split.
  void Feed(std::string_view bytes);
  // The peer closes: once every arrival is read, Read() returns 0.
  void FeedEnd();
  // The next Read() fails.
  void FeedReadError();
  void SetResponder(Responder responder);

  // Waits (up to 10 s) until every arrival is read and the reader waits for
  // more, or has met the end of the stream or a read error. False on time
  // out.
  bool WaitUntilConsumed();

  // Everything sent so far.
  std::string Sent() const;

 private:
  friend class MemoryTcpConnection;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> arrivals_;
  bool end_ = false;
  bool read_error_ = false;
  bool reader_done_ = false;  // met the end or an error
  bool waiting_ = false;      // the reader sleeps in WaitReadable()
  bool stopped_ = false;
  bool closed_ = false;
  std::string sent_;
  Responder responder_;
};

// The client end: a TcpConnection over a MemoryLink.
class MemoryTcpConnection : public TcpConnection {
 public:
  explicit MemoryTcpConnection(std::shared_ptr<MemoryLink> link)
      : link_(std::move(link)) {}

  ConnectResult Connect(const std::string& host, uint16_t port) override;
  void CancelConnect() override {}
  bool Send(std::string_view data) override;
  ReadyState WaitReadable() override;
  void Stop() override;
  void Resume() override;
  long Read(char* buffer, size_t size) override;
  void Close() override;

 private:
  std::shared_ptr<MemoryLink> link_;
};

// Hands out connections over the links queued with AddLink(), in order; a
// connection beyond them gets a fresh link that never sends anything.
class MemoryTcpConnectionFactory : public TcpConnectionFactory {
 public:
  std::shared_ptr<MemoryLink> AddLink();
  std::unique_ptr<TcpConnection> Create() override;

 private:
  std::mutex mutex_;
  std::deque<std::shared_ptr<MemoryLink>> links_;
};

}  // namespace zan

#endif  // ZAN_TESTS_SUPPORT_MEMORY_TCP_CONNECTION_H_
