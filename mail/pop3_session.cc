#include "mail/pop3_session.h"

#include <algorithm>
#include <chrono>
#include <string_view>
#include <thread>
#include <utility>

#include "mail/apop_digest.h"
#include "platform/tls_layer.h"

namespace zan {
namespace {

// A line break inside an argument would end the command early and let the
// rest of the argument be taken as a command of its own.
bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

bool IsRefusal(const std::string& answer) {
  return !answer.empty() && answer[0] == '-';
}

// The answer without "+OK " and its line end ("3 5120" for "+OK 3 5120"),
// empty when nothing is left.
std::string StatusText(const std::string& answer) {
  size_t end = answer.size();
  if (end >= 2 && answer.compare(end - 2, 2, "\r\n") == 0) {
    end -= 2;
  } else if (end >= 1 && answer[end - 1] == '\n') {
    end -= 1;  // a server that ends its lines with a line feed alone
  } else {
    end = end >= 2 ? end - 2 : 0;
  }
  return end > 4 ? answer.substr(4, end - 4) : std::string();
}

}  // namespace

// One name resolution and TCP connect, run away from the user-interface
// thread. When the waiting side gives up (the loop is asked to quit), it
// forgets the pump, and the attempt finishes on its own.
struct Pop3Session::ConnectAttempt {
  std::shared_ptr<TcpConnection> connection;
  std::mutex mutex;
  bool done = false;
  TcpConnection::ConnectResult result =
      TcpConnection::ConnectResult::kConnectFailed;
  MessagePump* pump = nullptr;
};

// One TLS handshake, run away from the user-interface thread.
struct Pop3Session::HandshakeAttempt {
  std::mutex mutex;
  bool done = false;
  TlsConnection::HandshakeResult result =
      TlsConnection::HandshakeResult::kFailed;
  MessagePump* pump = nullptr;
};

Pop3Session::Pop3Session(TcpConnectionFactory& connections, MessagePump& pump,
                         ErrorSink error_sink, int slice_ms)
    : connections_(connections),
      pump_(pump),
      error_sink_(std::move(error_sink)),
      reader_(pump, *this, slice_ms) {}

Pop3Session::~Pop3Session() {
  // Leaving at shutdown is no event of the account last checked: its stored
  // error (a refused login, say) must survive the session.
  silent_ = true;
  if (connected_) {
    Close();
  } else {
    StopReceiveThread();
    DropConnection();
  }
}

void Pop3Session::SetAccountNumber(const std::string& number) {
  std::lock_guard<std::mutex> lock(mutex_);
  account_number_ = number;
}

std::string Pop3Session::LastError() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return last_error_;
}

void Pop3Session::ReportError(const std::string& text) {
  std::string account;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    last_error_ = text;
    account = account_number_;
  }
  if (error_sink_ && !silent_) error_sink_(account, text);
}

void Pop3Session::NoteError(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  last_error_ = text;
}

void Pop3Session::OnConnectionLost() {
  connected_ = false;
  logged_in_ = false;
}

void Pop3Session::DropConnection() {
  if (connection_) {
    connection_->Close();
    connection_.reset();
  }
}

bool Pop3Session::Connect(const std::string& host, uint16_t port,
                          MailSecurity security) {
  if (connected_) {
    Close();
  } else {
    StopReceiveThread();
  }
  connected_ = false;
  logged_in_ = false;
  apop_timestamp_.clear();
  DropConnection();

  auto attempt = std::make_shared<ConnectAttempt>();
  attempt->connection = connections_.Create();
  if (!attempt->connection) {
    ReportError("Failed to create socket!");
    return false;
  }
  attempt->pump = &pump_;
  std::thread worker([attempt, host, port] {
    TcpConnection::ConnectResult result =
        attempt->connection->Connect(host, port);
    std::lock_guard<std::mutex> lock(attempt->mutex);
    attempt->result = result;
    attempt->done = true;
    if (attempt->pump) attempt->pump->Wake();
  });
  if (!WaitForConnect(attempt)) {
    attempt->connection->CancelConnect();
    {
      std::lock_guard<std::mutex> lock(attempt->mutex);
      attempt->pump = nullptr;
    }
    // The loop is asked to quit: the attempt is abandoned, which is no
    // fault of the account.
    worker.detach();
    return false;
  }
  worker.join();

  switch (attempt->result) {
    case TcpConnection::ConnectResult::kConnected:
      break;
    case TcpConnection::ConnectResult::kStartupFailed:
      ReportError("Initialize Socket Fail!");
      attempt->connection->Close();
      return false;
    case TcpConnection::ConnectResult::kSocketFailed:
      ReportError("Failed to create socket!");
      attempt->connection->Close();
      return false;
    case TcpConnection::ConnectResult::kHostNotFound:
      ReportError("Hostname Error!");
      attempt->connection->Close();
      return false;
    case TcpConnection::ConnectResult::kConnectFailed:
    case TcpConnection::ConnectResult::kCancelled:
      ReportError("Failed to connect to POP3 Server!");
      attempt->connection->Close();
      return false;
  }

  std::shared_ptr<TcpConnection> connection = attempt->connection;
  if (security == MailSecurity::kTls && !Secure(host, &connection)) {
    // Nothing but the handshake has gone over the connection.
    attempt->connection->Close();
    return false;
  }
  connection_ = connection;
  connected_ = true;
  reader_.Start(connection_);
  std::string greeting;
  if (!WaitResponse("\r\n", &greeting)) {
    // A plain account stays connected until the next connect; one that
    // asked for security gives the connection up at once.
    if (security != MailSecurity::kNone) Abandon(LastError());
    return false;
  }
  if (security == MailSecurity::kStls && !StartTls(host)) return false;
  apop_timestamp_ = ApopTimestamp(greeting);
  return true;
}

void Pop3Session::Abandon(const std::string& text) {
  // The reader clears the account's error when it stops; the text is
  // reported after it.
  reader_.Stop();
  DropConnection();
  connected_ = false;
  logged_in_ = false;
  if (!text.empty()) ReportError(text);
}

bool Pop3Session::StartTls(const std::string& host) {
  if (!SendCommand("stls\r\n")) {
    Abandon(LastError());
    return false;
  }
  std::string answer;
  if (!WaitResponse("\r\n", &answer)) {
    Abandon(LastError());
    return false;
  }
  if (pump_.IsQuitPending()) {
    // The loop is asked to quit, which is no fault of the account; the
    // connection is given up all the same.
    Abandon("");
    return false;
  }
  if (answer.compare(0, 3, "+OK") != 0) {
    Abandon("STLS not supported!");
    return false;
  }
  // Whatever came with the answer is dropped with it; the handshake reads
  // the connection itself, so the reader steps aside until it is done.
  reader_.Stop();
  connection_->Resume();
  std::shared_ptr<TcpConnection> secured = connection_;
  if (!Secure(host, &secured)) {
    Abandon(LastError());
    return false;
  }
  connection_ = secured;
  reader_.Start(connection_);
  return true;
}

bool Pop3Session::Secure(const std::string& host,
                         std::shared_ptr<TcpConnection>* connection) {
  TlsLayer* tls = connections_.Tls();
  std::shared_ptr<TlsConnection> secured;
  if (tls) secured = tls->Wrap(*connection, host);
  if (!secured) {
    ReportError("TLS Handshake error!");
    return false;
  }
  auto attempt = std::make_shared<HandshakeAttempt>();
  attempt->pump = &pump_;
  std::thread worker([attempt, secured] {
    TlsConnection::HandshakeResult result = secured->Handshake();
    std::lock_guard<std::mutex> lock(attempt->mutex);
    attempt->result = result;
    attempt->done = true;
    if (attempt->pump) attempt->pump->Wake();
  });
  bool finished = WaitForHandshake(attempt);
  if (!finished) secured->CancelConnect();
  // A cancelled handshake ends at once.
  worker.join();
  if (!finished) {
    if (!pump_.IsQuitPending()) ReportError("TLS Handshake error!");
    return false;
  }
  switch (attempt->result) {
    case TlsConnection::HandshakeResult::kSecured:
      *connection = secured;
      return true;
    case TlsConnection::HandshakeResult::kCertificateRejected:
      ReportError("Certificate error!");
      return false;
    case TlsConnection::HandshakeResult::kFailed:
    case TlsConnection::HandshakeResult::kCancelled:
      break;
  }
  ReportError("TLS Handshake error!");
  return false;
}

bool Pop3Session::WaitForHandshake(
    const std::shared_ptr<HandshakeAttempt>& attempt) {
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(kHandshakeLimitMs);
  for (;;) {
    if (!pump_.DispatchPending()) return false;
    {
      std::lock_guard<std::mutex> lock(attempt->mutex);
      if (attempt->done) return true;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) return false;
    pump_.WaitForInput(static_cast<int>(
        std::min<long long>(left, static_cast<long long>(kResponseTimeoutMs))));
  }
}

bool Pop3Session::WaitForConnect(
    const std::shared_ptr<ConnectAttempt>& attempt) {
  for (;;) {
    if (!pump_.DispatchPending()) return false;
    {
      std::lock_guard<std::mutex> lock(attempt->mutex);
      if (attempt->done) return true;
    }
    pump_.WaitForInput(kResponseTimeoutMs);
  }
}

bool Pop3Session::SendCommand(const std::string& line) {
  if (connection_ && connection_->Send(line)) return true;
  ReportError("Socket error!");
  connected_ = false;
  logged_in_ = false;
  return false;
}

bool Pop3Session::Login(const std::string& user, const std::string& password,
                        bool apop) {
  logged_in_ = false;
  if (!connected_) {
    ReportError("Socket not created!");
    return false;
  }
  if (apop) {
    if (apop_timestamp_.empty()) {
      ReportError("Apop error!");
      return false;
    }
    if (!LoginStep(user,
                   "apop " + user + " " + ApopDigest(apop_timestamp_, password),
                   "Username or Password error!")) {
      return false;
    }
  } else if (!LoginStep(user, "user " + user, "User Name error!") ||
             !LoginStep(password, "pass " + password,
                        "User or Password error!")) {
    return false;
  }
  logged_in_ = true;
  return true;
}

bool Pop3Session::LoginStep(const std::string& argument,
                            const std::string& line, const std::string& error) {
  if (HasLineBreak(argument)) {
    ReportError(error);
    return false;
  }
  if (!SendCommand(line + "\r\n")) return false;
  std::string answer;
  if (!WaitResponse("\r\n", &answer)) return false;
  if (IsRefusal(answer)) {
    ReportError(error);
    return false;
  }
  return true;
}

bool Pop3Session::CheckLoggedIn() {
  if (!connected_) {
    ReportError("Socket not created!");
    return false;
  }
  if (!logged_in_) {
    ReportError("Not Connected!");
    return false;
  }
  return true;
}

bool Pop3Session::Stat(std::string* status) {
  if (!CheckLoggedIn()) return false;
  if (!SendCommand("stat\r\n")) return false;
  std::string answer;
  if (!WaitResponse("\r\n", &answer)) return false;
  if (IsRefusal(answer)) {
    ReportError("Get Stat error!");
    return false;
  }
  *status = StatusText(answer);
  return true;
}

bool Pop3Session::Quit() {
  if (!CheckLoggedIn()) return false;
  // The flags drop before the line goes out: the server's farewell and its
  // close may reach the reader at once, and must not count as a broken
  // connection.
  connected_ = false;
  logged_in_ = false;
  bool sent = connection_ && connection_->Send("quit\r\n");
  if (!sent) ReportError("Socket error!");
  return sent;
}

bool Pop3Session::Close() {
  Quit();
  StopReceiveThread();
  DropConnection();
  connected_ = false;
  logged_in_ = false;
  return true;
}

void Pop3Session::StopReceiveThread() { reader_.Stop(); }

bool Pop3Session::WaitResponse(const std::string& terminator,
                               std::string* response) {
  return reader_.WaitResponse(terminator, response);
}

}  // namespace zan
