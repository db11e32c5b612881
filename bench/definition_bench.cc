// Speed of loading a definition: the default file, and a generated 1 MiB
// file loaded whole, parsed only, walked only and dumped only. Target: scan,
// recognise, build the tree and load the model of 1 MiB in under 10 ms.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>

#include "definition/definition_parse.h"
#include "definition/load_definition.h"
#include "definition/toolbar_model.h"
#include "platform/ui.h"

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

// A valid definition of at least `size` bytes that uses every element:
// buttons with menus and submenus, search boxes with values, separators,
// panes and indicators, and a command for each button.
std::string GeneratedDefinition(std::size_t size) {
  std::string items;
  std::string commands;
  for (int i = 0; items.size() + commands.size() < size; ++i) {
    const std::string n = std::to_string(i);
    items += "\tBUTTON { caption=\"Button " + n + "\" hint=\"Runs command " +
             n + "\" command=\"Go" + n + "\" image=\"" +
             std::to_string(i % 19) + "\"\n\t\tMENU { type=\"Split\"\n";
    for (int k = 0; k < 4; ++k) {
      items += "\t\t\tMENUITEM { caption=\"Entry " + std::to_string(k) +
               "\" hint=\"Menu entry\" command=\"Go" + n + "\" image=\"1\" }\n";
    }
    items +=
        "\t\t\tMENUSEPARATOR\n\t\t\tSUBMENU { caption=\"More\" "
        "MENUITEM { caption=\"Deeper\\n\\\"quoted\\\"\" command=\"Go" +
        n + "\" } }\n\t\t}\n\t}\n";
    items += "\tCOMBO { name=\"box" + n +
             "\" width=\"120\" maxchars=\"64\" maxhistlines=\"10\" "
             "COMBOVALUE { caption=\"One\" value=\"1\" } "
             "COMBOVALUE { caption=\"Two\" value=\"2\" } }\n";
    items += "\tSEPARATOR\n\tWEBPAGE { name=\"pane" + n +
             "\" url=\"search.html?q=%domain\" width=\"100\" }\n";
    items +=
        "\tINDICATOR { type=\"POP3\" addimg1=\"6\" addimg2=\"7\" "
        "addimg3=\"8\" param1=\"No mail\" }\n";
    commands += "\t\tGOTOURL { name=\"Go" + n + "\" url=\"search.html?q=%box" +
                n + "\" target=\"_self\" }\n\t\tSERVICECOMMAND { name=\"S" + n +
                "\" type=\"MessageBox\" caption=\"Hello\" }\n";
  }
  return "RYX_Toolbar {\n\timage=\"tbil.bmp\" hotimage=\"tbhotil.bmp\"\n" +
         items + "\tCOMMANDS {\n" + commands + "\t}\n}\n";
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
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
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

void BM_LoadOneMebibyte(benchmark::State& state) {
  LoadText(state, GeneratedDefinition(1 << 20));
}
BENCHMARK(BM_LoadOneMebibyte)->Unit(benchmark::kMillisecond);

// Scanning, recognising and building the tree alone.
void BM_ParseOneMebibyte(benchmark::State& state) {
  const std::string text = GeneratedDefinition(1 << 20);
  NullBuffer null_buffer;
  std::ostream discard(&null_buffer);
  for (auto _ : state) {
    std::istringstream in(text);
    zan::ParseOutcome outcome = zan::ParseDefinition(in, discard);
    if (outcome.result != 0) {
      state.SkipWithError("the definition did not parse");
      break;
    }
    benchmark::DoNotOptimize(outcome.root);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParseOneMebibyte)->Unit(benchmark::kMillisecond);

// The walk of a parsed tree into a model alone.
void BM_WalkOneMebibyte(benchmark::State& state) {
  const std::string text = GeneratedDefinition(1 << 20);
  NullBuffer null_buffer;
  std::ostream discard(&null_buffer);
  std::istringstream in(text);
  const zan::ParseOutcome outcome = zan::ParseDefinition(in, discard);
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
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_WalkOneMebibyte)->Unit(benchmark::kMillisecond);

void BM_DumpOneMebibyte(benchmark::State& state) {
  SilentUi ui;
  zan::ToolbarModelHolder holder;
  NullBuffer null_buffer;
  std::ostream discard(&null_buffer);
  holder.set_diagnostics(&discard);
  if (!holder.LoadDefinitionFromBytes(GeneratedDefinition(1 << 20), ui)) {
    state.SkipWithError("the definition did not parse");
    return;
  }
  for (auto _ : state) {
    std::ostringstream out;
    holder.model()->Dump(out, 0);
    benchmark::DoNotOptimize(out.str().size());
  }
}
BENCHMARK(BM_DumpOneMebibyte)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
