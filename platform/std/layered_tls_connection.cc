#include "platform/std/layered_tls_connection.h"

#include <utility>

namespace zan {

LayeredTlsConnection::LayeredTlsConnection(std::shared_ptr<TcpConnection> plain)
    : plain_(std::move(plain)) {}

TcpConnection::ConnectResult LayeredTlsConnection::Connect(
    const std::string& host, uint16_t port) {
  return plain_->Connect(host, port);
}

void LayeredTlsConnection::CancelConnect() {
  cancelled_ = true;
  plain_->CancelConnect();
  Stop();
}

void LayeredTlsConnection::Stop() {
  stopped_ = true;
  plain_->Stop();
}

TcpConnection::ReadyState LayeredTlsConnection::WaitReadable() {
  if (stopped_) return ReadyState::kStopped;
  if (HasBufferedInput()) return ReadyState::kReadable;
  return plain_->WaitReadable();
}

std::optional<TlsConnection::HandshakeResult>
LayeredTlsConnection::WaitHandshakeInput() {
  switch (plain_->WaitReadable()) {
    case ReadyState::kReadable:
      return std::nullopt;
    case ReadyState::kStopped:
      return HandshakeResult::kCancelled;
    case ReadyState::kClosed:
    case ReadyState::kNetworkDown:
    case ReadyState::kEventFailed:
    case ReadyState::kEventSelectFailed:
      break;
  }
  return HandshakeResult::kFailed;
}

void LayeredTlsConnection::Resume() {
  plain_->Resume();
  stopped_ = false;
}

}  // namespace zan
