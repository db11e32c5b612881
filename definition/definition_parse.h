#ifndef ZAN_DEFINITION_DEFINITION_PARSE_H_
#define ZAN_DEFINITION_DEFINITION_PARSE_H_

#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "definition/definition_node.h"
#include "definition/definition_tree.h"

namespace zan {

// What one parse of a definition file left behind. All of it belongs to this
// parse alone: nothing is kept between loads.
struct ParseOutcome {
  // 0 success, 1 syntax error (or a scanner fault), 2 parser stack overflow.
  int result = 1;
  // The tree, only after a successful parse; `root` is its root node, named
  // "RYXToolBar", or null.
  std::unique_ptr<DefinitionTree> tree;
  const DefinitionNode* root = nullptr;
  // The last-token record: the two last recorded token texts.
  std::string previous_token;
  std::string last_token;
  // 1-based position of the token at which the parse stopped.
  int line = 0;
  int column = 0;
  // The parser's or scanner's message ("parse error", ...); empty on success.
  std::string message;
};

// Scans and recognises a whole definition text, building its tree. The
// tree's values are views into `bytes`, which must outlive it. With
// `read_failed`, `bytes` is what could be read before a read error (the
// scanner reports the fault where it needs more). Diagnostics ("Syntax
// error: parse error", scanner faults) are written to `diagnostics`, each as
// one line.
ParseOutcome ParseDefinition(std::string_view bytes, std::ostream& diagnostics,
                             bool read_failed = false);
// The same for the whole of a stream; the tree keeps the bytes it read.
ParseOutcome ParseDefinition(std::istream& in, std::ostream& diagnostics);

}  // namespace zan

#endif  // ZAN_DEFINITION_DEFINITION_PARSE_H_
