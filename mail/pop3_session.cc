#include "mail/pop3_session.h"

#include <chrono>
#include <string_view>
#include <utility>

#include "mail/apop_digest.h"

namespace zan {
namespace {

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool EndsWithNoCase(std::string_view text, std::string_view ending) {
  return !ending.empty() && text.size() >= ending.size() &&
         EqualsNoCase(text.substr(text.size() - ending.size()), ending);
}

bool StartsWithNoCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() &&
         EqualsNoCase(text.substr(0, start.size()), start);
}

// A line break inside an argument would end the command early and let the
// rest of the argument be taken as a command of its own.
bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

bool IsRefusal(const std::string& answer) {
  return !answer.empty() && answer[0] == '-';
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

Pop3Session::Pop3Session(TcpConnectionFactory& connections, MessagePump& pump,
                         ErrorSink error_sink)
    : connections_(connections),
      pump_(pump),
      error_sink_(std::move(error_sink)) {}

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

void Pop3Session::DropConnection() {
  if (connection_) {
    connection_->Close();
    connection_.reset();
  }
}

bool Pop3Session::Connect(const std::string& host, uint16_t port) {
  if (connected_) {
    Close();
  } else {
    StopReceiveThread();
  }
  connected_ = false;
  logged_in_ = false;
  apop_timestamp_.clear();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    response_.clear();
    response_ready_ = false;
    response_overflow_ = false;
  }
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

  connection_ = attempt->connection;
  connected_ = true;
  reader_ = std::thread(&Pop3Session::ReceiveThread, this, connection_);
  std::string greeting;
  if (!WaitResponse("\r\n", &greeting)) return false;
  apop_timestamp_ = ApopTimestamp(greeting);
  return true;
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
  *status = answer.size() > 6 ? answer.substr(4, answer.size() - 6) : "";
  return true;
}

bool Pop3Session::Quit() {
  if (!CheckLoggedIn()) return false;
  bool sent = connection_ && connection_->Send("quit\r\n");
  if (!sent) ReportError("Socket error!");
  connected_ = false;
  logged_in_ = false;
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

void Pop3Session::StopReceiveThread() {
  if (!reader_.joinable()) return;
  if (connection_) connection_->Stop();
  reader_.join();
}

bool Pop3Session::WaitResponse(const std::string& terminator,
                               std::string* response) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    terminator_ = terminator;
  }
  bool ok = false;
  for (;;) {
    if (!pump_.DispatchPending()) {
      // The loop is asked to quit: the wait ends at once, as if an empty
      // answer had come; the request stays for the thread's own loop.
      response->clear();
      ok = true;
      break;
    }
    bool ready;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ready = response_ready_;
    }
    if (!ready) {
      bool arrived = pump_.WaitForInput(kResponseTimeoutMs);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        ready = response_ready_;
      }
      if (!ready) {
        if (arrived || receiving_) continue;
        ReportError("Connection TimeOut!");
        ok = false;
        break;
      }
    }
    bool empty = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (response_overflow_) {
        ok = false;  // the reader has reported why
      } else if (response_.empty()) {
        empty = true;
      } else {
        *response = response_;
        ok = true;
      }
    }
    if (empty) {
      ReportError("Receive Buffer is empty!");
      ok = false;
    }
    break;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  std::string().swap(response_);
  response_ready_ = false;
  response_overflow_ = false;
  return ok;
}

void Pop3Session::SignalResponse() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    response_ready_ = true;
  }
  pump_.Wake();
}

void Pop3Session::FailureExit() {
  connected_ = false;
  logged_in_ = false;
  SignalResponse();
  receiving_ = false;
}

bool Pop3Session::ReadBurst(TcpConnection& connection) {
  char chunk[kChunkSize + 1];
  for (;;) {
    // A short pause lets the rest of a burst arrive before it is read.
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    long count = connection.Read(chunk, kChunkSize);
    if (count == TcpConnection::kReadWouldBlock) break;
    if (count == TcpConnection::kReadError) {
      std::lock_guard<std::mutex> lock(mutex_);
      last_error_ = "Socket Read Error!";
      return false;
    }
    if (count == 0) {
      ReportError("Connection Closed!");
      return false;
    }
    bool overflow = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (response_.size() + static_cast<size_t>(count) > kMaxResponseBytes) {
        response_overflow_ = true;
        overflow = true;
      } else {
        response_.append(chunk, static_cast<size_t>(count));
      }
    }
    if (overflow) {
      ReportError("Memory Error!");
      return false;
    }
    if (static_cast<size_t>(count) < kChunkSize) break;
  }
  // The whole response is tested, so that a terminator split between two
  // reads still completes it.
  bool complete;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    complete = EndsWithNoCase(response_, terminator_) ||
               StartsWithNoCase(response_, "-ERR");
  }
  if (complete) SignalResponse();
  return true;
}

void Pop3Session::ReceiveThread(std::shared_ptr<TcpConnection> connection) {
  // From here on the connection counts as good.
  ReportError("");
  for (;;) {
    receiving_ = false;
    TcpConnection::ReadyState state = connection->WaitReadable();
    receiving_ = true;
    switch (state) {
      case TcpConnection::ReadyState::kStopped:
        ReportError("");
        receiving_ = false;
        return;
      case TcpConnection::ReadyState::kNetworkDown:
        ReportError("The network subsystem has failed!");
        FailureExit();
        return;
      case TcpConnection::ReadyState::kClosed:
        ReportError("Connection Closed!");
        FailureExit();
        return;
      case TcpConnection::ReadyState::kEventFailed:
        ReportError("WSACreateEvent error!");
        FailureExit();
        return;
      case TcpConnection::ReadyState::kEventSelectFailed:
        ReportError("Event Select Error!");
        FailureExit();
        return;
      case TcpConnection::ReadyState::kReadable:
        if (!connected_) {
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
