#include "mail/apop_digest.h"

#include <openssl/evp.h>

#include <memory>

namespace zan {

std::string ApopDigest(std::string_view timestamp, std::string_view password) {
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(
      EVP_MD_CTX_new(), &EVP_MD_CTX_free);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1 ||
      EVP_DigestUpdate(context.get(), timestamp.data(), timestamp.size()) !=
          1 ||
      EVP_DigestUpdate(context.get(), password.data(), password.size()) != 1 ||
      EVP_DigestFinal_ex(context.get(), digest, &length) != 1) {
    return std::string();
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  text.reserve(length * 2);
  for (unsigned int i = 0; i < length; ++i) {
    text.push_back(kHex[digest[i] >> 4]);
    text.push_back(kHex[digest[i] & 0x0F]);
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
