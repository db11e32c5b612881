#include "mail/pop3_reader.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string_view>
#include <utility>

#include "settings/string_utils.h"

namespace zan {
namespace {

bool EndsWithNoCase(std::string_view text, std::string_view ending) {
  return !ending.empty() && text.size() >= ending.size() &&
         EqualsIgnoringAsciiCase(text.substr(text.size() - ending.size()),
                                 ending);
}

bool StartsWithNoCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() &&
         EqualsIgnoringAsciiCase(text.substr(0, start.size()), start);
}

// The whole buffer is tested, so that a terminator split between two reads
// still completes the answer. Servers that end their lines with a line
// feed alone are understood too.
bool IsComplete(std::string_view response, std::string_view terminator) {
  if (EndsWithNoCase(response, terminator)) return true;
  if (!terminator.empty() && terminator.back() == '\n' && !response.empty() &&
      response.back() == '\n') {
    return true;
  }
  return StartsWithNoCase(response, "-ERR");
}

}  // namespace

Pop3Reader::Pop3Reader(MessagePump& pump, Pop3ReaderOwner& owner, int slice_ms)
    : pump_(pump), owner_(owner), slice_ms_(slice_ms) {}

Pop3Reader::~Pop3Reader() { Stop(); }

void Pop3Reader::ClearResponse() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string().swap(response_);
  ready_ = false;
  overflow_ = false;
}

void Pop3Reader::Start(std::shared_ptr<TcpConnection> connection) {
  Stop();
  ClearResponse();
  connection_ = std::move(connection);
  thread_ = std::thread(&Pop3Reader::Run, this, connection_);
}

void Pop3Reader::Stop() {
  if (!thread_.joinable()) return;
  if (connection_) connection_->Stop();
  thread_.join();
  connection_.reset();
}

bool Pop3Reader::IsResponseReady() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ready_;
}

size_t Pop3Reader::peak_response_bytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return peak_bytes_;
}

bool Pop3Reader::WaitResponse(const std::string& terminator,
                              std::string* response) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    terminator_ = terminator;
  }
  bool ok = false;
  using Time = std::chrono::steady_clock;
  const auto quiet_limit =
      std::chrono::milliseconds(int64_t{slice_ms_} * kQuietSlices);
  size_t bytes_seen = bytes_read_;
  Time::time_point last_byte = Time::now();
  for (;;) {
    if (!pump_.DispatchPending()) {
      // The loop is asked to quit: the wait ends at once, as if an empty
      // answer had come; the request stays for the thread's own loop.
      response->clear();
      ok = true;
      break;
    }
    if (!IsResponseReady()) {
      bool arrived = pump_.WaitForInput(slice_ms_);
      if (!IsResponseReady()) {
        if (bytes_read_ != bytes_seen) {
          bytes_seen = bytes_read_;
          last_byte = Time::now();
        }
        const bool quiet_too_long = Time::now() - last_byte >= quiet_limit;
        if ((arrived || receiving_) && !quiet_too_long) continue;
        owner_.ReportError("Connection TimeOut!");
        ok = false;
        break;
      }
    }
    bool empty = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (overflow_) {
        ok = false;  // the reader has reported why
      } else if (response_.empty()) {
        empty = true;
      } else {
        *response = std::move(response_);
        ok = true;
      }
    }
    if (empty) {
      owner_.ReportError("Receive Buffer is empty!");
      ok = false;
    }
    break;
  }
  ClearResponse();
  return ok;
}

void Pop3Reader::Signal() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ready_ = true;
  }
  pump_.Wake();
}

void Pop3Reader::FailureExit() {
  owner_.OnConnectionLost();
  Signal();
  receiving_ = false;
}

bool Pop3Reader::ReadBurst(TcpConnection& connection) {
  char chunk[kChunkSize];
  for (;;) {
    long count = connection.Read(chunk, kChunkSize);
    if (count == TcpConnection::kReadWouldBlock) break;
    if (count == TcpConnection::kReadError) {
      owner_.NoteError("Socket Read Error!");
      return false;
    }
    if (count == 0) {
      owner_.ReportError("Connection Closed!");
      return false;
    }
    bool overflow = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (response_.size() + static_cast<size_t>(count) > kMaxResponseBytes) {
        overflow_ = true;
        overflow = true;
      } else {
        response_.append(chunk, static_cast<size_t>(count));
        bytes_read_ += static_cast<size_t>(count);
        peak_bytes_ = std::max(peak_bytes_, response_.size());
      }
    }
    if (overflow) {
      owner_.ReportError("Memory Error!");
      return false;
    }
    if (static_cast<size_t>(count) < kChunkSize) break;
  }
  bool complete;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    complete = IsComplete(response_, terminator_);
  }
  if (complete) Signal();
  return true;
}

void Pop3Reader::Run(std::shared_ptr<TcpConnection> connection) {
  // From here on the connection counts as good.
  owner_.ReportError("");
  for (;;) {
    receiving_ = false;
    TcpConnection::ReadyState state = connection->WaitReadable();
    receiving_ = true;
    switch (state) {
      case TcpConnection::ReadyState::kStopped:
        owner_.ReportError("");
        receiving_ = false;
        return;
      case TcpConnection::ReadyState::kNetworkDown:
        owner_.ReportError("The network subsystem has failed!");
        FailureExit();
        return;
      case TcpConnection::ReadyState::kClosed:
        owner_.ReportError("Connection Closed!");
        FailureExit();
        return;
      case TcpConnection::ReadyState::kEventFailed:
        owner_.ReportError("WSACreateEvent error!");
        FailureExit();
        return;
      case TcpConnection::ReadyState::kEventSelectFailed:
        owner_.ReportError("Event Select Error!");
        FailureExit();
        return;
      case TcpConnection::ReadyState::kReadable:
        if (!owner_.IsConnected()) {
          receiving_ = false;
          return;
        }
        if (!ReadBurst(*connection)) {
          FailureExit();
          return;
        }
        break;
    }
  }
}

}  // namespace zan
