#include "tests/support/http_server.h"

#include <chrono>

namespace zan::test {

namespace {

constexpr int kPollSliceMs = 50;
// Longest time a stalled reply keeps its connection open.
constexpr auto kMaxStall = std::chrono::seconds(20);

std::string StatusText(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 404:
      return "Not Found";
    case 500:
      return "Internal Server Error";
    default:
      return "Status";
  }
}

void SendAll(TestSocket fd, const std::string& data) {
  size_t sent = 0;
  while (sent < data.size()) {
    const long n = SendSome(fd, data.data() + sent, data.size() - sent);
    if (n < 0) return;
    if (n == 0 && !WaitSocket(fd, true, 5000)) return;
    sent += static_cast<size_t>(n);
  }
}

}  // namespace

HttpServer::HttpServer() {
  uint16_t port = 0;
  listen_fd_ = ListenOn("127.0.0.1", &port);
  if (listen_fd_ == kNoSocket) return;
  port_ = port;
  thread_ = std::thread([this] { Run(); });
}

HttpServer::~HttpServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  CloseSocket(listen_fd_);
}

std::string HttpServer::BaseUrl() const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/";
}

void HttpServer::SetReply(const std::string& path, HttpReply reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  replies_[path] = std::move(reply);
}

int HttpServer::RequestCount(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = counts_.find(path);
  return it == counts_.end() ? 0 : it->second;
}

void HttpServer::Run() {
  while (!stop_) {
    if (!WaitSocket(listen_fd_, false, kPollSliceMs)) continue;
    const TestSocket fd = AcceptClient(listen_fd_);
    if (fd == kNoSocket) continue;
    Serve(fd);
    CloseSocket(fd);
  }
}

void HttpServer::Serve(TestSocket fd) {
  // Read the request head, for at most two seconds.
  std::string request;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (request.find("\r\n\r\n") == std::string::npos && !stop_ &&
         std::chrono::steady_clock::now() < deadline) {
    if (!WaitSocket(fd, false, kPollSliceMs)) continue;
    char buffer[4096];
    const long n = ReceiveNow(fd, buffer, sizeof(buffer), false);
    if (n == -2) continue;
    if (n <= 0) return;
    request.append(buffer, static_cast<size_t>(n));
  }
  const size_t first_space = request.find(' ');
  const size_t second_space = request.find(' ', first_space + 1);
  if (first_space == std::string::npos || second_space == std::string::npos) {
    return;
  }
  const std::string path =
      request.substr(first_space + 1, second_space - first_space - 1);

  HttpReply reply;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++counts_[path];
    auto it = replies_.find(path);
    if (it == replies_.end()) {
      reply.status = 404;
      reply.body = "not found";
    } else {
      reply = it->second;
    }
  }

  std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " +
                     StatusText(reply.status) +
                     "\r\nContent-Type: application/octet-stream"
                     "\r\nContent-Length: " +
                     std::to_string(reply.body.size()) +
                     "\r\nConnection: close\r\n\r\n";
  if (reply.mode == HttpReply::Mode::kNormal) {
    SendAll(fd, head + reply.body);
    ShutdownWrite(fd);
    return;
  }
  SendAll(fd, head + reply.body.substr(0, reply.body.size() / 2));
  if (reply.mode == HttpReply::Mode::kCutMidway) return;
  // Stalled: keep the connection open and silent until the client gives up
  // or the server stops.
  const auto stall_end = std::chrono::steady_clock::now() + kMaxStall;
  while (!stop_ && std::chrono::steady_clock::now() < stall_end) {
    if (WaitSocket(fd, false, kPollSliceMs)) {
      char buffer[256];
      const long n = ReceiveNow(fd, buffer, sizeof(buffer), false);
      if (n == 0 || n == -1) return;
    }
  }
}

}  // namespace zan::test
