#ifndef ZAN_DEFINITION_DEFINITION_PARSE_H_
#define ZAN_DEFINITION_DEFINITION_PARSE_H_

#include <istream>
#include <memory>
#include <ostream>
#include <string>

#include "definition/definition_node.h"

namespace zan {

// What one parse of a definition file left behind. All of it belongs to this
// parse alone: nothing is kept between loads.
struct ParseOutcome {
  // 0 success, 1 syntax error (or a scanner fault), 2 parser stack overflow.
  int result = 1;
  // The tree, root named "RYXToolBar"; only meaningful when result is 0.
  std::unique_ptr<DefinitionNode> root;
  // The last-token record: the two last recorded token texts.
  std::string previous_token;
  std::string last_token;
  // 1-based position of the token at which the parse stopped.
  int line = 0;
  int column = 0;
  // The parser's or scanner's message ("parse error", ...); empty on success.
  std::string message;
};

// Scans and recognises a whole definition file from `in`, building its tree.
// Diagnostics ("Syntax error: parse error", scanner faults) are written to
// `diagnostics`, each as one line.
ParseOutcome ParseDefinition(std::istream& in, std::ostream& diagnostics);

}  // namespace zan

#endif  // ZAN_DEFINITION_DEFINITION_PARSE_H_
