#include "platform/posix/sqlite_registry.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace zan {

namespace {

constexpr int kBusyTimeoutMs = 10000;

// Ids of the hive roots in the keys table.
int64_t HiveId(RegistryHive hive) {
  switch (hive) {
    case RegistryHive::kCurrentUser:
      return 1;
    case RegistryHive::kLocalMachine:
      return 2;
    case RegistryHive::kClassesRoot:
      return 3;
  }
  return 1;
}

constexpr const char* kSchema[] = {
    "CREATE TABLE IF NOT EXISTS keys("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " parent INTEGER REFERENCES keys(id) ON DELETE CASCADE,"
    " name TEXT NOT NULL,"
    " folded TEXT NOT NULL,"
    " UNIQUE(parent, folded))",
    "CREATE TABLE IF NOT EXISTS vals("
    " seq INTEGER PRIMARY KEY AUTOINCREMENT,"
    " key INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,"
    " name TEXT NOT NULL,"
    " folded TEXT NOT NULL,"
    " type INTEGER NOT NULL,"
    " data BLOB NOT NULL,"
    " UNIQUE(key, folded))",
    "CREATE INDEX IF NOT EXISTS vals_order ON vals(key, seq)",
    "INSERT OR IGNORE INTO keys(id, parent, name, folded) VALUES"
    " (1, NULL, 'HKEY_CURRENT_USER', 'hkey_current_user'),"
    " (2, NULL, 'HKEY_LOCAL_MACHINE', 'hkey_local_machine'),"
    " (3, NULL, 'HKEY_CLASSES_ROOT', 'hkey_classes_root')",
};

std::string Fold(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

// Splits a key path into its names; false for an empty name (two
// backslashes in a row, a leading or trailing one) or an overlong one.
bool SplitPath(const std::string& path, std::vector<std::string>& names) {
  names.clear();
  if (path.empty()) return true;
  size_t start = 0;
  while (true) {
    const size_t end = path.find('\\', start);
    const std::string name = path.substr(
        start, end == std::string::npos ? std::string::npos : end - start);
    if (name.empty() || name.size() > kMaxRegistryKeyName) return false;
    names.push_back(name);
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

bool ValidValueName(const std::string& name) {
  return name.size() <= kMaxRegistryValueName;
}

// Creates `path` as a new file with mode 0600 unless it exists, and its
// folder with mode 0700 when missing.
void PrepareFile(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0) {
    const std::string dir = path.substr(0, slash);
    struct stat info;
    if (stat(dir.c_str(), &info) != 0) {
      // Create each missing folder from the top.
      for (size_t at = dir.find('/', 1);; at = dir.find('/', at + 1)) {
        const std::string part = dir.substr(0, at);
        if (stat(part.c_str(), &info) != 0) mkdir(part.c_str(), 0700);
        if (at == std::string::npos) break;
      }
    }
  }
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd >= 0) close(fd);
}

}  // namespace

// One SQLite connection and its prepared statements, shared by the store
// and every key opened from it. All access holds `mutex`.
class SqliteConnection {
 public:
  explicit SqliteConnection(sqlite3* db) : db_(db) {}
  ~SqliteConnection() {
    for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
    sqlite3_close_v2(db_);
  }
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  std::mutex& mutex() { return mutex_; }
  sqlite3* db() { return db_; }

  // A cached statement for `sql` (a string literal), reset and unbound.
  sqlite3_stmt* Statement(const char* sql) {
    auto it = statements_.find(sql);
    if (it != statements_.end()) {
      sqlite3_reset(it->second);
      sqlite3_clear_bindings(it->second);
      return it->second;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement,
                           nullptr) != SQLITE_OK) {
      return nullptr;
    }
    statements_.emplace(sql, statement);
    return statement;
  }

  bool Exec(const char* sql) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
      if (rc == SQLITE_OK) return true;
      if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED) return false;
    }
    return false;
  }

  // Runs `body` inside BEGIN IMMEDIATE ... COMMIT; rolls back when it
  // returns false.
  template <typename Body>
  bool Write(Body body) {
    if (!Exec("BEGIN IMMEDIATE")) return false;
    if (!body()) {
      Exec("ROLLBACK");
      return false;
    }
    if (!Exec("COMMIT")) {
      Exec("ROLLBACK");
      return false;
    }
    return true;
  }

  // The id of the child `name` of `parent`, or 0.
  int64_t FindChild(int64_t parent, const std::string& name) {
    sqlite3_stmt* s =
        Statement("SELECT id FROM keys WHERE parent = ? AND folded = ?");
    if (s == nullptr) return 0;
    const std::string folded = Fold(name);
    sqlite3_bind_int64(s, 1, parent);
    sqlite3_bind_text(s, 2, folded.data(), static_cast<int>(folded.size()),
                      SQLITE_STATIC);
    const int64_t id =
        sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : 0;
    sqlite3_reset(s);
    return id;
  }

  // Follows `names` from `start`; 0 when a key is missing.
  int64_t Find(int64_t start, const std::vector<std::string>& names) {
    int64_t id = start;
    for (const std::string& name : names) {
      id = FindChild(id, name);
      if (id == 0) return 0;
    }
    return id;
  }

  bool KeyExists(int64_t id) {
    sqlite3_stmt* s = Statement("SELECT 1 FROM keys WHERE id = ?");
    if (s == nullptr) return false;
    sqlite3_bind_int64(s, 1, id);
    const bool found = sqlite3_step(s) == SQLITE_ROW;
    sqlite3_reset(s);
    return found;
  }

  // Inside a write transaction: the child `name` of `parent`, created when
  // missing; 0 on failure.
  int64_t CreateChild(int64_t parent, const std::string& name) {
    const int64_t found = FindChild(parent, name);
    if (found != 0) return found;
    sqlite3_stmt* s =
        Statement("INSERT INTO keys(parent, name, folded) VALUES(?, ?, ?)");
    if (s == nullptr) return 0;
    const std::string folded = Fold(name);
    sqlite3_bind_int64(s, 1, parent);
    sqlite3_bind_text(s, 2, name.data(), static_cast<int>(name.size()),
                      SQLITE_STATIC);
    sqlite3_bind_text(s, 3, folded.data(), static_cast<int>(folded.size()),
                      SQLITE_STATIC);
    const int rc = sqlite3_step(s);
    sqlite3_reset(s);
    return rc == SQLITE_DONE ? sqlite3_last_insert_rowid(db_) : 0;
  }

  std::optional<RegistryValue> Query(int64_t key, const std::string& name) {
    sqlite3_stmt* s =
        Statement("SELECT type, data FROM vals WHERE key = ? AND folded = ?");
    if (s == nullptr) return std::nullopt;
    const std::string folded = Fold(name);
    sqlite3_bind_int64(s, 1, key);
    sqlite3_bind_text(s, 2, folded.data(), static_cast<int>(folded.size()),
                      SQLITE_STATIC);
    std::optional<RegistryValue> value;
    if (sqlite3_step(s) == SQLITE_ROW) {
      value.emplace();
      value->type = static_cast<RegistryType>(sqlite3_column_int64(s, 0));
      const void* data = sqlite3_column_blob(s, 1);
      const int size = sqlite3_column_bytes(s, 1);
      if (data != nullptr && size > 0) {
        value->data.assign(static_cast<const char*>(data), size);
      }
    }
    sqlite3_reset(s);
    return value;
  }

  bool Upsert(int64_t key, const std::string& name,
              const RegistryValue& value) {
    sqlite3_stmt* s = Statement(
        "INSERT INTO vals(key, name, folded, type, data) VALUES(?, ?, ?, ?, ?)"
        " ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type,"
        " data = excluded.data");
    if (s == nullptr) return false;
    const std::string folded = Fold(name);
    sqlite3_bind_int64(s, 1, key);
    sqlite3_bind_text(s, 2, name.data(), static_cast<int>(name.size()),
                      SQLITE_STATIC);
    sqlite3_bind_text(s, 3, folded.data(), static_cast<int>(folded.size()),
                      SQLITE_STATIC);
    sqlite3_bind_int64(s, 4, static_cast<int64_t>(value.type));
    sqlite3_bind_blob(s, 5, value.data.data(),
                      static_cast<int>(value.data.size()), SQLITE_STATIC);
    const int rc = sqlite3_step(s);
    sqlite3_reset(s);
    return rc == SQLITE_DONE;
  }

  // Every value of `key` in writing order.
  RegistryValueList Values(int64_t key) {
    RegistryValueList values;
    sqlite3_stmt* s = Statement(
        "SELECT name, type, data FROM vals WHERE key = ? ORDER BY seq");
    if (s == nullptr) return values;
    sqlite3_bind_int64(s, 1, key);
    while (sqlite3_step(s) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(s, 0);
      std::string name(text ? reinterpret_cast<const char*>(text) : "",
                       static_cast<size_t>(sqlite3_column_bytes(s, 0)));
      RegistryValue value;
      value.type = static_cast<RegistryType>(sqlite3_column_int64(s, 1));
      const void* data = sqlite3_column_blob(s, 2);
      const int size = sqlite3_column_bytes(s, 2);
      if (data != nullptr && size > 0) {
        value.data.assign(static_cast<const char*>(data),
                          static_cast<size_t>(size));
      }
      values.emplace_back(std::move(name), std::move(value));
    }
    sqlite3_reset(s);
    return values;
  }

  std::optional<std::string> NameAt(const char* sql, int64_t key,
                                    uint32_t index) {
    sqlite3_stmt* s = Statement(sql);
    if (s == nullptr) return std::nullopt;
    sqlite3_bind_int64(s, 1, key);
    sqlite3_bind_int64(s, 2, index);
    std::optional<std::string> name;
    if (sqlite3_step(s) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(s, 0);
      const int size = sqlite3_column_bytes(s, 0);
      name.emplace(text ? reinterpret_cast<const char*>(text) : "", size);
    }
    sqlite3_reset(s);
    return name;
  }

 private:
  std::mutex mutex_;
  sqlite3* db_;
  std::unordered_map<const char*, sqlite3_stmt*> statements_;
};

namespace {

class SqliteKey : public RegistryKey {
 public:
  SqliteKey(std::shared_ptr<SqliteConnection> connection, int64_t id)
      : connection_(std::move(connection)), id_(id) {}

  std::unique_ptr<RegistryKey> CreateKey(const std::string& path) override {
    std::vector<std::string> names;
    if (!SplitPath(path, names)) return nullptr;
    std::lock_guard<std::mutex> lock(connection_->mutex());
    int64_t id = connection_->Find(id_, names);
    if (id == 0) {
      const bool written = connection_->Write([&] {
        id = id_;
        for (const std::string& name : names) {
          id = connection_->CreateChild(id, name);
          if (id == 0) return false;
        }
        return true;
      });
      if (!written) return nullptr;
    } else if (names.empty() && !connection_->KeyExists(id)) {
      return nullptr;
    }
    return std::make_unique<SqliteKey>(connection_, id);
  }

  std::unique_ptr<RegistryKey> OpenKey(const std::string& path) override {
    std::vector<std::string> names;
    if (!SplitPath(path, names)) return nullptr;
    std::lock_guard<std::mutex> lock(connection_->mutex());
    const int64_t id = connection_->Find(id_, names);
    if (id == 0 || (names.empty() && !connection_->KeyExists(id))) {
      return nullptr;
    }
    return std::make_unique<SqliteKey>(connection_, id);
  }

  bool DeleteKey(const std::string& path) override {
    std::vector<std::string> names;
    if (!SplitPath(path, names) || names.empty()) return false;
    std::lock_guard<std::mutex> lock(connection_->mutex());
    return connection_->Write([&] {
      const int64_t id = connection_->Find(id_, names);
      if (id == 0) return false;
      sqlite3_stmt* s = connection_->Statement("DELETE FROM keys WHERE id = ?");
      if (s == nullptr) return false;
      sqlite3_bind_int64(s, 1, id);
      const int rc = sqlite3_step(s);
      sqlite3_reset(s);
      return rc == SQLITE_DONE;
    });
  }

  std::optional<RegistryValue> QueryValue(const std::string& name) override {
    if (!ValidValueName(name)) return std::nullopt;
    std::lock_guard<std::mutex> lock(connection_->mutex());
    return connection_->Query(id_, name);
  }

  bool SetValue(const std::string& name, const RegistryValue& value) override {
    if (!ValidValueName(name)) return false;
    std::lock_guard<std::mutex> lock(connection_->mutex());
    return connection_->Write(
        [&] { return connection_->Upsert(id_, name, value); });
  }

  bool CompareAndSetValue(const std::string& name,
                          const std::optional<RegistryValue>& expected,
                          const RegistryValue& desired) override {
    if (!ValidValueName(name)) return false;
    std::lock_guard<std::mutex> lock(connection_->mutex());
    return connection_->Write([&] {
      if (connection_->Query(id_, name) != expected) return false;
      return connection_->Upsert(id_, name, desired);
    });
  }

  bool DeleteValue(const std::string& name) override {
    if (!ValidValueName(name)) return false;
    std::lock_guard<std::mutex> lock(connection_->mutex());
    return connection_->Write([&] {
      sqlite3_stmt* s = connection_->Statement(
          "DELETE FROM vals WHERE key = ? AND folded = ?");
      if (s == nullptr) return false;
      const std::string folded = Fold(name);
      sqlite3_bind_int64(s, 1, id_);
      sqlite3_bind_text(s, 2, folded.data(), static_cast<int>(folded.size()),
                        SQLITE_STATIC);
      const int rc = sqlite3_step(s);
      sqlite3_reset(s);
      return rc == SQLITE_DONE && sqlite3_changes(connection_->db()) > 0;
    });
  }

  bool RewriteValues(const RegistryValueEdit& edit) override {
    std::lock_guard<std::mutex> lock(connection_->mutex());
    return connection_->Write([&] {
      if (!connection_->KeyExists(id_)) return false;
      std::optional<RegistryValueList> values = edit(connection_->Values(id_));
      if (!values) return false;
      for (const auto& [name, value] : *values) {
        if (!ValidValueName(name)) return false;
      }
      sqlite3_stmt* s =
          connection_->Statement("DELETE FROM vals WHERE key = ?");
      if (s == nullptr) return false;
      sqlite3_bind_int64(s, 1, id_);
      const int rc = sqlite3_step(s);
      sqlite3_reset(s);
      if (rc != SQLITE_DONE) return false;
      for (const auto& [name, value] : *values) {
        if (!connection_->Upsert(id_, name, value)) return false;
      }
      return true;
    });
  }

  std::optional<std::string> EnumValue(uint32_t index) override {
    std::lock_guard<std::mutex> lock(connection_->mutex());
    return connection_->NameAt(
        "SELECT name FROM vals WHERE key = ? ORDER BY seq LIMIT 1 OFFSET ?",
        id_, index);
  }

  std::optional<std::string> EnumKey(uint32_t index) override {
    std::lock_guard<std::mutex> lock(connection_->mutex());
    return connection_->NameAt(
        "SELECT name FROM keys WHERE parent = ? ORDER BY folded LIMIT 1 "
        "OFFSET ?",
        id_, index);
  }

 private:
  std::shared_ptr<SqliteConnection> connection_;
  int64_t id_;
};

}  // namespace

std::unique_ptr<SqliteRegistry> SqliteRegistry::Open(const std::string& path) {
  const bool in_memory = path == ":memory:";
  if (!in_memory) PrepareFile(path);
  sqlite3* db = nullptr;
  const int flags =
      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    sqlite3_close_v2(db);
    return nullptr;
  }
  auto connection = std::make_shared<SqliteConnection>(db);
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  if (!in_memory && !connection->Exec("PRAGMA journal_mode=WAL")) {
    return nullptr;
  }
  if (!connection->Exec("PRAGMA synchronous=NORMAL") ||
      !connection->Exec("PRAGMA foreign_keys=ON")) {
    return nullptr;
  }
  const bool ready = connection->Write([&] {
    for (const char* sql : kSchema) {
      if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        return false;
      }
    }
    return true;
  });
  if (!ready) return nullptr;
  return std::unique_ptr<SqliteRegistry>(
      new SqliteRegistry(std::move(connection)));
}

SqliteRegistry::SqliteRegistry(std::shared_ptr<SqliteConnection> connection)
    : connection_(std::move(connection)) {}

SqliteRegistry::~SqliteRegistry() = default;

std::unique_ptr<RegistryKey> SqliteRegistry::OpenHive(RegistryHive hive) {
  return std::make_unique<SqliteKey>(connection_, HiveId(hive));
}

}  // namespace zan
