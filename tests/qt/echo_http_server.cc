#include "tests/qt/echo_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace zan::test {
namespace {

constexpr int kPollMs = 100;
constexpr int kReadTimeoutMs = 3000;
constexpr size_t kMaxRequest = 1 << 20;

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

}  // namespace

EchoHttpServer::EchoHttpServer() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return;
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(fd, 16) != 0) {
    close(fd);
    return;
  }
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  listen_fd_ = fd;
  thread_ = std::thread([this] { Run(); });
}

EchoHttpServer::~EchoHttpServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listen_fd_ >= 0) close(listen_fd_);
}

std::string EchoHttpServer::BaseUrl() const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/";
}

void EchoHttpServer::SetPage(const std::string& path, const std::string& html) {
  std::lock_guard<std::mutex> lock(mutex_);
  pages_[path] = html;
}

std::vector<EchoHttpServer::Request> EchoHttpServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void EchoHttpServer::Run() {
  while (!stop_) {
    pollfd p{listen_fd_, POLLIN, 0};
    if (poll(&p, 1, kPollMs) <= 0) continue;
    int client = accept(listen_fd_, nullptr, nullptr);
    if (client < 0) continue;
    Serve(client);
    close(client);
  }
}

void EchoHttpServer::Serve(int fd) {
  std::string data;
  size_t header_end = std::string::npos;
  size_t content_length = 0;
  int waited = 0;
  char buffer[4096];
  while (waited < kReadTimeoutMs && data.size() < kMaxRequest) {
    if (header_end != std::string::npos &&
        data.size() >= header_end + 4 + content_length) {
      break;
    }
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, kPollMs) <= 0) {
      waited += kPollMs;
      continue;
    }
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    data.append(buffer, static_cast<size_t>(n));
    if (header_end == std::string::npos) {
      header_end = data.find("\r\n\r\n");
      if (header_end != std::string::npos) {
        std::string headers = Lower(data.substr(0, header_end));
        size_t at = headers.find("\r\ncontent-length:");
        if (at != std::string::npos) {
          content_length = std::strtoul(headers.c_str() + at + 17, nullptr, 10);
        }
      }
    }
  }
  if (header_end == std::string::npos) return;
  Request request;
  std::string head = data.substr(0, header_end);
  size_t sp1 = head.find(' ');
  size_t sp2 = head.find(' ', sp1 + 1);
  request.method = head.substr(0, sp1);
  request.target = head.substr(sp1 + 1, sp2 - sp1 - 1);
  std::string lower = Lower(head);
  size_t ct = lower.find("\r\ncontent-type:");
  if (ct != std::string::npos) {
    size_t end = head.find("\r\n", ct + 2);
    request.content_type = head.substr(ct + 15, end - ct - 15);
    while (!request.content_type.empty() && request.content_type[0] == ' ') {
      request.content_type.erase(0, 1);
    }
  }
  request.body = data.substr(header_end + 4, content_length);
  std::string path = request.target.substr(0, request.target.find('?'));
  std::string html;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
    auto page = pages_.find(path);
    if (page != pages_.end()) html = page->second;
  }
  if (html.empty()) {
    html =
        "<!DOCTYPE html><html><head><title>echo</title></head><body>"
        "<p id=method>" +
        Escape(request.method) +
        "</p>"
        "<p id=target>" +
        Escape(request.target) +
        "</p>"
        "<p id=type>" +
        Escape(request.content_type) +
        "</p>"
        "<p id=body>" +
        Escape(request.body) + "</p></body></html>";
  }
  std::string reply =
      "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
      "Content-Length: " +
      std::to_string(html.size()) + "\r\nConnection: close\r\n\r\n" + html;
  size_t sent = 0;
  while (sent < reply.size()) {
    ssize_t n = write(fd, reply.data() + sent, reply.size() - sent);
    if (n <= 0) break;
    sent += static_cast<size_t>(n);
  }
}

}  // namespace zan::test
