#include "tests/support/dovecot_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace zan {
namespace {

constexpr const char* kDovecot = "/usr/sbin/dovecot";

uint16_t FreeLoopbackPort() {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  uint16_t port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  close(fd);
  return port;
}

// True once the server answers a connection with "+OK".
bool Greets(uint16_t port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  bool ok = false;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    pollfd in = {fd, POLLIN, 0};
    char buffer[64] = {};
    if (poll(&in, 1, 2000) > 0 && recv(fd, buffer, 3, 0) == 3) {
      ok = std::string(buffer, 3) == "+OK";
    }
    [[maybe_unused]] ssize_t n = send(fd, "quit\r\n", 6, MSG_NOSIGNAL);
  }
  close(fd);
  return ok;
}

bool WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

// A message whose size as the server counts it (line ends as CR LF) is
// DovecotServer::kMessageOctets.
std::string MessageText(int number) {
  char subject[8];
  snprintf(subject, sizeof subject, "%03d", number % 1000);
  // 4 lines; every LF counts as two octets.
  return std::string("From: a@example.org\nSubject: ") + subject +
         "\n\nTest message body xxx\n";
}

}  // namespace

std::string DovecotServer::Unavailable() {
  if (geteuid() != 0) return "the dovecot fixture needs root";
  if (access(kDovecot, X_OK) != 0) return "dovecot-pop3d is not installed";
  return std::string();
}

std::unique_ptr<DovecotServer> DovecotServer::Start(
    const std::vector<Mailbox>& mailboxes, std::string* why,
    const TlsFiles* tls) {
  std::string unavailable = Unavailable();
  if (!unavailable.empty()) {
    *why = unavailable;
    return nullptr;
  }
  char pattern[] = "/tmp/zan-dovecot-XXXXXX";
  if (!mkdtemp(pattern)) {
    *why = "cannot create a folder under /tmp";
    return nullptr;
  }
  std::unique_ptr<DovecotServer> server(new DovecotServer());
  server->folder_ = pattern;
  namespace fs = std::filesystem;
  fs::path dir(server->folder_);
  chmod(pattern, 0755);
  server->port_ = FreeLoopbackPort();
  if (tls) {
    do {
      server->tls_port_ = FreeLoopbackPort();
    } while (server->tls_port_ == server->port_);
  }

  std::string users;
  for (const Mailbox& box : mailboxes) {
    users += box.user + ":{PLAIN}" + box.password + "\n";
    fs::path maildir = dir / "mail" / box.user;
    for (const char* sub : {"cur", "new", "tmp"}) {
      fs::create_directories(maildir / sub);
    }
    for (int i = 0; i < box.messages; ++i) {
      WriteFile(maildir / "new" / ("100000" + std::to_string(i) + ".M1P1.zan"),
                MessageText(i));
    }
  }
  WriteFile(dir / "users", users);
  std::string d = server->folder_;
  std::string config =
      "protocols = pop3\n"
      "listen = 127.0.0.1\n"
      "base_dir = " +
      d +
      "/run\n"
      "state_dir = " +
      d +
      "/state\n"
      "log_path = " +
      d + "/dovecot.log\n" +
      (tls ? "ssl = yes\nssl_cert = <" + tls->certificate + "\nssl_key = <" +
                 tls->key + "\nssl_min_protocol = TLSv1.2\n"
           : std::string("ssl = no\n")) +
      "disable_plaintext_auth = no\n"
      "auth_mechanisms = plain apop\n"
      "auth_failure_delay = 0\n"
      "mail_location = maildir:" +
      d +
      "/mail/%u\n"
      "mail_uid = nobody\n"
      "mail_gid = nogroup\n"
      "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN " +
      d +
      "/users\n}\n"
      "userdb {\n  driver = static\n}\n"
      "service anvil {\n  unix_listener anvil-auth-penalty {\n"
      "    mode = 0\n  }\n}\n"
      "service pop3-login {\n  inet_listener pop3 {\n    port = " +
      std::to_string(server->port_) +
      "\n  }\n  inet_listener pop3s {\n    port = " +
      std::to_string(server->tls_port_) + "\n  }\n}\n";
  WriteFile(dir / "dovecot.conf", config);
  std::error_code ignored;
  fs::remove_all(dir / "run", ignored);
  std::string chown = "chown -R nobody:nogroup '" + d + "/mail'";
  if (std::system(chown.c_str()) != 0) {
    *why = "cannot hand the maildirs to nobody";
    return nullptr;
  }

  std::string config_path = d + "/dovecot.conf";
  pid_t pid = fork();
  if (pid < 0) {
    *why = "fork failed";
    return nullptr;
  }
  if (pid == 0) {
    setpgid(0, 0);
    execl(kDovecot, kDovecot, "-F", "-c", config_path.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  setpgid(pid, pid);
  server->pid_ = pid;

  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (Greets(server->port_)) return server;
    int status;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      server->pid_ = -1;
      *why = "dovecot ended at start; see " + d + "/dovecot.log";
      return nullptr;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  *why = "dovecot did not greet within 10 s";
  return nullptr;
}

std::string DovecotServer::Log() const {
  std::ifstream in(folder_ + "/dovecot.log", std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)),
                     std::istreambuf_iterator<char>());
}

DovecotServer::~DovecotServer() {
  Stop();
  if (!folder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
}

void DovecotServer::Stop() {
  if (pid_ <= 0) return;
  kill(-pid_, SIGTERM);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  bool reaped = false;
  while (std::chrono::steady_clock::now() < deadline) {
    int status;
    if (!reaped && waitpid(pid_, &status, WNOHANG) == pid_) reaped = true;
    if (reaped && kill(-pid_, 0) != 0 && errno == ESRCH) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (kill(-pid_, 0) == 0) kill(-pid_, SIGKILL);
  if (!reaped) waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace zan
