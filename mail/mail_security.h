#ifndef ZAN_MAIL_MAIL_SECURITY_H_
#define ZAN_MAIL_MAIL_SECURITY_H_

#include <cstdint>
#include <string>

namespace zan {

// How an account talks to its server.
enum class MailSecurity {
  kNone,  // plain text
  kStls,  // plain greeting, then STLS before anything else
  kTls,   // TLS from the first byte
};

constexpr uint16_t kPop3Port = 110;
constexpr uint16_t kPop3sPort = 995;

// 995 for TLS from the first byte, 110 otherwise.
constexpr uint16_t DefaultPortOf(MailSecurity security) {
  return security == MailSecurity::kTls ? kPop3sPort : kPop3Port;
}

// The stored text of "POP3Security%u": "0", "1" or "2".
std::string SecurityText(MailSecurity security);
// A missing value (an account stored before the choice existed) or "0" is
// no security; "1" is STLS; any other text asks for the strictest, TLS, so
// that a value this version does not know never weakens an account.
MailSecurity SecurityOfText(const std::string* text);

}  // namespace zan

#endif  // ZAN_MAIL_MAIL_SECURITY_H_
