#include "settings/resource_downloader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "settings/product_constants.h"
#include "tests/support/http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace zan {
namespace {

class RecordingUi : public Ui {
 public:
  MessageBoxAnswer ShowMessageBox(const std::string& text,
                                  const std::string& caption,
                                  MessageBoxButtons buttons,
                                  MessageBoxIcon) override {
    boxes.push_back(caption + ": " + text);
    EXPECT_EQ(buttons, MessageBoxButtons::kOk);
    return MessageBoxAnswer::kOk;
  }
  std::vector<std::string> boxes;
};

class ResourceDownloaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.ok());
    registry_ = test::MakeTestRegistry(dir_);
    ASSERT_NE(registry_, nullptr);
    store_ = std::make_unique<SettingsStore>(*registry_);
    std::filesystem::create_directory(dir_.File("module"));
    local_dir_ = dir_.File("module") + "/";
    resources_ = std::make_unique<ResourceDownloader>(
        *store_, *downloader_, ui_, local_dir_, server_.BaseUrl() + "toolbar/");
  }

  std::string Local(const std::string& name) { return local_dir_ + name; }
  std::vector<std::string> History() {
    std::vector<std::string> names;
    for (SettingsValueEnumerator e(*store_, "ResourceFiles", true); e.HasName();
         e.Next()) {
      names.push_back(e.Name());
    }
    return names;
  }
  // Files in the module folder, so that left-over temporary files show.
  size_t FileCount() {
    size_t count = 0;
    for ([[maybe_unused]] auto& entry :
         std::filesystem::directory_iterator(dir_.File("module"))) {
      ++count;
    }
    return count;
  }

  test::TempDir dir_;
  test::HttpServer server_;
  std::unique_ptr<Registry> registry_;
  std::unique_ptr<SettingsStore> store_;
  std::unique_ptr<Downloader> downloader_ = test::MakeTestDownloader();
  RecordingUi ui_;
  std::string local_dir_;
  std::unique_ptr<ResourceDownloader> resources_;
};

TEST(ChecksumTest, SignedDecimalText) {
  test::TempDir dir;
  EXPECT_EQ(FileChecksum(dir.WriteFile("digits", "123456789")), 0xCBF43926u);
  EXPECT_EQ(ChecksumText(0xCBF43926u), "-873187034");
  EXPECT_EQ(ChecksumText(0x7FFFFFFFu), "2147483647");
  EXPECT_EQ(ChecksumText(0x80000000u), "-2147483648");
  EXPECT_EQ(FileChecksum(dir.WriteFile("empty", "")), 0u);
  EXPECT_EQ(FileChecksum(dir.File("missing")), 0u);
  // Larger than one read block.
  const std::string big(5000, 'z');
  EXPECT_NE(FileChecksum(dir.WriteFile("big", big)), 0u);
}

TEST_F(ResourceDownloaderTest, MissingCopyIsDownloadedAndRecorded) {
  server_.SetReply("/toolbar/ZAN.tbd", {200, "123456789"});
  std::string name = "ZAN.tbd";
  EXPECT_TRUE(resources_->DownloadResource(name));
  EXPECT_EQ(name, Local("ZAN.tbd"));
  EXPECT_EQ(test::ReadWholeFile(name), "123456789");
  EXPECT_EQ(store_->GetString("ZAN.tbd", ""), "-873187034");
  EXPECT_EQ(History(), std::vector<std::string>{Local("ZAN.tbd")});
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_EQ(FileCount(), 1u);
}

TEST_F(ResourceDownloaderTest, PresentCopyIsUsedUnlessAnUpdateIsDue) {
  server_.SetReply("/toolbar/tbil.bmp", {200, "new image"});
  dir_.WriteFile("module/tbil.bmp", "old image");
  std::string name = "tbil.bmp";
  EXPECT_TRUE(resources_->DownloadResource(name));
  EXPECT_EQ(name, Local("tbil.bmp"));
  EXPECT_EQ(server_.RequestCount("/toolbar/tbil.bmp"), 0);
  // Nothing is written.
  EXPECT_EQ(store_->GetString("tbil.bmp", "none"), "none");
  EXPECT_TRUE(History().empty());

  store_->SetString("GlobalUpdateFlag", "1");
  name = "tbil.bmp";
  EXPECT_TRUE(resources_->DownloadResource(name));
  EXPECT_EQ(server_.RequestCount("/toolbar/tbil.bmp"), 1);
  EXPECT_EQ(test::ReadWholeFile(name), "new image");
  EXPECT_EQ(store_->GetString("tbil.bmp", ""),
            ChecksumText(FileChecksum(Local("tbil.bmp"))));
  EXPECT_EQ(FileCount(), 1u);
}

TEST_F(ResourceDownloaderTest, EmptyLocalFileCountsAsMissing) {
  server_.SetReply("/toolbar/tbil.bmp", {200, "image"});
  dir_.WriteFile("module/tbil.bmp", "");
  std::string name = "tbil.bmp";
  EXPECT_TRUE(resources_->DownloadResource(name));
  EXPECT_EQ(test::ReadWholeFile(name), "image");
}

// A failed transfer, whether nothing came or half a file: the old copy
// stays. Which transfers fail is the downloader's contract.
TEST_F(ResourceDownloaderTest, FailedUpdateKeepsTheOldCopy) {
  struct Row {
    const char* name;
    test::HttpReply reply;
    bool registered;
  };
  const std::string body(64 * 1024, 'b');
  const Row rows[] = {
      {"not found", {}, false},
      {"cut midway", {200, body, test::HttpReply::Mode::kCutMidway}, true},
      {"empty body", {200, ""}, true},
  };
  store_->SetString("GlobalUpdateFlag", "1");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.registered) server_.SetReply("/toolbar/a.bmp", row.reply);
    dir_.WriteFile("module/a.bmp", "old copy");
    std::string name = "a.bmp";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(resources_->DownloadResource(name));
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::seconds(8));
    EXPECT_EQ(name, Local("a.bmp"));
    EXPECT_EQ(test::ReadWholeFile(Local("a.bmp")), "old copy");
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_EQ(FileCount(), 1u);
    EXPECT_EQ(History(), std::vector<std::string>{Local("a.bmp")});
  }
}

TEST_F(ResourceDownloaderTest, NoCopyAndNoSiteShowsTheMessageEveryTime) {
  const std::string url = server_.BaseUrl() + "toolbar/ZAN.tbd";
  for (int call = 0; call < 2; ++call) {
    std::string name = "ZAN.tbd";
    EXPECT_FALSE(resources_->DownloadResource(name));
    EXPECT_EQ(name, "ZAN.tbd");
    EXPECT_EQ(store_->GetString("ShowDownloadErrorMessages", "?"), "0");
  }
  const std::string box =
      "ZAN Inc. Toolbar Alert: Unable to download file ZAN.tbd from " + url;
  EXPECT_EQ(ui_.boxes, (std::vector<std::string>{box, box}));
  // Listed even though nothing was written.
  EXPECT_EQ(History(), std::vector<std::string>{Local("ZAN.tbd")});
  EXPECT_FALSE(std::filesystem::exists(Local("ZAN.tbd")));
  EXPECT_EQ(FileCount(), 0u);
  // A cut transfer leaves no half file behind either.
  server_.SetReply("/toolbar/ZAN.tbd", {200, std::string(10000, 'x'),
                                        test::HttpReply::Mode::kCutMidway});
  std::string name = "ZAN.tbd";
  EXPECT_FALSE(resources_->DownloadResource(name));
  EXPECT_EQ(FileCount(), 0u);
}

TEST_F(ResourceDownloaderTest, NamesOutsideTheModuleFolderAreRefused) {
  server_.SetReply("/toolbar/../escape", {200, "x"});
  for (const char* bad :
       {"../escape", "/etc/passwd", "a/../../b", "a\\b", ""}) {
    std::string name = bad;
    EXPECT_FALSE(resources_->DownloadResource(name)) << bad;
    EXPECT_EQ(name, bad);
  }
  EXPECT_FALSE(std::filesystem::exists(dir_.File("escape")));
  EXPECT_TRUE(History().empty());
  EXPECT_EQ(ui_.boxes.size(), 5u);
  // A sub folder of the module folder is fine.
  server_.SetReply("/toolbar/menus/m.bmp", {200, "menu"});
  std::string name = "menus/m.bmp";
  EXPECT_TRUE(resources_->DownloadResource(name));
  EXPECT_EQ(test::ReadWholeFile(Local("menus/m.bmp")), "menu");
}

TEST_F(ResourceDownloaderTest, FileUrlsOfTheEmbeddedSite) {
  const char* source = std::getenv("ZAN_SOURCE_DIR");
  if (source == nullptr) GTEST_SKIP() << "ZAN_SOURCE_DIR is not set";
  const std::string site = test::FileUrl(std::string(source) + "/site/toolbar");
  const std::string site_url = site + "/";
  ResourceDownloader embedded(*store_, *downloader_, ui_, local_dir_, site_url);
  std::string name = "tbil.bmp";
  EXPECT_TRUE(embedded.DownloadResource(name));
  EXPECT_EQ(
      test::ReadWholeFile(name),
      test::ReadWholeFile(std::string(source) + "/site/toolbar/tbil.bmp"));
  std::string missing = "no-such-file.bmp";
  EXPECT_FALSE(embedded.DownloadResource(missing));
}

}  // namespace
}  // namespace zan
