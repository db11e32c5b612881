#include "definition/definition_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

namespace zan {
namespace {

// Room for a file whose size is not known in advance, and the step by which
// the room grows when a file turns out larger than it said.
constexpr std::size_t kUnknownSizeBytes = 64 * 1024;

// The size of a regular file, or 0 when it cannot be told (a directory, a
// pipe).
std::size_t FileSize(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return 0;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : static_cast<std::size_t>(size);
}

}  // namespace

DefinitionFile::DefinitionFile(const std::string& path, bool text_mode) {
  std::FILE* file = std::fopen(path.c_str(), text_mode ? "r" : "rb");
  if (file == nullptr) {
    error_ = errno;
    return;
  }
  opened_ = true;
  // One byte more than the file holds, so that the first read already
  // meets the end of the file.
  std::size_t capacity = FileSize(path) + 1;
  if (capacity == 1) capacity = kUnknownSizeBytes;
  data_.reset(new (std::nothrow) char[capacity]);
  while (data_ != nullptr) {
    size_ += std::fread(data_.get() + size_, 1, capacity - size_, file);
    if (size_ < capacity) break;
    // The file grew since its size was taken, or its size was unknown.
    std::unique_ptr<char[]> larger(new (std::nothrow) char[capacity * 2]);
    if (larger != nullptr) std::memcpy(larger.get(), data_.get(), size_);
    data_ = std::move(larger);
    capacity *= 2;
  }
  if (data_ == nullptr) {
    size_ = 0;
    read_failed_ = true;
    error_ = ENOMEM;
  } else if (std::ferror(file) != 0) {
    read_failed_ = true;
    error_ = errno;
  }
  std::fclose(file);
}

}  // namespace zan
