// The band reads and marks the page that the browser shows: a toolbar of
// its own (a search box, a button whose address takes the page's address
// and domain, a modal dialog and Highlight) over a page that the test
// plays through the document object model.
#include <windows.h>
// clang-format off
#include <commctrl.h>
#include <exdisp.h>
#include <shlobj.h>
// clang-format on

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/band/band_in_browser_test.h"
#include "tests/band/band_test_util.h"
#include "tests/band/fake_browser_site.h"
#include "tests/band/fake_html_document.h"
#include "tests/band/sited_band.h"

namespace zan::test {
namespace {

constexpr char kDefinition[] = R"(RYX_Toolbar {
	image="tbil.bmp"
	hotimage="tbhotil.bmp"
	COMBO { name="q" command="Here" width="40" }
	BUTTON { caption="Here" command="Here" image="0" }
	BUTTON { caption="Dialog" command="Dialog" image="1" }
	BUTTON { caption="Highlight" command="Highlight" image="4" }
	COMMANDS {
		GOTOURL { name="Here" url="http://find.test/?in=%url&site=%domain&q=%q" }
		GOTOURL { name="Dialog" url="note.html" newwindow="ModalDialog" options="dialogWidth:400px" }
		SERVICECOMMAND { name="Highlight" type="Highlight" caption="yellow" }
	}
}
)";

class PageDocumentTest : public BandInBrowserTest {
 protected:
  // A product site of its own with the toolbar above, and a home folder
  // that fetches it; the other suites' folders come back afterwards.
  static void SetUpTestSuite() {
    ASSERT_NO_FATAL_FAILURE(BandInBrowserTest::SetUpTestSuite());
    for (const char* name : {"ZAN_HOME", "ZAN_SITE_URL"}) {
      const char* value = std::getenv(name);
      saved_.push_back(value == nullptr ? "" : value);
    }
    const std::string site = TempFolder("zan_page_site");
    ASSERT_TRUE(WriteFile(site + "\\ZAN.tbd", kDefinition));
    ASSERT_TRUE(CopyToolbarImages(site));
    const std::string home = TempFolder("zan_page_home");
    DeleteFileA((home + "\\ZAN.tbd").c_str());
    UseToolbarFolders(home, FileUrl(site + "\\"));
  }
  static void TearDownTestSuite() {
    UseToolbarFolders(saved_[0], saved_[1]);
    BandInBrowserTest::TearDownTestSuite();
  }

  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(BandInBrowserTest::SetUp());
    band_ = std::make_unique<SitedBand>(parent_, &browser_);
    ASSERT_EQ(band_->status(), S_OK);
    toolbar_ = band_->toolbar();
    ASSERT_NE(toolbar_, nullptr);
  }
  void TearDown() override {
    band_.reset();
    BandInBrowserTest::TearDown();
  }

  // Clicks the button with that caption; false when there is none.
  bool Click(const std::string& caption) {
    const int id = FindButton(toolbar_, caption);
    if (id == 0) return false;
    ClickButton(toolbar_, id);
    return true;
  }
  void Type(const std::string& text) {
    HWND combo = FindWindowExA(toolbar_, nullptr, "RYX_ComboBox", nullptr);
    HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
    SetWindowTextA(edit, text.c_str());
  }

  static std::vector<std::string> saved_;
  std::unique_ptr<SitedBand> band_;
  HWND toolbar_ = nullptr;
};

std::vector<std::string> PageDocumentTest::saved_;

TEST_F(PageDocumentTest, PageMacrosAndDialogsComeFromTheShownDocument) {
  // Without a document the page macros stay as written.
  Type("zan");
  ASSERT_TRUE(Click("Here"));
  ASSERT_EQ(browser_.navigations.size(), 1u);
  EXPECT_EQ(browser_.navigations[0].url,
            "http://find.test/?in=%url&site=%domain&q=zan");
  ASSERT_TRUE(Click("Dialog"));  // nor a dialog: nothing to open it from

  FakePage page("http://news.test/a b?c=d", "news.test", "text", "");
  browser_.document = static_cast<IDispatch*>(page.document());
  ASSERT_TRUE(Click("Here"));
  ASSERT_EQ(browser_.navigations.size(), 2u);
  EXPECT_EQ(browser_.navigations[1].url,
            "http://find.test/?in=http%3A%2F%2Fnews.test%2Fa%20b%3Fc%3Dd"
            "&site=news.test&q=zan");
  // The dialog opens from the page's window, with a relative address on
  // the product site.
  ASSERT_TRUE(Click("Dialog"));
  ASSERT_EQ(page.ModalDialogs().size(), 1u);
  const std::string dialog = page.ModalDialogs()[0];
  EXPECT_EQ(dialog.substr(0, 8), "file:///") << dialog;
  EXPECT_EQ(dialog.substr(dialog.find("zan_page_site")),
            "zan_page_site/note.html|dialogWidth:400px|");

  // Every reference the band took is given back, none twice.
  EXPECT_EQ(page.OutstandingReferences(), 0);
  band_->Close();
  EXPECT_EQ(page.OutstandingReferences(), 0);
  EXPECT_EQ(page.ExcessReleases(), 0);
}

TEST_F(PageDocumentTest, HighlightMarksWholeWordsInThePageAndItsFrames) {
  FakePage page("http://news.test/", "news.test",
                "Cheap flights: <b>cheaper</b> FLIGHTS, flights2 and <b>"
                "flights</b>.",
                "flights in a frame");
  browser_.document = static_cast<IDispatch*>(page.document());
  Type("flights");
  ASSERT_TRUE(Click("Highlight"));
  const std::string mark =
      "<span id=\"RYX\" style=\"color:#000000;background-color:yellow;\">";
  EXPECT_EQ(page.BodyMarkup(), "Cheap " + mark +
                                   "flights</span>: <b>cheaper</b> " + mark +
                                   "FLIGHTS</span>, flights2 and <b>" + mark +
                                   "flights</span></b>.");
  // The frame too; the second one, of another site, is passed over.
  EXPECT_EQ(page.FrameBodyMarkup(), mark + "flights</span> in a frame");
  EXPECT_EQ(page.FocusCalls(), 1);
  EXPECT_EQ(page.OutstandingReferences(), 0);

  // A second click (the button is checked) takes the marks away again.
  const std::string body =
      "Cheap flights: <b>cheaper</b> FLIGHTS, flights2 and <b>flights</b>.";
  ASSERT_TRUE(Click("Highlight"));
  EXPECT_EQ(page.BodyMarkup(), body);
  EXPECT_EQ(page.FrameBodyMarkup(), "flights in a frame");

  // A word searched twice is marked twice; both marks go.
  Type("cheap cheap");
  ASSERT_TRUE(Click("Highlight"));
  EXPECT_EQ(page.BodyMarkup(),
            mark + mark + "Cheap</span></span>" + body.substr(5));
  ASSERT_TRUE(Click("Highlight"));
  EXPECT_EQ(page.BodyMarkup(), body);
  EXPECT_EQ(page.OutstandingReferences(), 0);
  EXPECT_EQ(page.ExcessReleases(), 0);
}

}  // namespace
}  // namespace zan::test
