// Start-up of zan-browser against a bare Qt WebEngine window, in one run:
// both load the default site's index page; each iteration starts one of
// each as a new process (alternating, so that a busy machine slows both
// alike) and takes the time from process start until the page has loaded,
// and the memory of the process and its web engine helpers right then.
// A second benchmark times the toolbar's assembly alone, in process.
// Runs offscreen with a private home.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "browser/toolbar_window.h"
#include "hosts/qt/browser_app.h"
#include "hosts/qt/browser_window.h"
#include "platform/posix/sqlite_registry.h"
#include "settings/product_constants.h"

extern char** environ;

namespace {

std::string g_home;

void Wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

std::string SelfProgram() {
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return {};
  self[n] = '\0';
  return self;
}

std::string BrowserProgram() {
  std::string dir = SelfProgram();
  dir = dir.substr(0, dir.rfind('/'));
  return dir + "/../hosts/qt/zan-browser";
}

// The kibibytes of a "Name:   123 kB" line of a /proc file.
long ProcField(const std::string& file, const std::string& name) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(name + ":", 0) == 0) {
      return std::strtol(line.c_str() + name.size() + 1, nullptr, 10);
    }
  }
  return 0;
}

// `root` and every process below it.
std::vector<pid_t> ProcessTree(pid_t root) {
  std::multimap<pid_t, pid_t> children;
  if (DIR* proc = opendir("/proc")) {
    while (dirent* e = readdir(proc)) {
      pid_t pid = static_cast<pid_t>(std::strtol(e->d_name, nullptr, 10));
      if (pid <= 0) continue;
      std::ifstream stat("/proc/" + std::string(e->d_name) + "/stat");
      std::string text((std::istreambuf_iterator<char>(stat)), {});
      size_t close = text.rfind(')');
      if (close == std::string::npos) continue;
      std::istringstream rest(text.substr(close + 2));
      char state;
      pid_t parent = 0;
      rest >> state >> parent;
      children.emplace(parent, pid);
    }
    closedir(proc);
  }
  std::vector<pid_t> tree{root};
  for (size_t i = 0; i < tree.size(); ++i) {
    auto [from, to] = children.equal_range(tree[i]);
    for (auto it = from; it != to; ++it) tree.push_back(it->second);
  }
  return tree;
}

// User and system time of process `pid` so far, in milliseconds.
double CpuMs(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  size_t close = text.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream rest(text.substr(close + 2));
  std::string field;
  long utime = 0, stime = 0;
  // Fields 3..13 come before utime (14) and stime (15).
  for (int i = 3; i <= 13 && rest >> field; ++i) {
  }
  rest >> utime >> stime;
  return (utime + stime) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Launch {
  bool ok = false;
  double ms = 0;
  double cpu_ms = 0;       // processor time of all the processes until loaded
  double main_rss_mb = 0;  // resident set of the browser process alone
  double rss_mb = 0;       // resident set of all the processes, summed
  double pss_mb = 0;       // their proportional share (shared pages split)
};

// Starts `argv`, waits for the line "loaded" on its standard output, lets
// the page settle for a moment, measures the processes and ends them.
Launch Run(const std::vector<std::string>& args) {
  Launch result;
  int fds[2];
  if (pipe(fds) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (const std::string& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return result;
  }
  std::string line;
  char c;
  while (read(fds[0], &c, 1) == 1) {
    if (c != '\n') {
      line += c;
      continue;
    }
    if (line == "loaded") {
      result.ok = true;
      break;
    }
    line.clear();
  }
  auto end = std::chrono::steady_clock::now();
  result.ms = std::chrono::duration<double, std::milli>(end - start).count();
  if (result.ok) {
    for (pid_t p : ProcessTree(pid)) result.cpu_ms += CpuMs(p);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    long rss = 0, pss = 0;
    for (pid_t p : ProcessTree(pid)) {
      std::string dir = "/proc/" + std::to_string(p);
      rss += ProcField(dir + "/status", "VmRSS");
      pss += ProcField(dir + "/smaps_rollup", "Pss");
    }
    result.main_rss_mb =
        ProcField("/proc/" + std::to_string(pid) + "/status", "VmRSS") / 1024.0;
    result.rss_mb = rss / 1024.0;
    result.pss_mb = pss / 1024.0;
  }
  std::vector<pid_t> tree = ProcessTree(pid);
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  for (pid_t p : tree) {
    if (p != pid) kill(p, SIGKILL);
  }
  close(fds[0]);
  return result;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Comparison {
  std::vector<double> bare_ms, zan_ms, bare_rss, zan_rss, bare_pss, zan_pss,
      bare_main, zan_main, bare_cpu, zan_cpu;
};
Comparison g_comparison;

// The bare window and zan-browser, one of each per iteration; the time of
// the iteration is zan-browser's.
void BM_PageLoadedBareAndZan(benchmark::State& state) {
  const std::string url = zan::SiteIndexUrl();
  const std::vector<std::string> bare = {SelfProgram(), "--bare-window", url};
  const std::vector<std::string> zan = {BrowserProgram(), "--url", url,
                                        "--report-load"};
  // Registers the toolbar, so that its band shows, and fetches its files.
  Launch first = Run({BrowserProgram(), "--register-if-needed", "--url", url,
                      "--report-load"});
  if (!first.ok || !Run(bare).ok) {
    state.SkipWithError("a window did not load the page");
    return;
  }
  Comparison& c = g_comparison;
  for (auto _ : state) {
    Launch b = Run(bare);
    Launch z = Run(zan);
    if (!b.ok || !z.ok) {
      state.SkipWithError("a window did not load the page");
      return;
    }
    c.bare_ms.push_back(b.ms);
    c.zan_ms.push_back(z.ms);
    c.bare_rss.push_back(b.rss_mb);
    c.zan_rss.push_back(z.rss_mb);
    c.bare_pss.push_back(b.pss_mb);
    c.bare_main.push_back(b.main_rss_mb);
    c.zan_main.push_back(z.main_rss_mb);
    c.bare_cpu.push_back(b.cpu_ms);
    c.zan_cpu.push_back(z.cpu_ms);
    c.zan_pss.push_back(z.pss_mb);
    state.SetIterationTime(z.ms / 1000.0);
  }
  state.counters["bare_ms"] = Median(c.bare_ms);
  state.counters["zan_ms"] = Median(c.zan_ms);
  state.counters["bare_rss_MB"] = Median(c.bare_rss);
  state.counters["zan_rss_MB"] = Median(c.zan_rss);
  state.counters["bare_pss_MB"] = Median(c.bare_pss);
  state.counters["bare_main_rss_MB"] = Median(c.bare_main);
  state.counters["bare_cpu_ms"] = Median(c.bare_cpu);
  state.counters["zan_cpu_ms"] = Median(c.zan_cpu);
  state.counters["zan_main_rss_MB"] = Median(c.zan_main);
  state.counters["zan_pss_MB"] = Median(c.zan_pss);
}
BENCHMARK(BM_PageLoadedBareAndZan)
    ->UseManualTime()
    ->Iterations(15)
    ->Unit(benchmark::kMillisecond);

// The assembly of the default toolbar on a window whose page has loaded.
void BM_AssembleDefaultToolbar(benchmark::State& state) {
  auto registry = zan::SqliteRegistry::Open(g_home + "/bench-registry.db");
  zan::BrowserOptions options;
  options.unattended = true;
  options.private_mode = true;
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

// The reference: a window with nothing but a web view, on a kept profile
// as zan-browser's. Writes "loaded" once the page has loaded.
int RunBareWindow(int argc, char** argv, const char* url) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication::setStyle(QStringLiteral("Fusion"));
  QApplication app(argc, argv);
  QWebEngineProfile profile(QStringLiteral("bare"));
  QWebEngineView view;
  view.setPage(new QWebEnginePage(&profile, &view));
  view.resize(1180, 720);
  view.show();
  QObject::connect(
      &view, &QWebEngineView::loadFinished, &view,
      [](bool) { std::cout << "loaded" << std::endl; },
      Qt::SingleShotConnection);
  view.load(QUrl(QString::fromUtf8(url)));
  return app.exec();
}

void PrintSummary() {
  const Comparison& c = g_comparison;
  if (c.zan_ms.empty()) return;
  double bare = Median(c.bare_ms), zan = Median(c.zan_ms);
  std::printf(
      "\nUntil the page has loaded (medians of %zu runs each): bare window "
      "%.0f ms, zan-browser %.0f ms: %+.1f %% (goal: at most +10 %%); "
      "processor time of all processes %.0f / %.0f ms (%+.1f %%)\n"
      "Memory then: the browser process %.1f MB RSS bare, %.1f MB zan-browser "
      "(%+.1f MB; goal: at most +15 MB); all processes %.1f / %.1f MB PSS "
      "(%+.1f MB), %.1f / %.1f MB RSS summed (%+.1f MB)\n",
      c.zan_ms.size(), bare, zan, (zan / bare - 1.0) * 100.0,
      Median(c.bare_cpu), Median(c.zan_cpu),
      (Median(c.zan_cpu) / Median(c.bare_cpu) - 1.0) * 100.0,
      Median(c.bare_main), Median(c.zan_main),
      Median(c.zan_main) - Median(c.bare_main), Median(c.bare_pss),
      Median(c.zan_pss), Median(c.zan_pss) - Median(c.bare_pss),
      Median(c.bare_rss), Median(c.zan_rss),
      Median(c.zan_rss) - Median(c.bare_rss));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--bare-window") {
    return RunBareWindow(argc, argv, argv[2]);
  }
  std::string base = getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp";
  g_home = base + "/zan-bench-XXXXXX";
  if (!mkdtemp(g_home.data())) return 1;
  setenv("HOME", g_home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (g_home + "/config").c_str(), 1);
  setenv("XDG_CACHE_HOME", (g_home + "/cache").c_str(), 1);
  setenv("XDG_DATA_HOME", (g_home + "/data").c_str(), 1);
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
  PrintSummary();
  std::string cleanup = "rm -rf '" + g_home + "'";
  return system(cleanup.c_str()) == 0 ? 0 : 1;
}
