// Plays arbitrary server answers to the POP3 session over an in-memory
// connection: connect, log in, STAT, close. Besides the sanitizers it checks
// that the response buffer never grows beyond its cap, that every step ends
// either with its result or with one of the session's failure texts, that
// only whole, well-formed command lines are sent, and that nothing is left
// running after Close.
//
// Input: the first byte chooses the login (bit 0: APOP), an upgrade with
// STLS (bit 1; there is no TLS layer here, so it can never succeed, and no
// credentials may ever be sent) and the size of the arrivals (1 + the other
// bits) in which answers reach the reader; the rest
// is the server's side, answers separated by the byte 0xFF: the greeting
// first, then one answer per command sent. An empty answer closes the
// connection right after the answer before it; when the answers run out the
// server closes the connection at the next command.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "mail/pop3_reader.h"
#include "mail/pop3_session.h"
#include "platform/std/plain_message_pump.h"
#include "tests/support/memory_tcp_connection.h"

namespace {

// An answer that never ends costs one wait slice; keep it short, but long
// enough that an answer in many arrivals is read before the slice ends.
constexpr int kSliceMs = 20;

const std::set<std::string>& FailureTexts() {
  static const std::set<std::string> texts = {
      "Failed to create socket!",
      "Hostname Error!",
      "Failed to connect to POP3 Server!",
      "Socket not created!",
      "Not Connected!",
      "Apop error!",
      "Username or Password error!",
      "User Name error!",
      "User or Password error!",
      "Socket error!",
      "Get Stat error!",
      "Connection TimeOut!",
      "Receive Buffer is empty!",
      "The network subsystem has failed!",
      "Connection Closed!",
      "Memory Error!",
      "Socket Read Error!",
      "STLS not supported!",
      "TLS Handshake error!",
      "Certificate error!",
  };
  return texts;
}

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "pop3_response_fuzz: %s\n", what);
  std::abort();
}

// A failed step must say why.
void CheckFailure(bool ok, const zan::Pop3Session& session) {
  if (ok) return;
  Check(FailureTexts().count(session.LastError()) == 1,
        "a failed step left no known failure text");
}

// Every command goes out as one whole line of a known command.
void CheckSent(const std::string& sent) {
  size_t start = 0;
  while (start < sent.size()) {
    size_t end = sent.find("\r\n", start);
    Check(end != std::string::npos, "a command without its line end");
    std::string_view line(sent.data() + start, end - start);
    Check(line.find_first_of("\r\n") == std::string_view::npos,
          "a line break inside a command");
    bool known = line == "stat" || line == "quit" || line == "stls" ||
                 line.substr(0, 5) == "user " || line.substr(0, 5) == "pass " ||
                 line.substr(0, 5) == "apop ";
    Check(known, "an unknown command");
    start = end + 2;
  }
}

// Feeds the answers one by one as the client speaks.
class ScriptedPeer {
 public:
  ScriptedPeer(std::string_view script, size_t arrival) : arrival_(arrival) {
    size_t start = 0;
    for (;;) {
      size_t end = script.find('\xff', start);
      answers_.emplace_back(script.substr(start, end - start));
      if (end == std::string_view::npos) break;
      start = end + 1;
    }
  }

  void Next(zan::MemoryLink& link) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (next_ >= answers_.size()) {
      link.FeedEnd();
      return;
    }
    const std::string& answer = answers_[next_++];
    for (size_t i = 0; i < answer.size(); i += arrival_) {
      link.Feed(std::string_view(answer).substr(i, arrival_));
    }
    // An empty answer is the server closing right after the one before.
    if (answer.empty() ||
        (next_ < answers_.size() && answers_[next_].empty())) {
      link.FeedEnd();
    }
  }

 private:
  const size_t arrival_;
  std::mutex mutex_;
  std::vector<std::string> answers_;
  size_t next_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size == 0) return 0;
  const bool apop = (data[0] & 1) != 0;
  const zan::MailSecurity security =
      (data[0] & 2) ? zan::MailSecurity::kStls : zan::MailSecurity::kNone;
  const size_t arrival = 1 + (data[0] >> 2);
  std::string_view script(reinterpret_cast<const char*>(data) + 1, size - 1);

  zan::PlainMessagePump pump;
  zan::MemoryTcpConnectionFactory connections;
  std::shared_ptr<zan::MemoryLink> link = connections.AddLink();
  auto peer = std::make_shared<ScriptedPeer>(script, arrival);
  link->SetResponder(
      [peer](std::string_view, zan::MemoryLink& link) { peer->Next(link); });
  peer->Next(*link);  // the greeting

  std::string stored_error;
  std::mutex error_mutex;
  {
    zan::Pop3Session session(
        connections, pump,
        [&](const std::string& account, const std::string& text) {
          Check(account == "1", "a report for another account");
          Check(text.empty() || FailureTexts().count(text) == 1,
                "an unknown failure text");
          std::lock_guard<std::mutex> lock(error_mutex);
          stored_error = text;
        },
        kSliceMs);
    session.SetAccountNumber("1");
    bool ok = session.Connect("pop.example.org", 110, security);
    CheckFailure(ok, session);
    if (security != zan::MailSecurity::kNone) {
      Check(!ok && !session.IsConnected(), "an upgrade without TLS succeeded");
    }
    if (ok) {
      ok = session.Login("user1", "secret", apop);
      CheckFailure(ok, session);
      Check(ok == session.IsLoggedIn(), "logged in does not match Login");
    }
    if (ok) {
      std::string status = "unset";
      ok = session.Stat(&status);
      CheckFailure(ok, session);
      if (ok) {
        Check(status.size() <= zan::Pop3Reader::kMaxResponseBytes,
              "a status text beyond the cap");
      }
    }
    if (std::getenv("ZAN_FUZZ_VERBOSE")) {
      std::fprintf(stderr, "ok=%d last error \"%s\"\n", ok,
                   session.LastError().c_str());
    }
    session.Close();
    Check(!session.IsConnected() && !session.IsLoggedIn(),
          "still connected after Close");
    Check(!session.reader().IsRunning(), "the reader runs after Close");
    Check(session.reader().peak_response_bytes() <=
              zan::Pop3Reader::kMaxResponseBytes,
          "the response buffer grew beyond its cap");
  }
  const std::string sent = link->Sent();
  CheckSent(sent);
  if (security != zan::MailSecurity::kNone) {
    Check(sent.empty() || sent == "stls\r\n", "sent more than stls");
  }
  return 0;
}
