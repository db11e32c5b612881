#include "hosts/band/mshtml_document.h"

#include <oleauto.h>
#include <wchar.h>

#include <vector>

#include "commands/highlight.h"
#include "hosts/band/com_text.h"
#include "settings/product_constants.h"

namespace zan {
namespace {

// findText flags: whole words; without 4 (match case) the case is ignored.
constexpr LONG kWholeWords = 2;
// Marks one word may get in one document: the search always moves forward,
// the bound only keeps a misbehaving page from holding the browser.
constexpr int kMaxMarks = 10000;

// One reference on a COM object, released when it goes.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  // Takes over a reference the caller holds.
  explicit ComRef(T* adopted) : pointer_(adopted) {}
  ~ComRef() { Reset(); }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ComRef(ComRef&& other) noexcept : pointer_(other.Detach()) {}

  T* get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For calls that hand out a new reference.
  T** Out() {
    Reset();
    return &pointer_;
  }
  T* Detach() {
    T* pointer = pointer_;
    pointer_ = nullptr;
    return pointer;
  }
  void Reset() {
    if (pointer_ != nullptr) pointer_->Release();
    pointer_ = nullptr;
  }
  // The object's interface `iid`; empty when it has none.
  template <typename U>
  ComRef<U> As(REFIID iid) const {
    ComRef<U> result;
    if (pointer_ != nullptr) {
      pointer_->QueryInterface(iid, reinterpret_cast<void**>(result.Out()));
    }
    return result;
  }

 private:
  T* pointer_ = nullptr;
};

// A BSTR that a call handed out, freed when it goes.
class OutBstr {
 public:
  OutBstr() = default;
  ~OutBstr() { SysFreeString(text_); }
  OutBstr(const OutBstr&) = delete;
  OutBstr& operator=(const OutBstr&) = delete;
  BSTR* Out() { return &text_; }
  BSTR get() const { return text_; }
  std::wstring Wide() const {
    return text_ == nullptr ? std::wstring()
                            : std::wstring(text_, SysStringLen(text_));
  }

 private:
  BSTR text_ = nullptr;
};

VARIANT IntegerVariant(LONG value) {
  VARIANT variant;
  VariantInit(&variant);
  variant.vt = VT_I4;
  variant.lVal = value;
  return variant;
}

std::optional<std::string> ReadText(
    IHTMLDocument2* document,
    HRESULT (STDMETHODCALLTYPE IHTMLDocument2::*getter)(BSTR*)) {
  if (document == nullptr) return std::nullopt;
  OutBstr text;
  if (FAILED((document->*getter)(text.Out()))) return std::nullopt;
  return AnsiFromBstr(text.get());
}

ComRef<IHTMLWindow2> WindowOf(IHTMLDocument2* document) {
  ComRef<IHTMLWindow2> window;
  if (document != nullptr) document->get_parentWindow(window.Out());
  return window;
}

ComRef<IHTMLFramesCollection2> FramesOf(IHTMLDocument2* document) {
  ComRef<IHTMLFramesCollection2> frames;
  if (document != nullptr) document->get_frames(frames.Out());
  return frames;
}

// The span markup around `content` (the matched range's own HTML, kept in
// UTF-16 so that no character the code page lacks is lost).
std::wstring SpanMarkup(const std::string& word, const std::wstring& content,
                        const std::string& style, const std::string& id) {
  // Made with an empty content, the markup ends in the closing tag, and
  // the content goes before it (a blank word has "&nbsp;" already).
  std::wstring markup =
      WideFromAnsi(HighlightSpanMarkup(word, std::string(), style, id));
  if (word != " ") {
    static constexpr size_t kClosingTag = sizeof("</span>") - 1;
    markup.insert(markup.size() - kClosingTag, content);
  }
  return markup;
}

bool IsSpanWithId(IHTMLElement* element, const std::wstring& id) {
  OutBstr element_id;
  if (FAILED(element->get_id(element_id.Out())) ||
      element_id.get() == nullptr || element_id.Wide() != id) {
    return false;
  }
  OutBstr tag;
  if (FAILED(element->get_tagName(tag.Out())) || tag.get() == nullptr) {
    return false;
  }
  // Upper case in HTML documents, as written in XHTML ones.
  return _wcsicmp(tag.get(), L"SPAN") == 0;
}

}  // namespace

MshtmlDocument::MshtmlDocument(Source source) : source_(std::move(source)) {}

IHTMLDocument2* MshtmlDocument::DocumentOf(IWebBrowser2* browser) {
  if (browser == nullptr) return nullptr;
  ComRef<IDispatch> shown;
  if (FAILED(browser->get_Document(shown.Out()))) return nullptr;
  return shown.As<IHTMLDocument2>(IID_IHTMLDocument2).Detach();
}

std::optional<std::string> MshtmlDocument::GetUrl() {
  ComRef<IHTMLDocument2> document(source_());
  return ReadText(document.get(), &IHTMLDocument2::get_URL);
}

std::optional<std::string> MshtmlDocument::GetDomain() {
  ComRef<IHTMLDocument2> document(source_());
  return ReadText(document.get(), &IHTMLDocument2::get_domain);
}

int MshtmlDocument::GetFrameCount() {
  ComRef<IHTMLDocument2> document(source_());
  ComRef<IHTMLFramesCollection2> frames = FramesOf(document.get());
  LONG length = 0;
  if (!frames || FAILED(frames->get_length(&length)) || length < 0) return 0;
  return static_cast<int>(length);
}

IHTMLDocument2* MshtmlDocument::FrameDocument(int index) const {
  ComRef<IHTMLDocument2> document(source_());
  ComRef<IHTMLFramesCollection2> frames = FramesOf(document.get());
  if (!frames) return nullptr;
  VARIANT which = IntegerVariant(index);
  VARIANT item;
  VariantInit(&item);
  ComRef<IHTMLWindow2> window;
  if (SUCCEEDED(frames->item(&which, &item)) && item.vt == VT_DISPATCH &&
      item.pdispVal != nullptr) {
    item.pdispVal->QueryInterface(IID_IHTMLWindow2,
                                  reinterpret_cast<void**>(window.Out()));
  }
  VariantClear(&item);
  // A frame of another site denies its document (E_ACCESSDENIED).
  IHTMLDocument2* frame_document = nullptr;
  if (window && FAILED(window->get_document(&frame_document))) {
    frame_document = nullptr;
  }
  return frame_document;
}

HtmlDocument* MshtmlDocument::GetFrame(int index) {
  if (index < 0) return nullptr;
  ComRef<IHTMLDocument2> reachable(FrameDocument(index));
  if (!reachable) return nullptr;
  std::unique_ptr<MshtmlDocument>& frame = frames_[index];
  if (!frame) {
    frame = std::make_unique<MshtmlDocument>(
        [this, index] { return FrameDocument(index); });
  }
  return frame.get();
}

bool MshtmlDocument::HighlightWord(const std::string& word,
                                   const std::string& style,
                                   const std::string& id) {
  ComRef<IHTMLDocument2> document(source_());
  if (!document) return false;
  ComRef<IHTMLElement> body;
  if (FAILED(document->get_body(body.Out())) || !body) return false;
  ComRef<IHTMLBodyElement> text_body =
      body.As<IHTMLBodyElement>(IID_IHTMLBodyElement);
  if (!text_body || word.empty()) return true;
  ComRef<IHTMLTxtRange> range;
  if (FAILED(text_body->createTextRange(range.Out())) || !range) return true;

  Bstr text(word);
  Bstr bold("Bold");
  Bstr character("character");
  Bstr textedit("textedit");
  for (int marks = 0; marks < kMaxMarks; ++marks) {
    VARIANT_BOOL found = VARIANT_FALSE;
    if (FAILED(range->findText(text.get(), 0, kWholeWords, &found)) ||
        found != VARIANT_TRUE) {
      break;
    }
    // A match where the page allows no editing (a form field's label, a
    // read-only region) is left as it is.
    VARIANT_BOOL editable = VARIANT_FALSE;
    if (SUCCEEDED(range->queryCommandEnabled(bold.get(), &editable)) &&
        editable == VARIANT_TRUE) {
      OutBstr content;
      if (SUCCEEDED(range->get_htmlText(content.Out()))) {
        const std::wstring markup = SpanMarkup(word, content.Wide(), style, id);
        BSTR pasted =
            SysAllocStringLen(markup.data(), static_cast<UINT>(markup.size()));
        range->pasteHTML(pasted);
        SysFreeString(pasted);
      }
    }
    // On from the character after the match to the end of the text.
    LONG moved = 0;
    range->moveStart(character.get(), 1, &moved);
    range->moveEnd(textedit.get(), 1, &moved);
  }
  return true;
}

void MshtmlDocument::ClearHighlights(const std::string& id) {
  ComRef<IHTMLDocument2> document(source_());
  if (!document) return;
  ComRef<IHTMLElement> body;
  if (FAILED(document->get_body(body.Out())) || !body) return;
  ComRef<IHTMLElementCollection> all;
  if (FAILED(document->get_all(all.Out())) || !all) return;
  LONG length = 0;
  if (FAILED(all->get_length(&length))) return;

  // Collected first: the collection changes as the spans go.
  const std::wstring wide_id = WideFromAnsi(id);
  std::vector<ComRef<IHTMLDOMNode>> marks;
  for (LONG i = 0; i < length; ++i) {
    VARIANT which = IntegerVariant(i);
    VARIANT none;
    VariantInit(&none);
    ComRef<IDispatch> item;
    if (FAILED(all->item(which, none, item.Out())) || !item) continue;
    ComRef<IHTMLElement> element = item.As<IHTMLElement>(IID_IHTMLElement);
    if (element && IsSpanWithId(element.get(), wide_id)) {
      ComRef<IHTMLDOMNode> node = item.As<IHTMLDOMNode>(IID_IHTMLDOMNode);
      if (node) marks.push_back(std::move(node));
    }
  }
  // Removing the element alone leaves its children, the very nodes, in its
  // place: the text comes back, and a mark inside a mark (a word searched
  // twice) stays in the page to be removed in its turn.
  for (ComRef<IHTMLDOMNode>& mark : marks) {
    ComRef<IHTMLDOMNode> removed;
    mark->removeNode(VARIANT_FALSE, removed.Out());
  }
}

void MshtmlDocument::ShowModalDialog(const std::string& url,
                                     const std::string& features) {
  ComRef<IHTMLDocument2> document(source_());
  ComRef<IHTMLWindow2> window = WindowOf(document.get());
  if (!window) return;
  Bstr dialog(SiteUrl(url));
  VARIANT argument = TextVariant("");
  VARIANT options = TextVariant(features);
  VARIANT result;
  VariantInit(&result);
  window->showModalDialog(dialog.get(), &argument, &options, &result);
  VariantClear(&argument);
  VariantClear(&options);
  VariantClear(&result);
}

void MshtmlDocument::Focus() {
  ComRef<IHTMLDocument2> document(source_());
  ComRef<IHTMLWindow2> window = WindowOf(document.get());
  if (window) window->focus();
}

std::function<HtmlDocument*(IWebBrowser2*)> MshtmlDocumentSource() {
  // The browser the window asks for; the page reads it at each operation.
  struct Page {
    IWebBrowser2* browser = nullptr;
    std::unique_ptr<MshtmlDocument> document;
  };
  auto page = std::make_shared<Page>();
  return [page](IWebBrowser2* browser) -> HtmlDocument* {
    ComRef<IHTMLDocument2> shown(MshtmlDocument::DocumentOf(browser));
    if (!shown) return nullptr;
    page->browser = browser;
    if (!page->document) {
      Page* self = page.get();  // owns the document, so outlives it
      page->document = std::make_unique<MshtmlDocument>(
          [self] { return MshtmlDocument::DocumentOf(self->browser); });
    }
    return page->document.get();
  };
}

}  // namespace zan
