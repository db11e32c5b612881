#ifndef ZAN_TESTS_PLATFORM_CONTRACT_FORM_H_
#define ZAN_TESTS_PLATFORM_CONTRACT_FORM_H_

#include <ostream>

namespace zan::test {

// One form of a seam as the parameter of the seam's contract suite: its
// name, which the test names show, and how to make it.
template <typename Make>
struct ContractForm {
  const char* name;
  Make make;

  friend void PrintTo(const ContractForm& form, std::ostream* out) {
    *out << form.name;
  }
};

}  // namespace zan::test

#endif  // ZAN_TESTS_PLATFORM_CONTRACT_FORM_H_
