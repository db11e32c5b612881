#include "tests/support/scripted_pop3_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace zan {

ScriptedPop3Server::ScriptedPop3Server(std::vector<Step> script,
                                       const std::string& address_text)
    : script_(std::move(script)) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  wake_read_ = fds[0];
  wake_write_ = fds[1];
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  if (inet_pton(AF_INET, address_text.c_str(), &address.sin_addr) != 1) {
    close(fd);
    return;
  }
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(fd, 8) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    return;
  }
  port_ = ntohs(address.sin_port);
  listener_ = fd;
  thread_ = std::thread(&ScriptedPop3Server::Serve, this);
}

ScriptedPop3Server::~ScriptedPop3Server() {
  stopping_ = true;
  if (wake_write_ >= 0) {
    char byte = 1;
    [[maybe_unused]] ssize_t n = write(wake_write_, &byte, 1);
  }
  if (thread_.joinable()) thread_.join();
  if (listener_ >= 0) close(listener_);
  if (wake_read_ >= 0) close(wake_read_);
  if (wake_write_ >= 0) close(wake_write_);
}

std::vector<std::string> ScriptedPop3Server::ReceivedLines() {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

bool ScriptedPop3Server::WaitFor(int fd, bool write, int milliseconds) {
  if (stopping_) return false;
  pollfd fds[2] = {{fd, static_cast<short>(write ? POLLOUT : POLLIN), 0},
                   {wake_read_, POLLIN, 0}};
  int ready = poll(fds, 2, milliseconds);
  if (stopping_ || ready <= 0) return false;
  return fds[0].revents != 0;
}

void ScriptedPop3Server::Serve() {
  while (!stopping_) {
    if (!WaitFor(listener_, false, 100)) continue;
    int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    ++connections_;
    Play(client);
    close(client);
  }
}

void ScriptedPop3Server::RecordPendingLines(int client, std::string* partial) {
  char buffer[4096];
  for (;;) {
    ssize_t n = recv(client, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n <= 0) return;
    partial->append(buffer, static_cast<size_t>(n));
    size_t end;
    while ((end = partial->find('\n')) != std::string::npos) {
      std::string line = partial->substr(0, end);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      partial->erase(0, end + 1);
      std::lock_guard<std::mutex> lock(mutex_);
      lines_.push_back(line);
    }
  }
}

void ScriptedPop3Server::Play(int client) {
  std::string partial;
  for (const Step& step : script_) {
    switch (step.kind) {
      case Step::Kind::kSend:
        if (send(client, step.text.data(), step.text.size(), MSG_NOSIGNAL) <
            0) {
          return;
        }
        break;
      case Step::Kind::kReadLine: {
        size_t before;
        {
          std::lock_guard<std::mutex> lock(mutex_);
          before = lines_.size();
        }
        auto deadline =
            std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (;;) {
          {
            std::lock_guard<std::mutex> lock(mutex_);
            if (lines_.size() > before) break;
          }
          if (std::chrono::steady_clock::now() > deadline) return;
          if (!WaitFor(client, false, 100)) {
            if (stopping_) return;
            continue;
          }
          char probe;
          if (recv(client, &probe, 1, MSG_PEEK | MSG_DONTWAIT) == 0) return;
          RecordPendingLines(client, &partial);
        }
        break;
      }
      case Step::Kind::kPause:
        WaitFor(wake_read_, false, step.milliseconds);
        if (stopping_) return;
        break;
      case Step::Kind::kClose:
        return;
      case Step::Kind::kFlood: {
        std::string block(16 * 1024, 'x');
        for (size_t sent = 0; sent < 64u * 1024 * 1024;) {
          if (!WaitFor(client, true, 5000)) return;
          ssize_t n = send(client, block.data(), block.size(),
                           MSG_NOSIGNAL | MSG_DONTWAIT);
          if (n < 0 && errno != EAGAIN) return;
          if (n > 0) sent += static_cast<size_t>(n);
        }
        return;
      }
    }
  }
  // Script done: keep the connection open, recording what arrives, until
  // the client leaves or the server stops.
  for (;;) {
    if (!WaitFor(client, false, 100)) {
      if (stopping_) return;
      continue;
    }
    char probe;
    if (recv(client, &probe, 1, MSG_PEEK | MSG_DONTWAIT) <= 0) return;
    RecordPendingLines(client, &partial);
  }
}

}  // namespace zan
