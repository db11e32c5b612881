#include "tests/support/scripted_pop3_server.h"

#include <algorithm>
#include <chrono>

namespace zan {

using test::TestSocket;

ScriptedPop3Server::ScriptedPop3Server(std::vector<Step> script,
                                       const std::string& address_text)
    : script_(std::move(script)) {
  listener_ = test::ListenOn(address_text, &port_);
  if (listener_ == test::kNoSocket) return;
  thread_ = std::thread(&ScriptedPop3Server::Serve, this);
}

ScriptedPop3Server::~ScriptedPop3Server() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  test::CloseSocket(listener_);
}

std::vector<std::string> ScriptedPop3Server::ReceivedLines() {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

bool ScriptedPop3Server::WaitFor(TestSocket socket, bool write,
                                 int milliseconds) {
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(milliseconds);
  for (;;) {
    if (stopping_) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    const int slice = static_cast<int>(std::clamp<long long>(left, 0, 20));
    if (socket != test::kNoSocket && test::WaitSocket(socket, write, slice)) {
      return !stopping_;
    }
    if (socket == test::kNoSocket) {
      std::this_thread::sleep_for(std::chrono::milliseconds(slice));
    }
    if (left <= 0) return false;
  }
}

void ScriptedPop3Server::Serve() {
  while (!stopping_) {
    if (!WaitFor(listener_, false, 100)) continue;
    const TestSocket client = test::AcceptClient(listener_);
    if (client == test::kNoSocket) continue;
    ++connections_;
    Play(client);
    test::CloseSocket(client);
  }
}

void ScriptedPop3Server::RecordPendingLines(TestSocket client,
                                            std::string* partial) {
  char buffer[4096];
  for (;;) {
    const long n = test::ReceiveNow(client, buffer, sizeof buffer, false);
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

void ScriptedPop3Server::Play(TestSocket client) {
  std::string partial;
  for (const Step& step : script_) {
    switch (step.kind) {
      case Step::Kind::kSend: {
        size_t sent = 0;
        while (sent < step.text.size()) {
          const long n = test::SendSome(client, step.text.data() + sent,
                                        step.text.size() - sent);
          if (n < 0) return;
          if (n == 0 && !WaitFor(client, true, 5000)) return;
          sent += static_cast<size_t>(n);
        }
        break;
      }
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
          if (test::ReceiveNow(client, &probe, 1, true) == 0) return;
          RecordPendingLines(client, &partial);
        }
        break;
      }
      case Step::Kind::kPause:
        WaitFor(test::kNoSocket, false, step.milliseconds);
        if (stopping_) return;
        break;
      case Step::Kind::kClose:
        return;
      case Step::Kind::kFlood: {
        std::string block(16 * 1024, 'x');
        for (size_t sent = 0; sent < 64u * 1024 * 1024;) {
          if (!WaitFor(client, true, 5000)) return;
          const long n = test::SendSome(client, block.data(), block.size());
          if (n < 0) return;
          sent += static_cast<size_t>(n);
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
    if (test::ReceiveNow(client, &probe, 1, true) <= 0) return;
    RecordPendingLines(client, &partial);
  }
}

}  // namespace zan
