#include "mail/mail_security.h"

namespace zan {

std::string SecurityText(MailSecurity security) {
  switch (security) {
    case MailSecurity::kNone:
      return "0";
    case MailSecurity::kStls:
      return "1";
    case MailSecurity::kTls:
      return "2";
  }
  return "2";
}

MailSecurity SecurityOfText(const std::string* text) {
  if (!text || text->empty() || *text == "0") return MailSecurity::kNone;
  if (*text == "1") return MailSecurity::kStls;
  return MailSecurity::kTls;
}

}  // namespace zan
