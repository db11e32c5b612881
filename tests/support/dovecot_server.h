#ifndef ZAN_TESTS_SUPPORT_DOVECOT_SERVER_H_
#define ZAN_TESTS_SUPPORT_DOVECOT_SERVER_H_

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zan {

// A throwaway dovecot POP3 server on a free loopback port, with its own
// configuration, passwd-file (plain passwords, so APOP works) and maildirs
// in a fresh folder under /tmp. Needs root and the dovecot-pop3d package.
class DovecotServer {
 public:
  struct Mailbox {
    std::string user;
    std::string password;
    int messages = 0;
  };

  // A certificate and its key (PEM files) for STLS and for TLS from the
  // first byte on a second port.
  struct TlsFiles {
    std::string certificate;
    std::string key;
  };

  // The size in octets that the server reports for one generated message.
  static constexpr int kMessageOctets = 60;

  // Why the server cannot run here (not root, no dovecot); empty when it can.
  static std::string Unavailable();
  // Starts the server and waits until it greets; nullptr (with `why`) when
  // it does not come up within 10 s. Without `tls` the server offers no
  // TLS at all (it refuses STLS).
  static std::unique_ptr<DovecotServer> Start(
      const std::vector<Mailbox>& mailboxes, std::string* why,
      const TlsFiles* tls = nullptr);

  ~DovecotServer();
  DovecotServer(const DovecotServer&) = delete;
  DovecotServer& operator=(const DovecotServer&) = delete;

  uint16_t port() const { return port_; }
  // The port of TLS from the first byte; 0 without TLS.
  uint16_t tls_port() const { return tls_port_; }
  // What the server has logged so far.
  std::string Log() const;
  const std::string& folder() const { return folder_; }

 private:
  DovecotServer() = default;
  void Stop();

  std::string folder_;
  uint16_t port_ = 0;
  uint16_t tls_port_ = 0;
  pid_t pid_ = -1;
};

}  // namespace zan

#endif  // ZAN_TESTS_SUPPORT_DOVECOT_SERVER_H_
