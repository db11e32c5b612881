// Settings reads and writes as the toolbar makes them: every call opens the
// product key of the user's store (a real SQLite file), works and closes it.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/posix/sqlite_registry.h"
#include "settings/settings_store.h"

namespace {

class BenchStore {
 public:
  BenchStore() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
        "/zan-bench-XXXXXX";
    dir_ = mkdtemp(pattern.data()) != nullptr ? pattern : "/tmp";
    registry_ = zan::SqliteRegistry::Open(dir_ + "/registry.db");
    store_ = std::make_unique<zan::SettingsStore>(*registry_);
    store_->SetString("LastSearchWith", "1");
    store_->SetString("StoreValueHistory", "1");
    for (int i = 0; i < 40; ++i) {
      store_->SetString("CSP_property" + std::to_string(i), "value");
    }
  }
  ~BenchStore() {
    store_.reset();
    registry_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  zan::SettingsStore& store() { return *store_; }

 private:
  std::string dir_;
  std::unique_ptr<zan::SqliteRegistry> registry_;
  std::unique_ptr<zan::SettingsStore> store_;
};

void BM_GetString(benchmark::State& state) {
  BenchStore bench;
  for (auto _ : state) {
    benchmark::DoNotOptimize(bench.store().GetString("LastSearchWith", "0"));
  }
}
BENCHMARK(BM_GetString)->Repetitions(5);

void BM_GetFlag(benchmark::State& state) {
  BenchStore bench;
  for (auto _ : state) {
    benchmark::DoNotOptimize(bench.store().GetFlag("StoreValueHistory", true));
  }
}
BENCHMARK(BM_GetFlag)->Repetitions(5);

void BM_GetFlagMissing(benchmark::State& state) {
  BenchStore bench;
  for (auto _ : state) {
    benchmark::DoNotOptimize(bench.store().GetFlag("UseAutoComplete", true));
  }
}
BENCHMARK(BM_GetFlagMissing)->Repetitions(5);

void BM_SetString(benchmark::State& state) {
  BenchStore bench;
  int i = 0;
  for (auto _ : state) {
    bench.store().SetString("LastSearchWith", std::to_string(i++ % 10));
  }
}
BENCHMARK(BM_SetString)->Repetitions(5);

}  // namespace

BENCHMARK_MAIN();
