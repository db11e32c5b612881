// Speed of loading a definition: the default file, and generated files of
// 1 MiB and 10 MiB loaded whole (scan, recognise, tree and model), parsed
// only, walked only and dumped only. Next to them, on the same text, the
// flex+bison reference recogniser that builds the same tree.
//
// Targets: a whole load of the 10 MiB file at 250 MB/s or more; zan-tbd
// check as a whole process 1.5 times as fast as the reference program
// (measured outside, see README "Definition loading").

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>

#include "bench/generated_definition.h"
#include "definition/definition_parse.h"
#include "definition/load_definition.h"
#include "definition/toolbar_model.h"
#include "platform/ui.h"
#ifdef ZAN_BENCH_REFERENCE
#include "bench/reference/reference_tree.h"
#endif

namespace {

// Answers every box with OK and counts them: a benchmark input must load
// without diagnostics.
class SilentUi : public zan::Ui {
 public:
  zan::MessageBoxAnswer ShowMessageBox(const std::string&, const std::string&,
                                       zan::MessageBoxButtons,
                                       zan::MessageBoxIcon) override {
    ++boxes;
    return zan::MessageBoxAnswer::kOk;
  }
  int boxes = 0;
};

class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
};

std::string DefaultDefinition() {
  const char* source = std::getenv("ZAN_SOURCE_DIR");
  std::ifstream file(
      std::string(source != nullptr ? source : ".") + "/site/toolbar/ZAN.tbd",
      std::ios::binary);
  if (!file) return {};
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The generated text of the benchmark's size argument, made once.
const std::string& Generated(benchmark::State& state) {
  static std::string text;
  const auto size = static_cast<std::size_t>(state.range(0));
  if (text.size() < size || text.size() > size + 4096) {
    text = zan::bench::GeneratedDefinition(size);
  }
  return text;
}

void CountBytes(benchmark::State& state, const std::string& text) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}

void LoadText(benchmark::State& state, const std::string& text) {
  NullBuffer null_buffer;
  std::ostream discard(&null_buffer);
  for (auto _ : state) {
    SilentUi ui;
    zan::ToolbarModelHolder holder;
    holder.set_diagnostics(&discard);
    if (!holder.LoadDefinitionFromBytes(text, ui)) {
      state.SkipWithError("the definition did not parse");
      break;
    }
    if (ui.boxes > 0) {
      state.SkipWithError("the definition has diagnostics");
      break;
    }
    benchmark::DoNotOptimize(holder.model());
  }
  CountBytes(state, text);
}

void BM_LoadDefaultDefinition(benchmark::State& state) {
  const std::string text = DefaultDefinition();
  if (text.empty()) {
    state.SkipWithError("site/toolbar/ZAN.tbd not found (set ZAN_SOURCE_DIR)");
    return;
  }
  LoadText(state, text);
}
BENCHMARK(BM_LoadDefaultDefinition)->Unit(benchmark::kMicrosecond);

// Scan, recognise, tree and model: the whole load.
void BM_Load(benchmark::State& state) { LoadText(state, Generated(state)); }
BENCHMARK(BM_Load)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

// Scanning, recognising and building the tree alone.
void BM_Parse(benchmark::State& state) {
  const std::string& text = Generated(state);
  NullBuffer null_buffer;
  std::ostream discard(&null_buffer);
  for (auto _ : state) {
    zan::ParseOutcome outcome = zan::ParseDefinition(text, discard);
    if (outcome.result != 0) {
      state.SkipWithError("the definition did not parse");
      break;
    }
    benchmark::DoNotOptimize(outcome.root);
  }
  CountBytes(state, text);
}
BENCHMARK(BM_Parse)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

// The walk of a parsed tree into a model alone.
void BM_Walk(benchmark::State& state) {
  const std::string& text = Generated(state);
  NullBuffer null_buffer;
  std::ostream discard(&null_buffer);
  const zan::ParseOutcome outcome = zan::ParseDefinition(text, discard);
  if (outcome.result != 0) {
    state.SkipWithError("the definition did not parse");
    return;
  }
  for (auto _ : state) {
    SilentUi ui;
    auto model = std::make_unique<zan::ToolbarModel>();
    model->Load(*outcome.root, ui);
    benchmark::DoNotOptimize(model);
  }
  CountBytes(state, text);
}
BENCHMARK(BM_Walk)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

void BM_Dump(benchmark::State& state) {
  SilentUi ui;
  zan::ToolbarModelHolder holder;
  NullBuffer null_buffer;
  std::ostream discard(&null_buffer);
  holder.set_diagnostics(&discard);
  if (!holder.LoadDefinitionFromBytes(Generated(state), ui)) {
    state.SkipWithError("the definition did not parse");
    return;
  }
  for (auto _ : state) {
    std::ostringstream out;
    holder.model()->Dump(out, 0);
    benchmark::DoNotOptimize(out.str().size());
  }
}
BENCHMARK(BM_Dump)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

#ifdef ZAN_BENCH_REFERENCE
// The flex+bison reference on the same text: scan, recognise and the tree
// of named nodes with property lists (there is no model to load).
void BM_ReferenceParse(benchmark::State& state) {
  const std::string& text = Generated(state);
  for (auto _ : state) {
    std::unique_ptr<zan::reference::Node> root;
    if (zan::reference::ParseText(text, &root) != 0) {
      state.SkipWithError("the reference did not parse the definition");
      break;
    }
    benchmark::DoNotOptimize(root);
  }
  CountBytes(state, text);
}
BENCHMARK(BM_ReferenceParse)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
