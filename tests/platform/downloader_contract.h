#ifndef ZAN_TESTS_PLATFORM_DOWNLOADER_CONTRACT_H_
#define ZAN_TESTS_PLATFORM_DOWNLOADER_CONTRACT_H_

#include <gtest/gtest.h>

#include <memory>

#include "platform/downloader.h"
#include "tests/platform/contract_form.h"

namespace zan::test {

// Makes the downloader of one form, with time limits of a few seconds.
using DownloaderForm = ContractForm<std::unique_ptr<Downloader> (*)()>;

// What every form of the downloader seam must do, against a loopback HTTP
// server and local files. A form runs it with
//   INSTANTIATE_TEST_SUITE_P(Form, DownloaderContract,
//       ::testing::Values(DownloaderForm{"Form", &MakeFormDownloader}));
class DownloaderContract : public ::testing::TestWithParam<DownloaderForm> {
 protected:
  void SetUp() override {
    downloader_ = GetParam().make();
    ASSERT_NE(downloader_, nullptr);
  }

  std::unique_ptr<Downloader> downloader_;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_PLATFORM_DOWNLOADER_CONTRACT_H_
