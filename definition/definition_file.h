#ifndef ZAN_DEFINITION_DEFINITION_FILE_H_
#define ZAN_DEFINITION_DEFINITION_FILE_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace zan {

// The bytes of a definition file, read whole with one read of its size.
class DefinitionFile {
 public:
  // Reads `path`; in text mode line ends are read as the platform's text
  // streams read them.
  DefinitionFile(const std::string& path, bool text_mode);
  DefinitionFile(const DefinitionFile&) = delete;
  DefinitionFile& operator=(const DefinitionFile&) = delete;

  bool opened() const { return opened_; }
  // True when a read failed; bytes() then holds what was read before.
  bool read_failed() const { return read_failed_; }
  // The errno of the failed open or read, 0 when there was none.
  int error() const { return error_; }
  std::string_view bytes() const { return {data_.get(), size_}; }

 private:
  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0;
  bool opened_ = false;
  bool read_failed_ = false;
  int error_ = 0;
};

}  // namespace zan

#endif  // ZAN_DEFINITION_DEFINITION_FILE_H_
