#include "definition/definition_parse.h"

#include "definition/definition_parser.h"
#include "definition/definition_scanner.h"
#include "definition/tree_builder.h"

namespace zan {

ParseOutcome ParseDefinition(std::istream& in, std::ostream& diagnostics) {
  TreeBuilder builder;
  DefinitionScanner scanner(in, &builder);
  DefinitionParser parser;
  ParseOutcome outcome;
  outcome.result = parser.Parse(scanner, diagnostics);
  outcome.line = parser.stop_line();
  outcome.column = parser.stop_column();
  outcome.message = std::string(parser.message());
  outcome.previous_token = std::string(builder.previous_token());
  outcome.last_token = std::string(builder.last_token());
  // A failed parse leaves no tree; the builder discards what it grew.
  if (outcome.result == DefinitionParser::kAccepted) {
    outcome.root = builder.TakeRoot();
  }
  return outcome;
}

}  // namespace zan
