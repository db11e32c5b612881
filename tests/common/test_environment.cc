// Linked into every test program: tells the tests where the source tree and
// the build tree are, through the environment variables ZAN_SOURCE_DIR and
// ZAN_BINARY_DIR. Values already in the environment win, so a test can be
// pointed elsewhere by hand.
#include <cstdlib>

namespace {

struct TestEnvironment {
  TestEnvironment() {
    setenv("ZAN_SOURCE_DIR", ZAN_TEST_SOURCE_DIR, 0);
    setenv("ZAN_BINARY_DIR", ZAN_TEST_BINARY_DIR, 0);
  }
};

const TestEnvironment test_environment;

}  // namespace
