// The Linux forms of the seams, each run against its seam's contract.
#include <memory>

#include "platform/posix/registry_proxy_settings.h"
#include "platform/posix/sqlite_registry.h"
#include "tests/platform/connection_contract.h"
#include "tests/platform/downloader_contract.h"
#include "tests/platform/message_pump_contract.h"
#include "tests/platform/process_launcher_contract.h"
#include "tests/platform/proxy_settings_contract.h"
#include "tests/platform/registry_contract.h"
#include "tests/support/test_platform.h"

namespace zan::test {
namespace {

// The proxy record kept in a SQLite store; Read() looks through a second
// connection to the file, as another toolbar process would.
class RecordedProxy : public ProxyFormUnderTest {
 public:
  explicit RecordedProxy(const TempDir& dir)
      : registry_(SqliteRegistry::Open(dir.File("registry.db"))),
        reader_(SqliteRegistry::Open(dir.File("registry.db"))),
        proxy_(*registry_, nullptr) {}
  ProxySettings& settings() override { return proxy_; }
  ProxyState Read() override {
    const ProxyRecord record = ReadProxyRecord(*reader_);
    return {record.enabled, record.server, record.bypass};
  }

 private:
  std::unique_ptr<SqliteRegistry> registry_;
  std::unique_ptr<SqliteRegistry> reader_;
  RegistryProxySettings proxy_;
};

std::unique_ptr<ProxyFormUnderTest> MakeRecordedProxy(const TempDir& dir) {
  return std::make_unique<RecordedProxy>(dir);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Linux, RegistryContract,
    ::testing::Values(RegistryForm{"SQLite", &MakeTestRegistry}));
INSTANTIATE_TEST_SUITE_P(Linux, ConnectionContract,
    ::testing::Values(ConnectionForm{"POSIX", &MakeTestConnections}));
INSTANTIATE_TEST_SUITE_P(Linux, MessagePumpContract,
    ::testing::Values(MessagePumpForm{"Plain", &MakeTestMessagePump}));
INSTANTIATE_TEST_SUITE_P(Linux, DownloaderContract,
    ::testing::Values(DownloaderForm{"libcurl", &MakeTestDownloader}));
INSTANTIATE_TEST_SUITE_P(Linux, ProcessLauncherContract,
    ::testing::Values(LauncherForm{"POSIX", &MakeTestProcessLauncher,
                                   &MarkerCommandLine}));
INSTANTIATE_TEST_SUITE_P(Linux, ProxySettingsContract,
    ::testing::Values(ProxyForm{"Record", &MakeRecordedProxy}));
// clang-format on

}  // namespace
}  // namespace zan::test
