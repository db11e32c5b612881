// The band's search boxes in a browser window that the test plays: typed
// characters reach the real combo's edit and complete from the stored
// history, and text dropped through the box's OLE drop target searches or
// only fills the box. The rules themselves are the portable suites'.
#include <windows.h>
// clang-format off
#include <commctrl.h>
#include <ole2.h>
// clang-format on

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "tests/band/band_in_browser_test.h"
#include "tests/band/band_test_util.h"
#include "tests/band/fake_browser_site.h"
#include "tests/band/sited_band.h"

namespace zan::test {
namespace {

// Text on offer as one clipboard format, as a drag source holds it. Owned
// by the test; references are counted but never free it.
class TextData : public IDataObject {
 public:
  TextData(CLIPFORMAT format, std::string bytes)
      : format_(format), bytes_(std::move(bytes)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format,
                                    STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes_.size());
    std::memcpy(GlobalLock(block), bytes_.data(), bytes_.size());
    GlobalUnlock(block);
    *medium = STGMEDIUM{};
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format->cfFormat == format_ && (format->tymed & TYMED_HGLOBAL)
               ? S_OK
               : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*,
                                                  FORMATETC*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*,
                                    DWORD*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return E_NOTIMPL;
  }

  ULONG references = 0;

 private:
  CLIPFORMAT format_;
  std::string bytes_;
};

// The bytes of a zero-terminated UTF-16 text.
std::string WideBytes(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.c_str()),
                     (text.size() + 1) * sizeof(wchar_t));
}

class SearchBoxBandTest : public BandInBrowserTest {
 protected:
  // The browser's thread runs OLE, for the boxes' drop targets.
  SearchBoxBandTest() : BandInBrowserTest(true) {}

  static void SetUpTestSuite() {
    ASSERT_NO_FATAL_FAILURE(BandInBrowserTest::SetUpTestSuite());
    UseToolbarFolders(TempFolder("zan_band_home"), SourceSiteUrl());
  }
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(BandInBrowserTest::SetUp());
    RegDeleteTreeA(HKEY_CURRENT_USER,
                   (std::string(kProductKey) + "\\Historysearch").c_str());
    for (const char* flag :
         {"UseAutoComplete", "StoreValueHistory", "RunSearchDragAutomatically",
          "LastSearchWith", "PopupBlockingEnabled"}) {
      ForgetSetting(flag);
    }
    band_ = std::make_unique<SitedBand>(parent_, &browser_);
    ASSERT_EQ(band_->status(), S_OK);
    toolbar_ = band_->toolbar();
    if (edit_box_) {
      combo_ = edit_ = FindWindowExA(toolbar_, nullptr, "RYX_Edit", nullptr);
      ASSERT_NE(edit_, nullptr);
      return;
    }
    // The first box of the site's toolbar is the history box "search".
    combo_ = FindWindowExA(toolbar_, nullptr, "RYX_ComboBox", nullptr);
    ASSERT_NE(combo_, nullptr);
    edit_ = FindWindowExA(combo_, nullptr, "Edit", nullptr);
    ASSERT_NE(edit_, nullptr);
  }
  void TearDown() override {
    band_.reset();
    ForgetSetting("RunSearchDragAutomatically");
    BandInBrowserTest::TearDown();
  }

  // A typed character, as the browser's loop hands it to the edit.
  void Type(char c) { SendMessageA(edit_, WM_CHAR, static_cast<WPARAM>(c), 1); }
  std::pair<DWORD, DWORD> Selection() const {
    DWORD start = 0, end = 0;
    SendMessageA(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return {start, end};
  }
  std::string LastUrl() const {
    return browser_.navigations.empty() ? "" : browser_.navigations.back().url;
  }

  std::unique_ptr<SitedBand> band_;
  HWND toolbar_ = nullptr;
  HWND combo_ = nullptr;
  HWND edit_ = nullptr;
  bool edit_box_ = false;
};

TEST_F(SearchBoxBandTest, TypingCompletesInlineFromTheHistory) {
  SetWindowTextA(edit_, "zan words");
  SendMessageA(edit_, WM_KEYDOWN, VK_RETURN, 1);  // searched, now history
  ASSERT_EQ(browser_.navigations.size(), 1u);
  SetWindowTextA(edit_, "");

  Type('z');
  EXPECT_EQ(TextOf(combo_), "zan words");
  EXPECT_EQ(Selection(), std::make_pair(DWORD{1}, DWORD{9}));
  Type('a');  // replaces the selected tail, completes again
  EXPECT_EQ(TextOf(combo_), "zan words");
  EXPECT_EQ(Selection(), std::make_pair(DWORD{2}, DWORD{9}));
  // Backspace takes the tail away and offers nothing for what is left.
  SendMessageA(edit_, WM_KEYDOWN, VK_BACK, 1);
  SendMessageA(edit_, WM_CHAR, 0x08, 1);
  SendMessageA(edit_, WM_KEYUP, VK_BACK, 0xC0000001);
  EXPECT_EQ(TextOf(combo_), "za");
  Type('N');  // typing again completes, in the stored spelling
  EXPECT_EQ(TextOf(combo_), "zan words");
  EXPECT_EQ(Selection(), std::make_pair(DWORD{3}, DWORD{9}));
  Type('x');  // no stored line begins with "zanx"
  EXPECT_EQ(TextOf(combo_), "zanx");
  EXPECT_EQ(Selection(), std::make_pair(DWORD{4}, DWORD{4}));

  // Down in the closed list only shows the entry; Enter in the open list
  // chooses it, which searches.
  SetWindowTextA(edit_, "");
  SendMessageA(edit_, WM_KEYDOWN, VK_DOWN, 1);
  EXPECT_EQ(TextOf(combo_), "zan words");
  EXPECT_EQ(browser_.navigations.size(), 1u);
  SendMessageA(combo_, CB_SHOWDROPDOWN, TRUE, 0);
  SendMessageA(edit_, WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_FALSE(SendMessageA(combo_, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(browser_.navigations.size(), 2u);

  SetTextSetting("UseAutoComplete", "0");
  SetWindowTextA(edit_, "");
  Type('z');
  EXPECT_EQ(TextOf(combo_), "z");
  ForgetSetting("UseAutoComplete");
}

TEST_F(SearchBoxBandTest, FocusedBoxTakesTheKeysTheBrowserMustNotAct) {
  IInputObject* input = band_->As<IInputObject>(IID_IInputObject);
  ASSERT_NE(input, nullptr);
  auto key = [&](UINT message, WPARAM key_code) {
    MSG m{edit_, message, key_code, 1, 0, {}};
    return input->TranslateAcceleratorIO(&m);
  };
  SetWindowTextA(edit_, "abc");
  SetFocus(edit_);
  SendMessageA(edit_, EM_SETSEL, 0, 0);
  EXPECT_EQ(key(WM_KEYDOWN, VK_TAB), S_OK);  // taken, nothing more
  EXPECT_EQ(GetFocus(), edit_);
  EXPECT_EQ(key(WM_KEYDOWN, VK_DELETE), S_OK);  // the box edits at once
  EXPECT_EQ(TextOf(combo_), "bc");
  EXPECT_EQ(key(WM_KEYDOWN, 'Q'), S_FALSE);        // typing goes the usual way
  EXPECT_EQ(key(WM_KEYDOWN, VK_ESCAPE), S_FALSE);  // the browser's, list shut
  SendMessageA(combo_, CB_SHOWDROPDOWN, TRUE, 0);
  EXPECT_EQ(key(WM_KEYDOWN, VK_ESCAPE), S_OK);  // closes the open list
  EXPECT_FALSE(SendMessageA(combo_, CB_GETDROPPEDSTATE, 0, 0));
  SetFocus(parent_);
  EXPECT_EQ(key(WM_KEYDOWN, VK_DELETE), S_FALSE);
  EXPECT_EQ(TextOf(combo_), "bc");
  input->Release();
}

TEST_F(SearchBoxBandTest, DroppedTextSearchesOrOnlyFillsTheBox) {
  auto* target =
      static_cast<IDropTarget*>(GetPropA(combo_, "OleDropTargetInterface"));
  ASSERT_NE(target, nullptr);  // registered with OLE
  target->AddRef();
  auto drop = [&](IDataObject* data, DWORD& entered) {
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->DragEnter(data, MK_LBUTTON, POINTL{5, 5}, &effect);
    entered = effect;
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    const HRESULT result = target->Drop(data, 0, POINTL{5, 5}, &effect);
    return std::make_pair(result, effect);
  };

  DWORD entered = 0;
  TextData lines(CF_TEXT, std::string("dropped\r\nwords", 15));
  EXPECT_EQ(drop(&lines, entered),
            std::make_pair(S_OK, DWORD{DROPEFFECT_COPY}));
  EXPECT_EQ(entered, DWORD{DROPEFFECT_COPY});
  EXPECT_EQ(TextOf(combo_), "dropped words");
  ASSERT_EQ(browser_.navigations.size(), 1u);
  EXPECT_NE(LastUrl().find("search.html?q=dropped+words"), std::string::npos)
      << LastUrl();
  EXPECT_EQ(lines.references, 0u);  // nothing held after the drop

  SetTextSetting("RunSearchDragAutomatically", "0");
  TextData wide(CF_UNICODETEXT, WideBytes(L"only filled"));
  EXPECT_EQ(drop(&wide, entered), std::make_pair(S_OK, DWORD{DROPEFFECT_COPY}));
  EXPECT_EQ(TextOf(combo_), "only filled");
  EXPECT_EQ(browser_.navigations.size(), 1u);

  // Anything but text is refused.
  TextData picture(CF_BITMAP, "");
  EXPECT_EQ(drop(&picture, entered),
            std::make_pair(E_FAIL, DWORD{DROPEFFECT_NONE}));
  EXPECT_EQ(entered, DWORD{DROPEFFECT_NONE});
  EXPECT_EQ(TextOf(combo_), "only filled");

  // A target that outlives its box takes nothing.
  band_->Close();
  DWORD effect = DROPEFFECT_COPY;
  target->DragEnter(&lines, MK_LBUTTON, POINTL{}, &effect);
  EXPECT_EQ(effect, DWORD{DROPEFFECT_NONE});
  EXPECT_EQ(target->Release(), 0u);  // neither OLE nor the band kept it
  EXPECT_EQ(lines.references, 0u);
}

// A definition with one box of type "edit", a password field.
class EditBoxBandTest : public SearchBoxBandTest {
 protected:
  void SetUp() override {
    const std::string home = TempFolder("zan_band_edit_home");
    ASSERT_TRUE(
        WriteFile(home + "\\ZAN.tbd",
                  "RYX_Toolbar {\n"
                  "  COMBO { name=\"secret\" type=\"edit\" password=\"1\" "
                  "command=\"Find\" width=\"40\" }\n"
                  "  COMMANDS { GOTOURL { name=\"Find\" "
                  "url=\"http://find.test/?q=%secret\" } }\n"
                  "}\n"));
    previous_home_ = std::getenv("ZAN_HOME");
    _putenv_s("ZAN_HOME", home.c_str());
    SetTextSetting("UpdateAutomatically", "0");  // the file stays as written
    edit_box_ = true;
    SearchBoxBandTest::SetUp();
  }
  void TearDown() override {
    SearchBoxBandTest::TearDown();
    _putenv_s("ZAN_HOME", previous_home_.c_str());
    ForgetSetting("UpdateAutomatically");
  }

  std::string previous_home_;
};

TEST_F(EditBoxBandTest, EditBoxIsAMaskedEditThatSearches) {
  EXPECT_EQ(GetWindowLongA(edit_, GWL_STYLE) & ES_PASSWORD, ES_PASSWORD);
  Type('p');
  Type('w');
  EXPECT_EQ(TextOf(edit_), "pw");
  SendMessageA(edit_, WM_KEYDOWN, VK_RETURN, 1);
  ASSERT_EQ(browser_.navigations.size(), 1u);
  EXPECT_EQ(LastUrl(), "http://find.test/?q=pw");
}

}  // namespace
}  // namespace zan::test
