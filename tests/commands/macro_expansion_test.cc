#include "commands/macro_expansion.h"

#include <gtest/gtest.h>

#include <string>

#include "commands/client_side_property.h"
#include "commands/goto_url.h"
#include "tests/commands/command_fixture.h"

namespace zan::test {
namespace {

class MacroTest : public CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    Load(R"(
      COMBO { name="q" command="Find" }
      COMBO { name="sort" }
      WEBPAGE { name="Pane" url="pane.html" }
      COMMANDS { GOTOURL { name="Find" url="x" } }
    )");
  }

  ExpandedTemplates Expand(const std::string& url, const std::string& post,
                           const std::string& parameter = "") {
    GoToUrlCommand command;
    command.url = url;
    command.post = post;
    return ExpandCommandTemplates(toolbar, command, parameter);
  }

  std::string ExpandUrl(const std::string& url) { return Expand(url, "").url; }
};

TEST_F(MacroTest, PageMacrosUseTheEncodedAddressAndDomain) {
  document.url = "a/b?c=d";
  document.domain = "example.org";
  const ExpandedTemplates out =
      Expand("u=%url&c=%curl&d=%domain&cd=%cdomain", "p=%url&d=%domain");
  EXPECT_EQ(out.url,
            "u=a%2Fb%3Fc%3Dd&c=a%2Fb%3Fc%3Dd&d=example.org&cd=example.org");
  EXPECT_EQ(out.post, "p=a%2Fb%3Fc%3Dd&d=example.org");
  EXPECT_EQ(page_url.Get(), "a%2Fb%3Fc%3Dd");
}

TEST_F(MacroTest, WithoutPageTheMacrosStayOrUseTheLastAddress) {
  browser.document = nullptr;
  EXPECT_EQ(ExpandUrl("%url %curl %domain %cdomain"),
            "%url %curl %domain %cdomain");
  // An address an earlier expansion found (maybe in another toolbar) stays
  // in use; the domain does not.
  page_url.Set("http%3A%2F%2Fold");
  EXPECT_EQ(ExpandUrl("%url|%domain"), "http%3A%2F%2Fold|%domain");
  // A document that cannot tell its address keeps the last one too.
  browser.document = &document;
  document.url = std::nullopt;
  document.domain = std::nullopt;
  EXPECT_EQ(ExpandUrl("%curl|%cdomain"), "http%3A%2F%2Fold|%cdomain");
  EXPECT_EQ(page_url.Get(), "http%3A%2F%2Fold");
}

TEST_F(MacroTest, ComboValuesFillUrlThenPostAndRecordHistory) {
  FakeSearchBox* q = toolbar.AddBox(ItemIndex("q"), "cheap  flights");
  FakeSearchBox* sort = toolbar.AddBox(ItemIndex("sort"), "");
  const ExpandedTemplates out = Expand("s?q=%q&s=%sort", "q=%q");
  EXPECT_EQ(out.url, "s?q=cheap+flights&s=");
  // The url's occurrences went in the first pass, the post's in the second.
  EXPECT_EQ(out.post, "q=cheap+flights");
  EXPECT_EQ(q->history,
            (std::vector<std::string>{"cheap  flights", "cheap  flights"}));
  // The empty value removed its macro, which counts as a replacement.
  EXPECT_EQ(sort->history, (std::vector<std::string>{""}));
  EXPECT_EQ(combo_values.Get("q"), "cheap  flights");
  EXPECT_EQ(combo_values.Get("sort"), "");

  // The macro is a prefix match: %query keeps "uery".
  q->history.clear();
  EXPECT_EQ(ExpandUrl("%query"), "cheap+flightsuery");
  // A box whose macro is nowhere records nothing.
  q->history.clear();
  EXPECT_EQ(ExpandUrl("plain"), "plain");
  EXPECT_TRUE(q->history.empty());
  EXPECT_EQ(combo_values.Get("q"), "cheap  flights");
}

TEST_F(MacroTest, SearchWordsAreFormEncodedAndJoinedByPlus) {
  FakeSearchBox* q = toolbar.AddBox(ItemIndex("q"), "AT&T  C++ a=b 100%");
  const ExpandedTemplates out = Expand("s?q=%q", "q=%q&x=1");
  // "&", "+", "=" and "%" of a word are characters of the value; the "+"
  // between the words is a blank.
  EXPECT_EQ(out.url, "s?q=AT%26T+C%2B%2B+a%3Db+100%25");
  EXPECT_EQ(out.post, "q=AT%26T+C%2B%2B+a%3Db+100%25&x=1");
  // (Which bytes are encoded is FormEncodeTest's.)
  // A word that looks like a macro is not expanded again.
  q->value = "%url";
  document.url = "http://h/";
  EXPECT_EQ(ExpandUrl("%q"), "%25url");
}

TEST_F(MacroTest, CommandParameterOnlyWhenGiven) {
  EXPECT_EQ(Expand("m?a=%cmdparam", "b=%cmdparam").url, "m?a=%cmdparam");
  const ExpandedTemplates out = Expand("m?a=%cmdparam", "b=%cmdparam", "2");
  EXPECT_EQ(out.url, "m?a=2");
  EXPECT_EQ(out.post, "b=2");
}

TEST_F(MacroTest, MailAccountMacrosOnlyInThePost) {
  auto accounts = settings->OpenProductSubKey("POP3 Accounts");
  ASSERT_NE(accounts, nullptr);
  accounts->SetValue("POP3Server1",
                     {RegistryType::kString, std::string("pop.example\0", 12)});
  accounts->SetValue("POP3Account1",
                     {RegistryType::kString, std::string("anna\0", 5)});
  // "M" is the key's first byte, so it is stored as a zero byte.
  const std::string key = "MHR461QX%@58TTB";
  std::string scrambled = "Mx1";
  for (size_t i = 0; i < scrambled.size(); ++i) scrambled[i] ^= key[i];
  ASSERT_EQ(scrambled[0], '\0');
  accounts->SetValue("POP3Password1", {RegistryType::kBinary, scrambled});

  const ExpandedTemplates out = Expand(
      "u=%POP3Server(1)",
      "s=%POP3Server(1)&a=%POP3Account(1)&p=%POP3Password(1)&x=%POP3Server(9)"
      "&e=%POP3Server()&again=%POP3Server(1)");
  EXPECT_EQ(out.url, "u=%POP3Server(1)");
  EXPECT_EQ(out.post,
            "s=pop.example&a=anna&p=Mx1&x=&e=%POP3Server()&again=pop.example");
}

TEST_F(MacroTest, ButtonFaceColourAsSixHexDigits) {
  toolbar.button_face = {236, 233, 216};
  EXPECT_EQ(Expand("c=%bgcolor", "c=%bgcolor").post, "c=ECE9D8");
  toolbar.button_face = {0, 10, 255};
  EXPECT_EQ(ExpandUrl("%bgcolor"), "000AFF");
  // The colour is asked for only when a template needs it.
  const int calls = toolbar.button_face_calls;
  ExpandUrl("none");
  EXPECT_EQ(toolbar.button_face_calls, calls);
}

TEST_F(MacroTest, RandomHexCounts) {
  struct Row {
    const char* url;
    size_t digits;  // expected count; 0: the text stays as written
  } rows[] = {
      {"%rndhex8%", 8},   {"%rndhex51%", 51}, {"%rndhex52%", 50},
      {"%rndhex-1%", 50}, {"%rndhex0%", 0},   {"%rndhexx%", 0},
      {"%rndhex8", 0},    {"%rndhex 3%", 3},
  };
  for (const Row& row : rows) {
    const std::string out = ExpandUrl(row.url);
    if (row.digits == 0) {
      EXPECT_EQ(out, row.url);
    } else {
      EXPECT_EQ(out.size(), row.digits) << row.url;
      EXPECT_EQ(out.find_first_not_of("0123456789abcdef"), std::string::npos)
          << out;
    }
  }
  // Fixed digits, the same text in every occurrence and in the post.
  FixedRandomSource counting(
      {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17});
  toolbar.env.random = &counting;
  ExpandedTemplates out = Expand("a=%rndhex18%&b=%rndhex18%", "c=%rndhex18%");
  EXPECT_EQ(out.url, "a=0123456789abcdef01&b=0123456789abcdef01");
  EXPECT_EQ(out.post, "c=0123456789abcdef01");
  // Only the url's first macro text counts; a different one stays.
  out = Expand("a=%rndhex2%&b=%rndhex3%", "c=%rndhex3%");
  EXPECT_EQ(out.url, "a=01&b=%rndhex3%");  // the list starts again
  EXPECT_EQ(out.post, "c=%rndhex3%");
  out = Expand("none", "c=%rndhex3%");
  EXPECT_EQ(out.post, "c=%rndhex3%");
}

TEST_F(MacroTest, ClientSidePropertiesInBothExpansions) {
  EXPECT_EQ(ExpandUrl("c=%csp(color)&"), "c=&");
  ASSERT_TRUE(SetClientSideProperty(*settings, std::string("color"),
                                    std::string("red")));
  const ExpandedTemplates out =
      Expand("c=%csp(color)%csp(color)", "p=%csp(color)");
  EXPECT_EQ(out.url, "c=redred");
  EXPECT_EQ(out.post, "p=red");

  auto& pane = static_cast<ToolbarWebPage&>(*model->items[ItemIndex("Pane")]);
  pane.url = "p.html?c=%csp(color)&d=%csp(color)";
  std::string last_domain;
  EXPECT_EQ(ExpandPaneUrl(toolbar, pane, last_domain), "p.html?c=red&d=red");
}

TEST_F(MacroTest, ParenthesisedMacrosThatCannotCloseStay) {
  SetText("", "CSP_a", "A");
  struct Row {
    const char* in;
    const char* out;
  } rows[] = {
      {"%csp()", "%csp()"},         {"%csp(a", "%csp(a"},
      {"%csp()%csp(a)", "%csp()A"}, {"%csp(a)%csp(", "A%csp("},
      {"%csp(%csp(a)", ""},  // the argument is "%csp(a": no such property
      {"x%csp( a)y", "xy"},  // arguments are not trimmed
  };
  for (const Row& row : rows) EXPECT_EQ(ExpandUrl(row.in), row.out) << row.in;
}

TEST_F(MacroTest, ValuesHoldingTheirOwnMacrosEnd) {
  toolbar.AddBox(ItemIndex("q"), "%q%q");
  SetText("", "CSP_x", "%csp(x)");
  document.url = "%url";
  document.domain = "%domain%cdomain";
  const ExpandedTemplates out =
      Expand("q=%q&x=%csp(x)&u=%url&d=%domain", "q=%q&u=%curl");
  // The words are form-encoded: their "%" is no macro any more, so the url
  // takes them in the first pass and the post in the second.
  EXPECT_EQ(out.url, "q=%25q%25q&x=%csp(x)&u=%25url&d=%domain%cdomain");
  EXPECT_EQ(out.post, "q=%25q%25q&u=%25url");

  auto& pane = static_cast<ToolbarWebPage&>(*model->items[ItemIndex("Pane")]);
  pane.url = "p?%csp(x)&%domain&%newdomain";
  std::string last_domain;
  EXPECT_EQ(ExpandPaneUrl(toolbar, pane, last_domain),
            "p?%csp(x)&%domain%cdomain&%domain%domain%cdomain");
}

TEST_F(MacroTest, GrowthStopsAtTheLimit) {
  // 300 copies of the macro in the box: each pass would multiply the text.
  std::string value;
  for (int i = 0; i < 300; ++i) value += "%q";
  toolbar.AddBox(ItemIndex("q"), value);
  const ExpandedTemplates out = Expand("%q%q%q%q", "");
  EXPECT_LE(out.url.size(), kMaxExpandedLength);
  EXPECT_GE(out.url.size(), 4 * value.size());
}

TEST_F(MacroTest, PaneFollowsTheDomain) {
  auto& pane = static_cast<ToolbarWebPage&>(*model->items[ItemIndex("Pane")]);
  pane.url = "side?d=%newdomain&u=%url";
  pane.dynamic = IsDynamicPaneUrl(pane.url);
  std::string last_domain;
  browser.document = nullptr;  // before any page: not loaded at all
  EXPECT_EQ(ExpandPaneUrl(toolbar, pane, last_domain), std::nullopt);

  browser.document = &document;
  document.url = "http://a.org/x";
  document.domain = "a.org";
  EXPECT_EQ(ExpandPaneUrl(toolbar, pane, last_domain),
            "side?d=a.org&u=http%3A%2F%2Fa.org%2Fx");
  EXPECT_EQ(last_domain, "a.org");
  document.url = "http://a.org/y";
  EXPECT_EQ(ExpandPaneUrl(toolbar, pane, last_domain), std::nullopt);
  document.url = "http://b.org/";
  document.domain = "b.org";
  EXPECT_EQ(ExpandPaneUrl(toolbar, pane, last_domain),
            "side?d=b.org&u=http%3A%2F%2Fb.org%2F");
  // Panes neither use nor change the shared last address.
  EXPECT_EQ(page_url.Get(), "");
}

TEST_F(MacroTest, PaneReplacesFirstOccurrencesAndStoredAddresses) {
  auto& pane = static_cast<ToolbarWebPage&>(*model->items[ItemIndex("Pane")]);
  document.url = "u";
  document.domain = "d";
  toolbar.button_face = {1, 2, 3};
  pane.url = "%curl%curl|%cdomain%cdomain|%bgcolor%bgcolor|%q";
  pane.dynamic = IsDynamicPaneUrl(pane.url);
  EXPECT_FALSE(pane.dynamic);
  std::string last_domain;
  EXPECT_EQ(ExpandPaneUrl(toolbar, pane, last_domain),
            "u%curl|d%cdomain|010203%bgcolor|%q");

  // A stored address replaces a static pane's url ...
  SetText("", "BrowserButtonPaneURL", "stored?%curl");
  EXPECT_EQ(ExpandPaneUrl(toolbar, pane, last_domain), "stored?u");
  // ... but not a dynamic pane's.
  pane.url = "live?%url";
  pane.dynamic = IsDynamicPaneUrl(pane.url);
  EXPECT_TRUE(pane.dynamic);
  EXPECT_EQ(ExpandPaneUrl(toolbar, pane, last_domain), "live?u");
}

TEST(DynamicPaneUrlTest, OnlyUrlDomainAndNewdomainCount) {
  EXPECT_TRUE(IsDynamicPaneUrl("x%url"));
  EXPECT_TRUE(IsDynamicPaneUrl("x%domain"));
  EXPECT_TRUE(IsDynamicPaneUrl("x%newdomain"));
  EXPECT_FALSE(IsDynamicPaneUrl("x%curl%cdomain"));
  EXPECT_FALSE(IsDynamicPaneUrl("x%URL"));
}

TEST(FormatColorHexTest, UpperCaseRgb) {
  EXPECT_EQ(FormatColorHex({236, 233, 216}), "ECE9D8");
  EXPECT_EQ(FormatColorHex({0, 0, 0}), "000000");
  EXPECT_EQ(FormatColorHex({255, 15, 16}), "FF0F10");
}

}  // namespace
}  // namespace zan::test
