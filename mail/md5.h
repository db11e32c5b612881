#ifndef ZAN_MAIL_MD5_H_
#define ZAN_MAIL_MD5_H_

#include <array>
#include <cstdint>
#include <string_view>

namespace zan {

// The MD5 message digest of RFC 1321, for the APOP login. Feed the bytes
// with Update, then take the 16-byte digest with Final (once).
class Md5 {
 public:
  using Digest = std::array<uint8_t, 16>;

  Md5();
  void Update(std::string_view bytes);
  Digest Final();

 private:
  void Transform(const uint8_t block[64]);

  uint32_t state_[4];
  uint64_t length_ = 0;  // bytes fed so far
  uint8_t buffer_[64];   // the unfinished block
};

}  // namespace zan

#endif  // ZAN_MAIL_MD5_H_
