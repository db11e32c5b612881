#include "mail/apop_digest.h"

#include "mail/md5.h"

namespace zan {

std::string ApopDigest(std::string_view timestamp, std::string_view password) {
  Md5 md5;
  md5.Update(timestamp);
  md5.Update(password);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (uint8_t byte : md5.Final()) {
    text.push_back(kHex[byte >> 4]);
    text.push_back(kHex[byte & 0x0F]);
  }
  return text;
}

std::string ApopTimestamp(std::string_view greeting) {
  size_t open = greeting.find('<');
  if (open == std::string_view::npos) return std::string();
  size_t close = greeting.find('>', open);
  if (close == std::string_view::npos) return std::string();
  return std::string(greeting.substr(open, close - open + 1));
}

}  // namespace zan
