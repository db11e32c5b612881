// Linked into every Windows test program: tells the tests where the source
// tree and the build tree are, through the environment variables
// ZAN_SOURCE_DIR and ZAN_BINARY_DIR. Values already in the environment win.
#include <cstdlib>

namespace {

void SetDefault(const char* name, const char* value) {
  const char* present = std::getenv(name);
  if (present == nullptr || *present == '\0') _putenv_s(name, value);
}

struct TestEnvironment {
  TestEnvironment() {
    SetDefault("ZAN_SOURCE_DIR", ZAN_TEST_SOURCE_DIR);
    SetDefault("ZAN_BINARY_DIR", ZAN_TEST_BINARY_DIR);
  }
};

const TestEnvironment test_environment;

}  // namespace
