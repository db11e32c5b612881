#include "mail/pop3_reader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/memory_tcp_connection.h"
#include "tests/support/test_platform.h"

namespace zan {
namespace {

class RecordingOwner : public Pop3ReaderOwner {
 public:
  void ReportError(const std::string& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    reports_.push_back(text);
  }
  void NoteError(const std::string& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    notes_.push_back(text);
  }
  void OnConnectionLost() override { connected = false; }
  bool IsConnected() const override { return connected; }

  std::vector<std::string> reports() {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_;
  }
  std::vector<std::string> notes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return notes_;
  }

  std::atomic<bool> connected{true};

 private:
  std::mutex mutex_;
  std::vector<std::string> reports_;
  std::vector<std::string> notes_;
};

class Pop3ReaderTest : public ::testing::Test {
 protected:
  Pop3ReaderTest() : reader_(*pump_, owner_) {
    reader_.Start(std::make_shared<MemoryTcpConnection>(link_));
  }

  std::string Wait() {
    std::string response = "unset";
    if (!reader_.WaitResponse("\r\n", &response)) return "<failed>";
    return response;
  }

  std::unique_ptr<test::TestMessagePump> pump_ = test::MakeTestMessagePump();
  RecordingOwner owner_;
  std::shared_ptr<MemoryLink> link_ = std::make_shared<MemoryLink>();
  Pop3Reader reader_;
};

// A thread that posts an event every 5 ms, as a busy user interface keeps
// sending them, for 400 rounds at most.
class EventSource {
 public:
  explicit EventSource(test::TestMessagePump& pump)
      : thread_([this, &pump] {
          while (!stop_ && rounds_ < 400) {
            pump.PostTask([] {});
            ++rounds_;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
          }
        }) {}
  ~EventSource() {
    stop_ = true;
    thread_.join();
  }
  int rounds() const { return rounds_; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<int> rounds_{0};
  std::thread thread_;
};

TEST_F(Pop3ReaderTest, AnswersSplitAnywhere) {
  const std::vector<std::string> answers = {
      "+OK POP3 ready <4711.1234567890@host>\r\n", "+OK 3 5120\r\n",
      // Lines ended by a line feed alone are whole lines too.
      "+OK 2 10\n", "+ok lower case\r\n"};
  for (const std::string& answer : answers) {
    for (size_t split = 1; split < answer.size(); ++split) {
      link_->Feed(answer.substr(0, split));
      ASSERT_TRUE(link_->WaitUntilConsumed());
      EXPECT_FALSE(reader_.IsResponseReady())
          << answer << " split at " << split;
      link_->Feed(answer.substr(split));
      EXPECT_EQ(Wait(), answer) << "split at " << split;
    }
    // Byte by byte, each byte its own arrival.
    for (char c : answer) link_->Feed(std::string(1, c));
    EXPECT_EQ(Wait(), answer);
  }
  // A refusal is complete before its line end.
  link_->Feed("-E");
  ASSERT_TRUE(link_->WaitUntilConsumed());
  EXPECT_FALSE(reader_.IsResponseReady());
  link_->Feed("rr");
  EXPECT_EQ(Wait(), "-Err");
  EXPECT_TRUE(owner_.connected);
  EXPECT_EQ(owner_.reports(), std::vector<std::string>{""});
}

TEST_F(Pop3ReaderTest, ChunkBoundaries) {
  // An answer of exactly one full chunk is read again and then tested;
  // one a byte longer spans two reads; several lines in one arrival end
  // with the last.
  for (size_t size : {Pop3Reader::kChunkSize, Pop3Reader::kChunkSize + 1,
                      3 * Pop3Reader::kChunkSize - 1}) {
    std::string answer = "+OK " + std::string(size - 6, 'x') + "\r\n";
    link_->Feed(answer);
    EXPECT_EQ(Wait(), answer) << size;
  }
  link_->Feed("+OK one\r\n+OK two\r\n");
  EXPECT_EQ(Wait(), "+OK one\r\n+OK two\r\n");
  // A line end inside an answer does not end it when more follows in the
  // same arrival.
  link_->Feed("+OK a\r\nrest");
  ASSERT_TRUE(link_->WaitUntilConsumed());
  EXPECT_FALSE(reader_.IsResponseReady());
  link_->Feed("\r\n");
  EXPECT_EQ(Wait(), "+OK a\r\nrest\r\n");
}

TEST_F(Pop3ReaderTest, FloodStopsAtTheCap) {
  // Exactly the cap is still an answer.
  std::string full(Pop3Reader::kMaxResponseBytes - 2, 'y');
  link_->Feed(full + "\r\n");
  EXPECT_EQ(Wait().size(), Pop3Reader::kMaxResponseBytes);

  // One byte more, in arrivals of every size, is cut off.
  for (size_t i = 0; i <= Pop3Reader::kMaxResponseBytes; i += 997) {
    link_->Feed(std::string(997, 'z'));
  }
  EXPECT_EQ(Wait(), "<failed>");
  EXPECT_EQ(owner_.reports().back(), "Memory Error!");
  EXPECT_FALSE(owner_.connected);
  EXPECT_LE(reader_.peak_response_bytes(), Pop3Reader::kMaxResponseBytes);
}

TEST_F(Pop3ReaderTest, EndOfStreamAndReadErrors) {
  link_->Feed("+OK hel");
  link_->FeedEnd();
  // What came before the close is the answer.
  EXPECT_EQ(Wait(), "+OK hel");
  EXPECT_FALSE(owner_.connected);
  EXPECT_EQ(owner_.reports().back(), "Connection Closed!");

  // A close with nothing received leaves an empty buffer.
  auto quiet = std::make_shared<MemoryLink>();
  owner_.connected = true;
  reader_.Start(std::make_shared<MemoryTcpConnection>(quiet));
  quiet->FeedEnd();
  EXPECT_EQ(Wait(), "<failed>");
  EXPECT_EQ(owner_.reports().back(), "Receive Buffer is empty!");

  // A read error only becomes the last error.
  auto failing = std::make_shared<MemoryLink>();
  owner_.connected = true;
  reader_.Start(std::make_shared<MemoryTcpConnection>(failing));
  failing->FeedReadError();
  EXPECT_EQ(Wait(), "<failed>");
  EXPECT_EQ(owner_.notes(), std::vector<std::string>{"Socket Read Error!"});
  EXPECT_FALSE(owner_.connected);
}

TEST_F(Pop3ReaderTest, StopAndDisconnectedSession) {
  link_->Feed("+OK hi\r\n");
  EXPECT_EQ(Wait(), "+OK hi\r\n");
  reader_.Stop();
  EXPECT_FALSE(reader_.IsRunning());
  // Listening and stopping each clear the account's error.
  EXPECT_EQ(owner_.reports(), (std::vector<std::string>{"", ""}));

  // Once the session has left, data that still comes ends the reader
  // without a word.
  auto link = std::make_shared<MemoryLink>();
  reader_.Start(std::make_shared<MemoryTcpConnection>(link));
  owner_.connected = false;
  link->Feed("+OK bye\r\n");
  link->FeedEnd();
  reader_.Stop();
  for (const std::string& report : owner_.reports()) EXPECT_EQ(report, "");
  EXPECT_FALSE(reader_.IsResponseReady());
}

TEST(Pop3ReaderQuietTest, ServerThatSendsNothingTimesOutWhileEventsKeepComing) {
  // Slices of 10 ms: the wait may last 10 slices without a byte. The events
  // flow for 2 s, so a wait that only ends once they stop fails here.
  std::unique_ptr<test::TestMessagePump> pump = test::MakeTestMessagePump();
  RecordingOwner owner;
  auto link = std::make_shared<MemoryLink>();
  Pop3Reader reader(*pump, owner, 10);
  reader.Start(std::make_shared<MemoryTcpConnection>(link));
  std::string response;
  {
    EventSource events(*pump);
    EXPECT_FALSE(reader.WaitResponse("\r\n", &response));
    EXPECT_LT(events.rounds(), 400) << "the wait lasted as long as the events";
  }
  EXPECT_EQ(owner.reports().back(), "Connection TimeOut!");

  // An answer that trickles in keeps the wait alive past the quiet limit.
  {
    EventSource events(*pump);
    std::thread server([&link] {
      for (char c : std::string("+OK slow\r\n")) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        link->Feed(std::string(1, c));
      }
    });
    EXPECT_TRUE(reader.WaitResponse("\r\n", &response));
    EXPECT_EQ(response, "+OK slow\r\n");
    server.join();
  }
  reader.Stop();
}

TEST_F(Pop3ReaderTest, QuitRequestEndsTheWait) {
  pump_->PostQuit();
  std::string response = "unset";
  EXPECT_TRUE(reader_.WaitResponse("\r\n", &response));
  EXPECT_EQ(response, "");
  EXPECT_TRUE(pump_->IsQuitPending());
}

}  // namespace
}  // namespace zan
