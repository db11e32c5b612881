#include "settings/string_utils.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "settings/browser_utils.h"
#include "tests/support/recording_browser.h"

namespace zan {
namespace {

TEST(ReplaceTest, Table) {
  struct Row {
    const char* name;
    std::string text, pattern, value;
    bool all;
    std::string expected;
    bool result;
  };
  const Row rows[] = {
      {"all placeholders", "a%urlb%url", "%url", "X", true, "aXbX", true},
      {"replacement makes a new one", "%%urlurl", "%url", "", true, "", true},
      {"first only", "a%urlb%url", "%url", "X", false, "aXb%url", true},
      {"none", "abc", "%url", "X", true, "abc", false},
      {"none first", "abc", "%url", "X", false, "abc", false},
      {"empty text", "", "%url", "X", true, "", false},
      {"value holds pattern", "%url and %url", "%url", "[%url]", true,
       "[%url] and [%url]", true},
      {"value is pattern", "%url%url", "%url", "%url", true, "%url%url", true},
      {"empty pattern", "abc", "", "X", true, "abc", false},
      {"longer value", "aab", "ab", "xyz", true, "axyz", true},
  };
  for (const Row& row : rows) {
    std::string text = row.text;
    const bool result = row.all ? ReplaceAll(text, row.pattern, row.value)
                                : ReplaceFirst(text, row.pattern, row.value);
    EXPECT_EQ(text, row.expected) << row.name;
    EXPECT_EQ(result, row.result) << row.name;
  }
}

TEST(ReplaceTest, UnlessEmptyFormsKeepThePlaceholder) {
  std::string text = "q=%url";
  EXPECT_FALSE(ReplaceFirstUnlessEmpty(text, "%url", ""));
  EXPECT_FALSE(ReplaceAllUnlessEmpty(text, "%url", ""));
  EXPECT_EQ(text, "q=%url");
  EXPECT_TRUE(ReplaceAllUnlessEmpty(text, "%url", "x"));
  EXPECT_EQ(text, "q=x");
  text = "%a%a";
  EXPECT_TRUE(ReplaceFirstUnlessEmpty(text, "%a", "b"));
  EXPECT_EQ(text, "b%a");
}

TEST(UrlEncodeTest, ByteClasses) {
  EXPECT_EQ(UrlEncode("a b&c", kUrlUnreserved), "a%20b%26c");
  EXPECT_EQ(UrlEncode("\xE9", kUrlUnreserved), "%E9");
  EXPECT_EQ(UrlEncode(" ", kUrlUnreserved), "%20");
  EXPECT_EQ(UrlEncode("/", kUrlUnreserved), "%2F");
  EXPECT_EQ(UrlEncode("!$()*+,-._", kUrlUnreserved), "!$()*+,-._");
  EXPECT_EQ(UrlEncode(std::string("\0\x1f\x7f\xff", 4), kUrlUnreserved),
            "%00%1F%7F%FF");
  EXPECT_EQ(UrlEncode("&/:;=?@", kUrlUnreserved), "%26%2F%3A%3B%3D%3F%40");
  EXPECT_EQ(UrlEncode("&/:;=?@", kUrlReserved), "&/:;=?@");
  EXPECT_EQ(UrlEncode(" \"#%'<>[\\]^`{|}~", kUrlUnsafe), " \"#%'<>[\\]^`{|}~");

  // Every byte belongs to exactly one class: 72, 16, 7 and 161 bytes.
  int counts[8] = {};
  for (int c = 0; c < 256; ++c) {
    const std::string byte(1, static_cast<char>(c));
    int mask = 0;
    for (int bit : {kUrlUnreserved, kUrlUnsafe, kUrlReserved}) {
      if (UrlEncode(byte, bit) == byte) mask |= bit;
    }
    ++counts[mask];
  }
  EXPECT_EQ(counts[kUrlUnreserved], 72);
  EXPECT_EQ(counts[kUrlUnsafe], 16);
  EXPECT_EQ(counts[kUrlReserved], 7);
  EXPECT_EQ(counts[0], 161);
}

TEST(FormEncodeTest, OnlyLettersDigitsAndFourMarksStay) {
  EXPECT_EQ(FormEncode(""), "");
  EXPECT_EQ(FormEncode("Az09-_.*"), "Az09-_.*");
  EXPECT_EQ(FormEncode("AT&T"), "AT%26T");
  EXPECT_EQ(FormEncode("C++"), "C%2B%2B");
  EXPECT_EQ(FormEncode(" !$()+,/:;=?@~%"),
            "%20%21%24%28%29%2B%2C%2F%3A%3B%3D%3F%40%7E%25");
  EXPECT_EQ(FormEncode(std::string("\0\x7f\xe9", 3)), "%00%7F%E9");
}

TEST(JoinSearchWordsTest, Table) {
  std::vector<std::string> words;
  EXPECT_EQ(JoinSearchWords("", words), "");
  EXPECT_TRUE(words.empty());
  EXPECT_EQ(JoinSearchWords("   ", words), "");
  EXPECT_TRUE(words.empty());
  EXPECT_EQ(JoinSearchWords("  cheap   flights to ", words),
            "cheap+flights+to");
  EXPECT_EQ(words, (std::vector<std::string>{"cheap", "flights", "to"}));
  // Words are added to the caller's list; the result joins the whole list.
  EXPECT_EQ(JoinSearchWords("paris", words), "cheap+flights+to+paris");
  // Only the blank separates.
  std::vector<std::string> tabs;
  EXPECT_EQ(JoinSearchWords("a\tb", tabs), "a\tb");
}

TEST(ModulePathTest, ConflictFoldersAndSeparators) {
  EXPECT_EQ(ModuleDirFileOf("C:\\X\\CONFLICT.2\\m.dll", "ZAN.tbd", '\\'),
            "C:\\X\\ZAN.tbd");
  EXPECT_EQ(ModuleDirFileOf("C:\\X\\m.dll", "ZAN.tbd", '\\'), "C:\\X\\ZAN.tbd");
  EXPECT_EQ(
      ModuleDirFileOf("/opt/zan/CONFLICT.1/sub/zan-browser", "tbil.bmp", '/'),
      "/opt/zan/tbil.bmp");
  EXPECT_EQ(ModuleDirFileOf("/opt/zan/bin/zan-browser", "tbil.bmp", '/'),
            "/opt/zan/bin/tbil.bmp");
  EXPECT_EQ(ModuleDirFileOf("zan-browser", "a", '/'), "a");
}

TEST(ResolveUrlTest, RelativeAddressesAgainstTheSite) {
  struct Row {
    const char* base;
    const char* reference;
    const char* expected;
  };
  const Row rows[] = {
      {"http://h/t/", "index.html", "http://h/t/index.html"},
      {"http://h/t/a.html?x=1#f", "b.html", "http://h/t/b.html"},
      {"http://h/t/", "../up.html", "http://h/up.html"},
      {"http://h/t/", "../../../x", "http://h/x"},
      {"http://h/t/", "./a/./b/../c.html?q=1#z", "http://h/t/a/c.html?q=1#z"},
      {"http://h/t/", "a/..", "http://h/t/"},
      {"http://h/t/", "/root.html", "http://h/root.html"},
      {"http://h/t/", "//other/x", "http://other/x"},
      {"http://h/t/p?q", "?r=2", "http://h/t/p?r=2"},
      {"http://h/t/p?q#f", "#g", "http://h/t/p?q#g"},
      {"http://h/t/p#f", "", "http://h/t/p"},
      {"http://h", "x.html", "http://h/x.html"},
      {"http://h/t/", "https://e.com/s?q=%", "https://e.com/s?q=%"},
      {"http://h/t/", "javascript:alert(1)", "javascript:alert(1)"},
      {"file:///srv/site/toolbar/", "pane.html",
       "file:///srv/site/toolbar/pane.html"},
      {"file:///srv/site/toolbar/", "/etc/x", "file:///etc/x"},
      {"http://h/t/", "a:b/c", "a:b/c"},
      {"http://h/t/", "1a:b", "http://h/t/1a:b"},
      {"not a url", "x.html", "x.html"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ResolveUrl(row.base, row.reference), row.expected)
        << row.base << " + " << row.reference;
  }
}

TEST(MakePostDataTest, BytesWithoutTerminator) {
  EXPECT_EQ(MakePostData("q=a+b"), "q=a+b");
  EXPECT_EQ(MakePostData("").size(), 0u);
  EXPECT_EQ(MakePostData(std::string("a\0b", 3)).size(), 3u);
}

TEST(BrowserUtilsTest, OpenAndShowBars) {
  test::RecordingBrowserFactory factory;
  Browser* browser = nullptr;
  EXPECT_TRUE(OpenBrowserWindow(browser, factory));
  ASSERT_EQ(factory.windows.size(), 1u);
  EXPECT_EQ(browser, factory.windows[0].get());
  // Only a null browser gets a new window.
  EXPECT_FALSE(OpenBrowserWindow(browser, factory));
  EXPECT_EQ(factory.open_count, 1);

  ShowExplorerBarAt(*browser, "{ID}", "file:///x/index.html", true);
  ShowExplorerBar(*browser, "{ID}", false);
  const test::RecordingBrowser& window = *factory.windows[0];
  EXPECT_EQ(window.calls,
            (std::vector<std::string>{"ShowBar", "Navigate", "ShowBar"}));
  EXPECT_EQ(window.bar_changes, (std::vector<test::RecordingBrowser::BarChange>{
                                    {"{ID}", true}, {"{ID}", false}}));
  EXPECT_EQ(window.navigations,
            (std::vector<test::RecordingBrowser::Navigation>{
                {"file:///x/index.html", "", "", ""}}));

  factory.fail = true;
  Browser* none = nullptr;
  EXPECT_FALSE(OpenBrowserWindow(none, factory));
  EXPECT_EQ(none, nullptr);
}

}  // namespace
}  // namespace zan
