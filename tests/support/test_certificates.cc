#include "tests/support/test_certificates.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

namespace zan {

std::unique_ptr<TestCertificates> TestCertificates::Make(std::string* why) {
  std::unique_ptr<TestCertificates> made(new TestCertificates());
  const std::string d = made->dir_.path();
  // dovecot reads the files as root, the tests as themselves; the folder
  // must be open to both.
  chmod(d.c_str(), 0755);
  {
    std::ofstream ext(d + "/server.ext");
    ext << "subjectAltName=DNS:localhost\n"
           "basicConstraints=CA:FALSE\n"
           "keyUsage=digitalSignature,keyEncipherment\n"
           "extendedKeyUsage=serverAuth\n";
  }
  const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1";
  const std::string script =
      "cd '" + d + "' && openssl req -x509 -nodes" + ec +
      " -keyout ca.key -out ca.pem -days 2 -subj '/CN=ZAN Test Authority'"
      " && openssl req -nodes" +
      ec +
      " -keyout server.key -out server.csr -subj '/CN=localhost'"
      " && openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key"
      " -CAcreateserial -out server.pem -days 2 -extfile server.ext"
      " && chmod 644 server.key ca.pem server.pem";
  if (std::system(("(" + script + ") >/dev/null 2>&1").c_str()) != 0) {
    *why = "the openssl tool could not make the test certificates";
    return nullptr;
  }
  made->authority_ = d + "/ca.pem";
  made->certificate_ = d + "/server.pem";
  made->key_ = d + "/server.key";
  return made;
}

}  // namespace zan
