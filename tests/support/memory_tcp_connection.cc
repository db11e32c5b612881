#include "tests/support/memory_tcp_connection.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>

namespace zan {

void MemoryLink::Feed(std::string_view bytes) {
  if (bytes.empty()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    arrivals_.emplace_back(bytes);
  }
  changed_.notify_all();
}

void MemoryLink::FeedEnd() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    end_ = true;
  }
  changed_.notify_all();
}

void MemoryLink::FeedReadError() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    read_error_ = true;
  }
  changed_.notify_all();
}

void MemoryLink::SetResponder(Responder responder) {
  std::lock_guard<std::mutex> lock(mutex_);
  responder_ = std::move(responder);
}

bool MemoryLink::WaitUntilConsumed() {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::seconds(10), [this] {
    return reader_done_ || stopped_ || (arrivals_.empty() && waiting_);
  });
}

std::string MemoryLink::Sent() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return sent_;
}

TcpConnection::ConnectResult MemoryTcpConnection::Connect(const std::string&,
                                                          uint16_t) {
  return ConnectResult::kConnected;
}

bool MemoryTcpConnection::Send(std::string_view data) {
  MemoryLink::Responder responder;
  {
    std::lock_guard<std::mutex> lock(link_->mutex_);
    if (link_->closed_) return false;
    link_->sent_.append(data);
    responder = link_->responder_;
  }
  if (responder) responder(data, *link_);
  return true;
}

TcpConnection::ReadyState MemoryTcpConnection::WaitReadable() {
  std::unique_lock<std::mutex> lock(link_->mutex_);
  link_->waiting_ = true;
  link_->changed_.notify_all();
  link_->changed_.wait(lock, [this] {
    return link_->stopped_ || !link_->arrivals_.empty() || link_->end_ ||
           link_->read_error_;
  });
  link_->waiting_ = false;
  if (link_->stopped_) return ReadyState::kStopped;
  return ReadyState::kReadable;
}

void MemoryTcpConnection::Stop() {
  {
    std::lock_guard<std::mutex> lock(link_->mutex_);
    link_->stopped_ = true;
  }
  link_->changed_.notify_all();
}

void MemoryTcpConnection::Resume() {
  std::lock_guard<std::mutex> lock(link_->mutex_);
  link_->stopped_ = false;
}

long MemoryTcpConnection::Read(char* buffer, size_t size) {
  long result;
  {
    std::lock_guard<std::mutex> lock(link_->mutex_);
    if (link_->read_error_) {
      link_->read_error_ = false;
      link_->reader_done_ = true;
      result = kReadError;
    } else if (!link_->arrivals_.empty()) {
      std::string& front = link_->arrivals_.front();
      size_t count = std::min(size, front.size());
      std::memcpy(buffer, front.data(), count);
      front.erase(0, count);
      if (front.empty()) link_->arrivals_.pop_front();
      result = static_cast<long>(count);
    } else if (link_->end_) {
      link_->reader_done_ = true;
      result = 0;
    } else {
      result = kReadWouldBlock;
    }
  }
  link_->changed_.notify_all();
  return result;
}

void MemoryTcpConnection::Close() {
  {
    std::lock_guard<std::mutex> lock(link_->mutex_);
    link_->closed_ = true;
  }
  link_->changed_.notify_all();
}

std::shared_ptr<MemoryLink> MemoryTcpConnectionFactory::AddLink() {
  auto link = std::make_shared<MemoryLink>();
  std::lock_guard<std::mutex> lock(mutex_);
  links_.push_back(link);
  return link;
}

std::unique_ptr<TcpConnection> MemoryTcpConnectionFactory::Create() {
  std::shared_ptr<MemoryLink> link;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!links_.empty()) {
      link = links_.front();
      links_.pop_front();
    }
  }
  if (!link) link = std::make_shared<MemoryLink>();
  return std::make_unique<MemoryTcpConnection>(std::move(link));
}

}  // namespace zan
