#include "definition/definition_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "tests/support/temp_dir.h"

namespace zan {
namespace {

using std::string_literals::operator""s;

TEST(DefinitionFileTest, ReadsEveryByteOrSaysWhyNot) {
  test::TempDir dir;
  for (const std::string& bytes :
       {""s, "RYX_Toolbar {}"s, "a\0b\r\n\xff"s, std::string(200000, 'x')}) {
    const DefinitionFile file(dir.WriteFile("f.tbd", bytes), false);
    EXPECT_TRUE(file.opened());
    EXPECT_FALSE(file.read_failed());
    EXPECT_EQ(file.error(), 0);
    EXPECT_EQ(file.bytes(), bytes);
  }

  const DefinitionFile missing(dir.File("missing.tbd"), true);
  EXPECT_FALSE(missing.opened());
  EXPECT_EQ(missing.error(), ENOENT);
  EXPECT_TRUE(missing.bytes().empty());

  // A directory is no file to read, whether or not it opens.
  const DefinitionFile folder(dir.path(), false);
  EXPECT_TRUE(!folder.opened() || folder.read_failed());
  EXPECT_NE(folder.error(), 0);
  EXPECT_TRUE(folder.bytes().empty());
}

}  // namespace
}  // namespace zan
