// with_dovecot PROGRAM [ARGUMENT...]: runs PROGRAM beside a throwaway
// dovecot POP3 server on a loopback port, for suites that cannot start one
// themselves (the band's, which runs under Wine). The program finds the
// server in its environment:
//   ZAN_DOVECOT_PORT, ZAN_DOVECOT_USER, ZAN_DOVECOT_PASSWORD  the mailbox,
//     which holds kMessages messages of DovecotServer::kMessageOctets each;
//   ZAN_DOVECOT_MAILDIR  the mailbox's "new" folder, where a suite may put
//     more messages (files of CR LF lines, readable by all);
//   ZAN_DOVECOT_UNAVAILABLE  instead of the above: why there is no server.
// The exit code is the program's; the server is stopped when it ends.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/dovecot_server.h"

namespace {

constexpr int kMessages = 3;
constexpr char kUser[] = "bandmail";
constexpr char kPassword[] = "band secret";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: with_dovecot PROGRAM [ARGUMENT...]\n");
    return 2;
  }
  std::string why;
  std::unique_ptr<zan::DovecotServer> server =
      zan::DovecotServer::Start({{kUser, kPassword, kMessages}}, &why);
  if (server) {
    setenv("ZAN_DOVECOT_PORT", std::to_string(server->port()).c_str(), 1);
    setenv("ZAN_DOVECOT_USER", kUser, 1);
    setenv("ZAN_DOVECOT_PASSWORD", kPassword, 1);
    setenv("ZAN_DOVECOT_MAILDIR",
           (server->folder() + "/mail/" + kUser + "/new").c_str(), 1);
  } else {
    setenv("ZAN_DOVECOT_UNAVAILABLE", why.c_str(), 1);
  }
  std::fflush(nullptr);
  pid_t child = fork();
  if (child < 0) {
    std::perror("with_dovecot: fork");
    return 2;
  }
  if (child == 0) {
    execvp(argv[1], argv + 1);
    std::perror("with_dovecot: exec");
    _exit(127);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  server.reset();  // stops dovecot and removes its folder
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}
