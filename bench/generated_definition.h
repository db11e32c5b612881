#ifndef ZAN_BENCH_GENERATED_DEFINITION_H_
#define ZAN_BENCH_GENERATED_DEFINITION_H_

#include <cstddef>
#include <string>

namespace zan::bench {

// A valid definition of at least `size` bytes that uses every element:
// buttons with menus and submenus, search boxes with values, separators,
// panes and indicators, and a command for each button. The same size always
// gives the same text, and the text loads without a single diagnostic.
std::string GeneratedDefinition(std::size_t size);

}  // namespace zan::bench

#endif  // ZAN_BENCH_GENERATED_DEFINITION_H_
