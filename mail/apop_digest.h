#ifndef ZAN_MAIL_APOP_DIGEST_H_
#define ZAN_MAIL_APOP_DIGEST_H_

#include <string>
#include <string_view>

namespace zan {

// The APOP digest: MD5 of the greeting's time stamp (angle brackets
// included) followed by the password, as 32 lower-case hexadecimal digits.
std::string ApopDigest(std::string_view timestamp, std::string_view password);

// The time stamp of a server greeting: the text from its first '<' to the
// first '>' after it, both included; empty when there is none.
std::string ApopTimestamp(std::string_view greeting);

}  // namespace zan

#endif  // ZAN_MAIL_APOP_DIGEST_H_
