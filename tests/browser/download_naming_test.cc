#include "browser/download_naming.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace zan {
namespace {

TEST(DownloadNamingTest, SuggestedNamesBecomePlainNamesInTheFolder) {
  struct Row {
    std::string suggested;
    std::string name;
  } rows[] = {
      {"report.pdf", "report.pdf"},
      {"../../etc/passwd", "passwd"},
      {"..\\..\\boot.ini", "boot.ini"},
      {"/abs/path/x.txt", "x.txt"},
      {"dir/", "download"},
      {"..", "download"},
      {"", "download"},
      {" . ", "download"},
      {".bashrc", "bashrc"},
      {"trailing. . ", "trailing"},
      {"tab\there\nnl.txt", "tab_here_nl.txt"},
      {"c:evil.txt", "c_evil.txt"},
      {"caf\xC3\xA9.txt", "caf\xC3\xA9.txt"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(SafeDownloadName(row.suggested), row.name) << row.suggested;
  }
  // Long names keep their extension and a whole UTF-8 character.
  std::string long_name;
  for (int i = 0; i < 200; ++i) long_name += "\xC3\xA9";  // 400 bytes
  std::string cut = SafeDownloadName(long_name + ".pdf");
  EXPECT_LE(cut.size(), kMaxDownloadNameBytes);
  EXPECT_EQ(cut.substr(cut.size() - 4), ".pdf");
  EXPECT_EQ(cut.size() % 2, 0u);  // no half character before ".pdf"
}

TEST(DownloadNamingTest, TakenNamesGetTheNextFreeNumber) {
  struct Row {
    std::string suggested;
    std::set<std::string> taken;
    std::string chosen;
  } rows[] = {
      {"a.txt", {}, "a.txt"},
      {"a.txt", {"a.txt"}, "a (1).txt"},
      {"a.txt", {"a.txt", "a (1).txt", "a (2).txt"}, "a (3).txt"},
      {"a.txt", {"a.txt", "a (2).txt"}, "a (1).txt"},
      {"backup.tar.gz", {"backup.tar.gz"}, "backup (1).tar.gz"},
      {"README", {"README"}, "README (1)"},
      {"x/../a.txt", {"a.txt"}, "a (1).txt"},
      {"", {"download"}, "download (1)"},
  };
  for (const Row& row : rows) {
    auto chosen = ChooseDownloadName(row.suggested, [&](const std::string& n) {
      return row.taken.count(n) > 0;
    });
    ASSERT_TRUE(chosen.has_value()) << row.suggested;
    EXPECT_EQ(*chosen, row.chosen) << row.suggested;
  }
  // A numbered long name still fits.
  std::string long_name(300, 'x');
  auto chosen = ChooseDownloadName(
      long_name + ".bin",
      [&](const std::string& n) { return n.find('(') == std::string::npos; });
  ASSERT_TRUE(chosen);
  EXPECT_LE(chosen->size(), kMaxDownloadNameBytes);
  EXPECT_NE(chosen->find(" (1).bin"), std::string::npos);
  // Everything taken: no name rather than an overwrite.
  EXPECT_FALSE(ChooseDownloadName(
      "a.txt", [](const std::string&) { return true; }, 50));
}

}  // namespace
}  // namespace zan
