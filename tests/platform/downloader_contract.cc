#include "tests/platform/downloader_contract.h"

#include <chrono>
#include <string>

#include "tests/support/http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace zan::test {
namespace {

TEST_P(DownloaderContract, WritesTheWholeBody) {
  HttpServer server;
  ASSERT_TRUE(server.ok());
  const std::string binary("a\0b\r\n\xff", 6);
  server.SetReply("/bin", {200, binary});
  server.SetReply("/big", {200, std::string(300 * 1024, 'z')});
  TempDir dir;
  // An older, longer file is replaced, not overwritten in place.
  const std::string path = dir.WriteFile("out", std::string(1000, 'o'));
  EXPECT_TRUE(downloader_->DownloadToFile(server.BaseUrl() + "bin", path));
  EXPECT_EQ(ReadWholeFile(path), binary);
  EXPECT_TRUE(downloader_->DownloadToFile(server.BaseUrl() + "big", path));
  EXPECT_EQ(ReadWholeFile(path), std::string(300 * 1024, 'z'));
  EXPECT_EQ(server.RequestCount("/bin"), 1);
}

// Every way a transfer can fail ends in false, within a bounded time.
TEST_P(DownloaderContract, FailuresAreReported) {
  HttpServer server;
  ASSERT_TRUE(server.ok());
  const std::string body(64 * 1024, 'b');
  server.SetReply("/error", {500, "oops"});
  server.SetReply("/cut", {200, body, HttpReply::Mode::kCutMidway});
  server.SetReply("/stall", {200, "0123456789", HttpReply::Mode::kStall});
  uint16_t closed_port;
  {
    HttpServer gone;
    closed_port = static_cast<uint16_t>(gone.port());
  }
  TempDir dir;
  for (const std::string& url :
       {server.BaseUrl() + "missing", server.BaseUrl() + "error",
        server.BaseUrl() + "cut", server.BaseUrl() + "stall",
        "http://127.0.0.1:" + std::to_string(closed_port) + "/x"}) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(downloader_->DownloadToFile(url, dir.File("out"))) << url;
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::seconds(15))
        << url;
  }
}

TEST_P(DownloaderContract, FileUrls) {
  TempDir dir;
  const std::string source = dir.WriteFile("source.txt", "local bytes");
  EXPECT_TRUE(downloader_->DownloadToFile(FileUrl(source), dir.File("copy")));
  EXPECT_EQ(dir.ReadFile("copy"), "local bytes");
  EXPECT_FALSE(downloader_->DownloadToFile(FileUrl(dir.File("missing")),
                                           dir.File("copy2")));
}

}  // namespace
}  // namespace zan::test
