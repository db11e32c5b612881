// Start-up of zan-browser: from process start to the toolbar assembled, and
// the assembly alone (the toolbar rebuilt from its loaded definition once
// the page has loaded). Runs offscreen with a private home.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "browser/toolbar_window.h"
#include "hosts/qt/browser_app.h"
#include "hosts/qt/browser_window.h"
#include "platform/posix/sqlite_registry.h"

extern char** environ;

namespace {

std::string g_home;

void Wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

std::string BrowserProgram() {
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return "zan-browser";
  self[n] = '\0';
  std::string dir(self);
  dir = dir.substr(0, dir.rfind('/'));
  return dir + "/../hosts/qt/zan-browser";
}

// Process start until the first line of the toolbar listing arrives (it is
// written once the toolbar is assembled).
void BM_ProcessStartToToolbar(benchmark::State& state) {
  const std::string program = BrowserProgram();
  for (auto _ : state) {
    int fds[2];
    if (pipe(fds) != 0) {
      state.SkipWithError("pipe");
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const char* argv[] = {program.c_str(), "--print-toolbar", "--quit-after",
                          "0", nullptr};
    auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr,
                         const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
      close(fds[0]);
      state.SkipWithError("zan-browser cannot be started");
      return;
    }
    char c;
    bool got = false;
    while (read(fds[0], &c, 1) == 1) {
      if (c == '\n') {
        got = true;
        break;
      }
    }
    auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!got) {
      state.SkipWithError("no toolbar listing");
      return;
    }
  }
}
BENCHMARK(BM_ProcessStartToToolbar)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

// The assembly of the default toolbar on a window whose page has loaded.
void BM_AssembleDefaultToolbar(benchmark::State& state) {
  auto registry = zan::SqliteRegistry::Open(g_home + "/bench-registry.db");
  zan::BrowserOptions options;
  options.unattended = true;
  auto app = std::make_unique<zan::BrowserApp>(options, std::move(registry));
  zan::BrowserWindow* window = app->NewWindow(app->HomeUrl());
  QElapsedTimer timer;
  timer.start();
  while (!window->page_loaded() && timer.elapsed() < 20000) Wait(10);
  if (!window->page_loaded() || !window->toolbar()->GetModel()) {
    state.SkipWithError("the page or the toolbar did not load");
    return;
  }
  for (auto _ : state) {
    window->toolbar()->AssembleToolbar();
    QCoreApplication::processEvents();
  }
  app.reset();
}
BENCHMARK(BM_AssembleDefaultToolbar)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  std::string base = getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp";
  g_home = base + "/zan-bench-XXXXXX";
  if (!mkdtemp(g_home.data())) return 1;
  setenv("HOME", g_home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (g_home + "/config").c_str(), 1);
  setenv("XDG_CACHE_HOME", (g_home + "/cache").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", g_home.c_str(), 1);
  setenv("ZAN_HOME", g_home.c_str(), 1);
  setenv("ZAN_REGISTRY", (g_home + "/registry.db").c_str(), 1);
  if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
  setenv("QT_LOGGING_RULES", "qt.webenginecontext.info=false", 1);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::string cleanup = "rm -rf '" + g_home + "'";
  return system(cleanup.c_str()) == 0 ? 0 : 1;
}
