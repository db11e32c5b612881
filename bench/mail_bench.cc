// A forced check pass over 20 accounts on a local dovecot: the time per
// account, and the longest gap between two user-interface events dispatched
// while the pass runs (events are posted every millisecond; the browser
// must never freeze).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "definition/toolbar_item.h"
#include "mail/mail_account_store.h"
#include "mail/mail_checker.h"
#include "mail/mail_toolbar.h"
#include "platform/posix/posix_tcp_connection.h"
#include "platform/posix/sqlite_registry.h"
#include "platform/std/plain_message_pump.h"
#include "platform/std/system_clock.h"
#include "settings/settings_store.h"
#include "tests/support/dovecot_server.h"

namespace zan {
namespace {

constexpr int kAccounts = 20;

void BM_ForcedPassOverTwentyAccounts(benchmark::State& state) {
  std::string unavailable = DovecotServer::Unavailable();
  if (!unavailable.empty()) {
    state.SkipWithError(unavailable.c_str());
    return;
  }
  std::vector<DovecotServer::Mailbox> mailboxes;
  for (int i = 1; i <= kAccounts; ++i) {
    mailboxes.push_back(
        {"user" + std::to_string(i), "pass" + std::to_string(i), i % 4});
  }
  std::string why;
  std::unique_ptr<DovecotServer> server = DovecotServer::Start(mailboxes, &why);
  if (!server) {
    state.SkipWithError(why.c_str());
    return;
  }
  std::string db = server->folder() + "/registry.db";
  auto registry = SqliteRegistry::Open(db);
  SettingsStore settings(*registry);
  MailAccountStore store(settings);
  std::vector<MailAccount> accounts;
  for (int i = 1; i <= kAccounts; ++i) {
    accounts.push_back({"127.0.0.1", "user" + std::to_string(i),
                        "pass" + std::to_string(i), "10", i % 2 ? "1" : "0"});
  }
  store.SaveAccounts(accounts);

  PosixTcpConnectionFactory connections;
  PlainMessagePump pump;
  SystemClock clock;
  NoMailToolbar toolbar;
  MailChecker checker(store, connections, pump, clock, toolbar);
  checker.set_port(server->port());

  using Clock = std::chrono::steady_clock;
  double longest_gap_ms = 0;
  double pass_ms_total = 0;
  int failures = 0;
  for (auto _ : state) {
    std::atomic<bool> done{false};
    Clock::time_point last_event = Clock::now();
    double gap_ms = 0;
    std::thread poster([&] {
      while (!done) {
        pump.PostTask([&] {
          Clock::time_point now = Clock::now();
          gap_ms = std::max(gap_ms, std::chrono::duration<double, std::milli>(
                                        now - last_event)
                                        .count());
          last_event = now;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
    Clock::time_point start = Clock::now();
    last_event = start;
    checker.CheckMailNow();
    Clock::time_point end = Clock::now();
    // The time between the last event and the end of the pass counts too.
    pump.PostTask([&] {
      gap_ms = std::max(
          gap_ms,
          std::chrono::duration<double, std::milli>(end - last_event).count());
    });
    done = true;
    poster.join();
    pump.DispatchPending();
    longest_gap_ms = std::max(longest_gap_ms, gap_ms);
    pass_ms_total +=
        std::chrono::duration<double, std::milli>(end - start).count();
    for (bool result : checker.last_pass_results()) failures += !result;
  }
  double passes = static_cast<double>(state.iterations());
  state.counters["ms_per_account"] = pass_ms_total / passes / kAccounts;
  state.counters["longest_ui_gap_ms"] = longest_gap_ms;
  state.counters["failed_checks"] = failures;
}
BENCHMARK(BM_ForcedPassOverTwentyAccounts)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
}  // namespace zan

BENCHMARK_MAIN();
