#ifndef ZAN_TESTS_QT_ECHO_HTTP_SERVER_H_
#define ZAN_TESTS_QT_ECHO_HTTP_SERVER_H_

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zan::test {

// A small HTTP/1.1 server on 127.0.0.1 that answers every request with a
// page showing what it received: the method, the path with its query, the
// Content-Type header and the body. Pages set with SetPage are served as
// they are. Every wait is bounded; the destructor stops it.
class EchoHttpServer {
 public:
  struct Request {
    std::string method;
    std::string target;  // path and query
    std::string content_type;
    std::string body;
  };

  EchoHttpServer();
  ~EchoHttpServer();
  EchoHttpServer(const EchoHttpServer&) = delete;
  EchoHttpServer& operator=(const EchoHttpServer&) = delete;

  bool ok() const { return listen_fd_ >= 0; }
  // "http://127.0.0.1:PORT/"
  std::string BaseUrl() const;
  // A fixed HTML page for `path` (without the query).
  void SetPage(const std::string& path, const std::string& html);
  std::vector<Request> Requests() const;

 private:
  void Run();
  void Serve(int fd);

  int listen_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::map<std::string, std::string> pages_;
  std::vector<Request> requests_;
  std::thread thread_;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_QT_ECHO_HTTP_SERVER_H_
