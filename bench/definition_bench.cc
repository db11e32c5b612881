// Speed of reading a definition: scanning, recognising and building the tree
// of a 1 MiB file should stay far below 10 ms (at least 100 MB/s).

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "definition/definition_parse.h"
#include "definition/definition_scanner.h"

namespace {

// A valid definition of about `size` bytes made of typical blocks.
std::string MakeDefinition(std::size_t size) {
  const std::string item =
      " BUTTON {\n"
      "  caption = \"Search the web\" command = \"search\"\n"
      "  hint = \"Search with \\\"quotes\\\"\" image = \"3\"\n"
      "  MENU {\n"
      "   MENUITEM { caption = \"One\" command = \"one\" }\n"
      "   MENUSEPARATOR\n"
      "   SUBMENU { caption = \"More\" MENUITEM { caption = \"Two\" } }\n"
      "  }\n"
      " }\n"
      " SEPARATOR\n"
      " COMBO { name = \"q\" width = \"200\" COMBOVALUE { caption = \"a\" "
      "value = \"1\" } }\n"
      " COMMANDS { GOTOURL { name = \"search\" "
      "url = \"http://www.example.com/search?q=%q&src=toolbar\" } }\n";
  std::string text = "RYX_Toolbar {\n image = \"tbil.bmp\"\n";
  while (text.size() < size) text += item;
  return text + "}\n";
}

void BM_ParseDefinition(benchmark::State& state) {
  const std::string text =
      MakeDefinition(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::istringstream in(text);
    std::ostringstream diagnostics;
    zan::ParseOutcome outcome = zan::ParseDefinition(in, diagnostics);
    if (outcome.result != 0) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(outcome.root);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParseDefinition)
    ->Arg(4 << 10)
    ->Arg(1 << 20)
    ->Unit(benchmark::kMillisecond);

void BM_ScanOnly(benchmark::State& state) {
  const std::string text = MakeDefinition(1 << 20);
  for (auto _ : state) {
    std::istringstream in(text);
    zan::DefinitionScanner scanner(in);
    int tokens = 0;
    while (scanner.Next().kind != zan::TokenKind::kEnd) ++tokens;
    benchmark::DoNotOptimize(tokens);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ScanOnly)->Unit(benchmark::kMillisecond);

void BM_ScanLongStrings(benchmark::State& state) {
  std::string text;
  while (text.size() < (1 << 20)) {
    text += "caption = \"" + std::string(8000, 'x') + "\\\"y\\\\\"\n";
  }
  for (auto _ : state) {
    std::istringstream in(text);
    zan::DefinitionScanner scanner(in);
    int tokens = 0;
    while (scanner.Next().kind != zan::TokenKind::kEnd) ++tokens;
    benchmark::DoNotOptimize(tokens);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ScanLongStrings)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
