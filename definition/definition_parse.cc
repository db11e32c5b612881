#include "definition/definition_parse.h"

#include "definition/definition_parser.h"
#include "definition/definition_scanner.h"
#include "definition/tree_builder.h"

namespace zan {
namespace {

ParseOutcome Parse(DefinitionScanner& scanner, TreeBuilder& builder,
                   std::ostream& diagnostics) {
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
    outcome.tree = builder.TakeTree();
    outcome.root = &outcome.tree->root();
  }
  return outcome;
}

}  // namespace

ParseOutcome ParseDefinition(std::string_view bytes, std::ostream& diagnostics,
                             bool read_failed) {
  TreeBuilder builder(bytes.size());
  DefinitionScanner scanner(bytes, &builder, read_failed);
  return Parse(scanner, builder, diagnostics);
}

ParseOutcome ParseDefinition(std::istream& in, std::ostream& diagnostics) {
  TreeBuilder builder;
  DefinitionScanner scanner(in, &builder);
  return Parse(scanner, builder, diagnostics);
}

}  // namespace zan
