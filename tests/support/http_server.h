#ifndef ZAN_TESTS_SUPPORT_HTTP_SERVER_H_
#define ZAN_TESTS_SUPPORT_HTTP_SERVER_H_

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/test_socket.h"

namespace zan::test {

// What the server answers for one path.
struct HttpReply {
  enum class Mode {
    kNormal,     // status line, Content-Length, the whole body
    kCutMidway,  // announces the whole body, sends half of it, closes
    kStall,      // sends the headers and half the body, then goes silent
  };
  int status = 200;
  std::string body;
  Mode mode = Mode::kNormal;
  std::string content_type = "application/octet-stream";
};

// One request as it arrived.
struct HttpRequest {
  std::string method;
  std::string target;  // path and query, or the whole URL through a proxy
  std::string content_type;
  std::string body;
};

// A small HTTP/1.1 server on 127.0.0.1 with a port of its own, serving one
// request per connection on a thread of its own. A reply is chosen by the
// path without its query; paths without a reply answer 404, or, once
// EchoUnknownPaths() was called, a page showing the request (its method,
// target, Content-Type and body in the paragraphs "method", "target",
// "type" and "body"). Every wait is bounded; the destructor stops it.
class HttpServer {
 public:
  HttpServer();
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  bool ok() const { return listen_fd_ != kNoSocket; }
  int port() const { return port_; }
  // "http://127.0.0.1:PORT/"
  std::string BaseUrl() const;
  // The reply for `path` ("/ZAN.tbd").
  void SetReply(const std::string& path, HttpReply reply);
  // A fixed HTML page for `path`.
  void SetPage(const std::string& path, const std::string& html);
  void EchoUnknownPaths() { echo_ = true; }
  // How many requests asked for `path`.
  int RequestCount(const std::string& path) const;
  std::vector<HttpRequest> Requests() const;

 private:
  void Run();
  void Serve(TestSocket fd);

  TestSocket listen_fd_ = kNoSocket;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<bool> echo_{false};
  mutable std::mutex mutex_;
  std::map<std::string, HttpReply> replies_;
  std::map<std::string, int> counts_;
  std::vector<HttpRequest> requests_;
  std::thread thread_;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_SUPPORT_HTTP_SERVER_H_
