#ifndef ZAN_PLATFORM_POSIX_SQLITE_REGISTRY_H_
#define ZAN_PLATFORM_POSIX_SQLITE_REGISTRY_H_

#include <memory>
#include <string>

#include "platform/registry.h"

namespace zan {

class SqliteConnection;

// The registry kept in one SQLite database file: WAL journal, one
// transaction per write, a busy timeout so several processes share it, one
// connection guarded by a mutex so several threads share it. A new file is
// created with mode 0600 (its folder with 0700 when missing).
class SqliteRegistry : public Registry {
 public:
  // Opens or creates the store at `path` (":memory:" for a private one);
  // nullptr when that fails.
  static std::unique_ptr<SqliteRegistry> Open(const std::string& path);
  ~SqliteRegistry() override;

  std::unique_ptr<RegistryKey> OpenHive(RegistryHive hive) override;

 private:
  explicit SqliteRegistry(std::shared_ptr<SqliteConnection> connection);

  std::shared_ptr<SqliteConnection> connection_;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_POSIX_SQLITE_REGISTRY_H_
