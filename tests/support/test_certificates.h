#ifndef ZAN_TESTS_SUPPORT_TEST_CERTIFICATES_H_
#define ZAN_TESTS_SUPPORT_TEST_CERTIFICATES_H_

#include <memory>
#include <string>

#include "tests/support/temp_dir.h"

namespace zan {

// A throwaway certificate authority made with the openssl tool in a fresh
// folder: its certificate (the trust file a test hands to SSL_CERT_FILE)
// and one server certificate it signed for the name "localhost" only.
class TestCertificates {
 public:
  // Null (with `why`) when the openssl tool is missing or fails.
  static std::unique_ptr<TestCertificates> Make(std::string* why);

  const std::string& authority() const { return authority_; }
  const std::string& server_certificate() const { return certificate_; }
  const std::string& server_key() const { return key_; }

 private:
  TestCertificates() = default;

  test::TempDir dir_;
  std::string authority_;
  std::string certificate_;
  std::string key_;
};

}  // namespace zan

#endif  // ZAN_TESTS_SUPPORT_TEST_CERTIFICATES_H_
