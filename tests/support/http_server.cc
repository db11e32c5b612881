#include "tests/support/http_server.h"

#include <chrono>
#include <cstdlib>

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

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '&') {
      out += "&amp;";
    } else {
      out += c;
    }
  }
  return out;
}

// The value of header `name` (lower case, with its colon) in `head`.
std::string Header(const std::string& head, const std::string& name) {
  const size_t at = Lower(head).find("\r\n" + name);
  if (at == std::string::npos) return "";
  size_t start = at + 2 + name.size();
  while (start < head.size() && head[start] == ' ') ++start;
  return head.substr(start, head.find("\r\n", start) - start);
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

void HttpServer::SetPage(const std::string& path, const std::string& html) {
  SetReply(path, {200, html, HttpReply::Mode::kNormal, "text/html"});
}

std::vector<HttpRequest> HttpServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
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
  // Read the request head and its body, for at most three seconds.
  std::string data;
  size_t head_end = std::string::npos;
  size_t body_size = 0;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (!stop_ && std::chrono::steady_clock::now() < deadline &&
         data.size() < (1u << 20)) {
    if (head_end != std::string::npos &&
        data.size() >= head_end + 4 + body_size) {
      break;
    }
    if (!WaitSocket(fd, false, kPollSliceMs)) continue;
    char buffer[4096];
    const long n = ReceiveNow(fd, buffer, sizeof(buffer), false);
    if (n == -2) continue;
    if (n <= 0) break;
    data.append(buffer, static_cast<size_t>(n));
    if (head_end == std::string::npos) {
      head_end = data.find("\r\n\r\n");
      if (head_end != std::string::npos) {
        body_size = std::strtoul(
            Header(data.substr(0, head_end), "content-length:").c_str(),
            nullptr, 10);
      }
    }
  }
  if (head_end == std::string::npos) return;
  const std::string head = data.substr(0, head_end);
  const size_t first_space = head.find(' ');
  const size_t second_space = head.find(' ', first_space + 1);
  if (first_space == std::string::npos || second_space == std::string::npos) {
    return;
  }
  HttpRequest request;
  request.method = head.substr(0, first_space);
  request.target = head.substr(first_space + 1, second_space - first_space - 1);
  request.content_type = Header(head, "content-type:");
  request.body = data.substr(head_end + 4, body_size);
  const std::string path = request.target.substr(0, request.target.find('?'));

  HttpReply reply;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
    ++counts_[path];
    auto it = replies_.find(path);
    if (it != replies_.end()) {
      reply = it->second;
    } else if (echo_) {
      reply.content_type = "text/html";
      reply.body =
          "<!DOCTYPE html><html><head><title>echo</title></head><body>"
          "<p id=method>" +
          Escape(request.method) + "</p><p id=target>" +
          Escape(request.target) + "</p><p id=type>" +
          Escape(request.content_type) + "</p><p id=body>" +
          Escape(request.body) + "</p></body></html>";
    } else {
      reply.status = 404;
      reply.body = "not found";
    }
  }

  const std::string answer =
      "HTTP/1.1 " + std::to_string(reply.status) + " " +
      StatusText(reply.status) + "\r\nContent-Type: " + reply.content_type +
      "\r\nContent-Length: " + std::to_string(reply.body.size()) +
      "\r\nConnection: close\r\n\r\n";
  if (reply.mode == HttpReply::Mode::kNormal) {
    SendAll(fd, answer + reply.body);
    ShutdownWrite(fd);
    return;
  }
  SendAll(fd, answer + reply.body.substr(0, reply.body.size() / 2));
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
