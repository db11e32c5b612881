// The page's interfaces are used here in their C form, as tables of
// functions: a fake object fills the entries it answers and lets one stub
// answer E_NOTIMPL for the hundreds of others. One stub fits every entry
// because on x64 the caller removes the arguments (the band is a 64-bit
// build).
#define CINTERFACE
// clang-format off
#include <windows.h>
#include <mshtml.h>
#include <oleauto.h>
// clang-format on

#include "tests/band/fake_html_document.h"

#include <cstddef>
#include <cstring>
#include <cwctype>
#include <regex>

#include "hosts/band/com_text.h"

namespace zan::test {

// Text (no tag) or an element with its children.
struct Node {
  std::wstring text;
  std::wstring tag;  // upper case, as the document object model has it
  std::wstring id;
  std::wstring style;
  std::vector<std::unique_ptr<Node>> children;
  Node* parent = nullptr;

  bool IsText() const { return tag.empty(); }
  Node* Add(std::unique_ptr<Node> child) {
    child->parent = this;
    children.push_back(std::move(child));
    return children.back().get();
  }
};

// Bookkeeping of one fake object's references. Objects of the page stay;
// the ones made for a caller (elements, ranges, collections) go with their
// last reference.
struct Counted {
  FakePage::State* page;
  LONG references;
  bool transient;
};

namespace {

HRESULT STDMETHODCALLTYPE NotImplemented() { return E_NOTIMPL; }

// A table with every entry at the stub.
template <typename Table>
Table StubTable() {
  Table table;
  void* stub = reinterpret_cast<void*>(&NotImplemented);
  for (size_t i = 0; i < sizeof(Table) / sizeof(void*); ++i) {
    std::memcpy(reinterpret_cast<char*>(&table) + i * sizeof(void*), &stub,
                sizeof(stub));
  }
  return table;
}

BSTR NewBstr(const std::wstring& text) {
  return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

bool IsWordChar(wchar_t c) { return std::iswalnum(c) || c == L'_'; }

// The IUnknown entries of interface `Iface` at `kOffset` in `Com`; Com
// answers Query(iid) with the interface or null.
template <typename Com, typename Iface, size_t kOffset>
struct Unknown {
  static Com* Self(Iface* self) {
    return reinterpret_cast<Com*>(reinterpret_cast<char*>(self) - kOffset);
  }
  static HRESULT STDMETHODCALLTYPE QueryInterface(Iface* self, REFIID iid,
                                                  void** object) {
    Com* com = Self(self);
    *object = com->Query(iid);
    if (*object == nullptr) return E_NOINTERFACE;
    com->counted.page->AddRef(com->counted);
    return S_OK;
  }
  static ULONG STDMETHODCALLTYPE AddRef(Iface* self) {
    Com* com = Self(self);
    return com->counted.page->AddRef(com->counted);
  }
  static ULONG STDMETHODCALLTYPE Release(Iface* self) {
    Com* com = Self(self);
    if (com->counted.page->Release(com->counted)) {
      delete com;
      return 0;
    }
    return static_cast<ULONG>(com->counted.references);
  }
  template <typename Table>
  static void Fill(Table& table) {
    table.QueryInterface = &QueryInterface;
    table.AddRef = &AddRef;
    table.Release = &Release;
  }
};

// Hands `iface` of `com` to a caller with a new reference.
template <typename Com, typename Iface>
Iface* Give(Com* com, Iface* iface) {
  com->counted.page->AddRef(com->counted);
  return iface;
}

struct WindowCom;

struct DocumentCom {
  IHTMLDocument2 document;
  Counted counted;
  std::wstring* url;
  std::wstring* domain;
  Node* body;
  WindowCom* window;
  std::vector<WindowCom*>* frames;
  void* Query(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, IID_IHTMLDocument2)) {
      return &document;
    }
    return nullptr;
  }
};

// A document's window, which is also the collection of its frames.
struct WindowCom {
  IHTMLWindow2 window;
  Counted counted;
  DocumentCom* document;  // null: another site's, access denied
  void* Query(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, IID_IHTMLFramesCollection2) ||
        IsEqualIID(iid, IID_IHTMLWindow2)) {
      return &window;
    }
    return nullptr;
  }
};

struct ElementCom {
  IHTMLElement element;
  IHTMLBodyElement body;
  IHTMLDOMNode node;
  Counted counted;
  DocumentCom* document;
  Node* target;
  void* Query(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, IID_IHTMLElement)) {
      return &element;
    }
    if (IsEqualIID(iid, IID_IHTMLBodyElement) && target->tag == L"BODY") {
      return &body;
    }
    if (IsEqualIID(iid, IID_IHTMLDOMNode)) return &node;
    return nullptr;
  }
};

struct RangeCom {
  IHTMLTxtRange range;
  Counted counted;
  DocumentCom* document;
  size_t start;
  size_t end;
  void* Query(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, IID_IHTMLTxtRange)) {
      return &range;
    }
    return nullptr;
  }
};

struct CollectionCom {
  IHTMLElementCollection collection;
  Counted counted;
  DocumentCom* document;
  void* Query(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, IID_IHTMLElementCollection)) {
      return &collection;
    }
    return nullptr;
  }
};

void CollectTexts(Node* node, std::vector<Node*>& texts) {
  if (node->IsText()) {
    texts.push_back(node);
    return;
  }
  for (auto& child : node->children) CollectTexts(child.get(), texts);
}

void CollectElements(Node* node, std::vector<Node*>& elements) {
  if (node->IsText()) return;
  elements.push_back(node);
  for (auto& child : node->children) CollectElements(child.get(), elements);
}

std::wstring TextOf(Node* body) {
  std::vector<Node*> texts;
  CollectTexts(body, texts);
  std::wstring text;
  for (Node* node : texts) text += node->text;
  return text;
}

// The text node that holds [start, end) whole, with its offset; null when
// the range crosses nodes.
Node* TextNodeAt(Node* body, size_t start, size_t end, size_t& offset) {
  std::vector<Node*> texts;
  CollectTexts(body, texts);
  offset = 0;
  for (Node* node : texts) {
    if (start >= offset && end <= offset + node->text.size() && start < end) {
      return node;
    }
    offset += node->text.size();
  }
  return nullptr;
}

ElementCom* NewElement(DocumentCom* document, Node* target);

}  // namespace

struct FakePage::State {
  long outstanding = 0;
  long excess = 0;
  std::vector<std::string> dialogs;
  int focus_calls = 0;
  DocumentCom* top = nullptr;
  DocumentCom* frame = nullptr;
  std::vector<std::unique_ptr<Node>> removed;  // nodes callers may still hold
  std::shared_ptr<void> objects;               // the documents and windows

  ULONG AddRef(Counted& counted) {
    ++outstanding;
    return static_cast<ULONG>(++counted.references);
  }
  // True when a transient object is to go.
  bool Release(Counted& counted) {
    if (counted.references == 0) {
      ++excess;
      return false;
    }
    --outstanding;
    return --counted.references == 0 && counted.transient;
  }
};

namespace {

// IHTMLDocument2

using DocumentUnknown = Unknown<DocumentCom, IHTMLDocument2, 0>;

HRESULT STDMETHODCALLTYPE DocumentUrl(IHTMLDocument2* self, BSTR* url) {
  *url = NewBstr(*DocumentUnknown::Self(self)->url);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DocumentDomain(IHTMLDocument2* self, BSTR* domain) {
  *domain = NewBstr(*DocumentUnknown::Self(self)->domain);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DocumentFrames(IHTMLDocument2* self,
                                         IHTMLFramesCollection2** frames) {
  WindowCom* window = DocumentUnknown::Self(self)->window;
  *frames =
      reinterpret_cast<IHTMLFramesCollection2*>(Give(window, &window->window));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DocumentBody(IHTMLDocument2* self,
                                       IHTMLElement** body) {
  DocumentCom* document = DocumentUnknown::Self(self);
  *body = &NewElement(document, document->body)->element;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DocumentAll(IHTMLDocument2* self,
                                      IHTMLElementCollection** all);

HRESULT STDMETHODCALLTYPE DocumentWindow(IHTMLDocument2* self,
                                         IHTMLWindow2** window) {
  WindowCom* com = DocumentUnknown::Self(self)->window;
  *window = Give(com, &com->window);
  return S_OK;
}

IHTMLDocument2Vtbl* DocumentTable() {
  static IHTMLDocument2Vtbl table = [] {
    auto t = StubTable<IHTMLDocument2Vtbl>();
    DocumentUnknown::Fill(t);
    t.get_URL = &DocumentUrl;
    t.get_domain = &DocumentDomain;
    t.get_frames = &DocumentFrames;
    t.get_body = &DocumentBody;
    t.get_all = &DocumentAll;
    t.get_parentWindow = &DocumentWindow;
    return t;
  }();
  return &table;
}

// IHTMLWindow2

using WindowUnknown = Unknown<WindowCom, IHTMLWindow2, 0>;

HRESULT STDMETHODCALLTYPE WindowFrameCount(IHTMLWindow2* self, LONG* length) {
  *length =
      static_cast<LONG>(WindowUnknown::Self(self)->document->frames->size());
  return S_OK;
}

HRESULT STDMETHODCALLTYPE WindowFrame(IHTMLWindow2* self, VARIANT* index,
                                      VARIANT* result) {
  const auto& frames = *WindowUnknown::Self(self)->document->frames;
  if (index == nullptr || index->vt != VT_I4 || index->lVal < 0 ||
      static_cast<size_t>(index->lVal) >= frames.size()) {
    return E_INVALIDARG;
  }
  WindowCom* frame = frames[static_cast<size_t>(index->lVal)];
  VariantInit(result);
  result->vt = VT_DISPATCH;
  result->pdispVal = reinterpret_cast<IDispatch*>(Give(frame, &frame->window));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE WindowDocument(IHTMLWindow2* self,
                                         IHTMLDocument2** document) {
  DocumentCom* com = WindowUnknown::Self(self)->document;
  if (com == nullptr) return E_ACCESSDENIED;
  *document = Give(com, &com->document);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE WindowFocus(IHTMLWindow2* self) {
  ++WindowUnknown::Self(self)->counted.page->focus_calls;
  return S_OK;
}

std::string VariantText(const VARIANT* value) {
  if (value == nullptr || value->vt != VT_BSTR) return "<not text>";
  return AnsiFromBstr(value->bstrVal);
}

HRESULT STDMETHODCALLTYPE WindowDialog(IHTMLWindow2* self, BSTR dialog,
                                       VARIANT* argument, VARIANT* options,
                                       VARIANT* result) {
  WindowUnknown::Self(self)->counted.page->dialogs.push_back(
      AnsiFromBstr(dialog) + "|" + VariantText(options) + "|" +
      VariantText(argument));
  // The dialog's returnValue, which the caller is to free.
  VariantInit(result);
  result->vt = VT_BSTR;
  result->bstrVal = SysAllocString(L"closed");
  return S_OK;
}

IHTMLWindow2Vtbl* WindowTable() {
  static IHTMLWindow2Vtbl table = [] {
    auto t = StubTable<IHTMLWindow2Vtbl>();
    WindowUnknown::Fill(t);
    t.item = &WindowFrame;
    t.get_length = &WindowFrameCount;
    t.get_document = &WindowDocument;
    t.focus = &WindowFocus;
    t.showModalDialog = &WindowDialog;
    return t;
  }();
  return &table;
}

// IHTMLElement, IHTMLBodyElement, IHTMLDOMNode

using ElementUnknown = Unknown<ElementCom, IHTMLElement, 0>;
using BodyUnknown =
    Unknown<ElementCom, IHTMLBodyElement, offsetof(ElementCom, body)>;
using NodeUnknown =
    Unknown<ElementCom, IHTMLDOMNode, offsetof(ElementCom, node)>;

HRESULT STDMETHODCALLTYPE ElementId(IHTMLElement* self, BSTR* id) {
  const std::wstring& text = ElementUnknown::Self(self)->target->id;
  *id = text.empty() ? nullptr : NewBstr(text);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ElementTag(IHTMLElement* self, BSTR* tag) {
  *tag = NewBstr(ElementUnknown::Self(self)->target->tag);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE NodeRemove(IHTMLDOMNode* self, VARIANT_BOOL deep,
                                     IHTMLDOMNode** removed) {
  ElementCom* com = NodeUnknown::Self(self);
  Node* node = com->target;
  Node* parent = node->parent;
  if (deep != VARIANT_FALSE || parent == nullptr) return E_NOTIMPL;
  auto& siblings = parent->children;
  size_t at = 0;
  while (siblings[at].get() != node) ++at;
  std::unique_ptr<Node> owned = std::move(siblings[at]);
  siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(at));
  // The children take the element's place, the same nodes.
  for (auto& child : owned->children) {
    child->parent = parent;
    siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(at++),
                    std::move(child));
  }
  owned->children.clear();
  owned->parent = nullptr;
  com->counted.page->removed.push_back(std::move(owned));
  *removed = Give(com, &com->node);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BodyTextRange(IHTMLBodyElement* self,
                                        IHTMLTxtRange** range);

IHTMLElementVtbl* ElementTable() {
  static IHTMLElementVtbl table = [] {
    auto t = StubTable<IHTMLElementVtbl>();
    ElementUnknown::Fill(t);
    t.get_id = &ElementId;
    t.get_tagName = &ElementTag;
    return t;
  }();
  return &table;
}

IHTMLBodyElementVtbl* BodyTable() {
  static IHTMLBodyElementVtbl table = [] {
    auto t = StubTable<IHTMLBodyElementVtbl>();
    BodyUnknown::Fill(t);
    t.createTextRange = &BodyTextRange;
    return t;
  }();
  return &table;
}

IHTMLDOMNodeVtbl* NodeTable() {
  static IHTMLDOMNodeVtbl table = [] {
    auto t = StubTable<IHTMLDOMNodeVtbl>();
    NodeUnknown::Fill(t);
    t.removeNode = &NodeRemove;
    return t;
  }();
  return &table;
}

ElementCom* NewElement(DocumentCom* document, Node* target) {
  auto* com =
      new ElementCom{{ElementTable()}, {BodyTable()},
                     {NodeTable()},    {document->counted.page, 1, true},
                     document,         target};
  ++com->counted.page->outstanding;
  return com;
}

// IHTMLElementCollection: the elements of the body as they are at each
// call, as the live collection of a page.

using CollectionUnknown = Unknown<CollectionCom, IHTMLElementCollection, 0>;

std::vector<Node*> ElementsOf(CollectionCom* com) {
  std::vector<Node*> elements;
  CollectElements(com->document->body, elements);
  return elements;
}

HRESULT STDMETHODCALLTYPE CollectionLength(IHTMLElementCollection* self,
                                           LONG* length) {
  *length = static_cast<LONG>(ElementsOf(CollectionUnknown::Self(self)).size());
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CollectionItem(IHTMLElementCollection* self,
                                         VARIANT name, VARIANT index,
                                         IDispatch** item) {
  *item = nullptr;
  CollectionCom* com = CollectionUnknown::Self(self);
  const std::vector<Node*> elements = ElementsOf(com);
  if (name.vt != VT_I4 || index.vt != VT_EMPTY || name.lVal < 0 ||
      static_cast<size_t>(name.lVal) >= elements.size()) {
    return E_INVALIDARG;
  }
  *item = reinterpret_cast<IDispatch*>(
      &NewElement(com->document, elements[static_cast<size_t>(name.lVal)])
           ->element);
  return S_OK;
}

IHTMLElementCollectionVtbl* CollectionTable() {
  static IHTMLElementCollectionVtbl table = [] {
    auto t = StubTable<IHTMLElementCollectionVtbl>();
    CollectionUnknown::Fill(t);
    t.get_length = &CollectionLength;
    t.item = &CollectionItem;
    return t;
  }();
  return &table;
}

HRESULT STDMETHODCALLTYPE DocumentAll(IHTMLDocument2* self,
                                      IHTMLElementCollection** all) {
  DocumentCom* document = DocumentUnknown::Self(self);
  auto* com = new CollectionCom{
      {CollectionTable()}, {document->counted.page, 1, true}, document};
  ++com->counted.page->outstanding;
  *all = &com->collection;
  return S_OK;
}

// IHTMLTxtRange over the body's text, by character positions.

using RangeUnknown = Unknown<RangeCom, IHTMLTxtRange, 0>;

HRESULT STDMETHODCALLTYPE RangeFind(IHTMLTxtRange* self, BSTR word, LONG count,
                                    LONG flags, VARIANT_BOOL* found) {
  RangeCom* range = RangeUnknown::Self(self);
  *found = VARIANT_FALSE;
  const std::wstring wanted = word == nullptr ? L"" : word;
  if (wanted.empty() || count != 0) return E_INVALIDARG;
  const bool match_case = (flags & 4) != 0;
  const bool whole_words = (flags & 2) != 0;
  std::wstring text = TextOf(range->document->body);
  const std::wstring searched = match_case ? text : Lower(text);
  const std::wstring pattern = match_case ? wanted : Lower(wanted);
  for (size_t at = searched.find(pattern, range->start);
       at != std::wstring::npos && at + pattern.size() <= range->end;
       at = searched.find(pattern, at + 1)) {
    const size_t end = at + pattern.size();
    if (whole_words && ((at > 0 && IsWordChar(text[at - 1])) ||
                        (end < text.size() && IsWordChar(text[end])))) {
      continue;
    }
    range->start = at;
    range->end = end;
    *found = VARIANT_TRUE;
    break;
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE RangeEnabled(IHTMLTxtRange*, BSTR command,
                                       VARIANT_BOOL* enabled) {
  *enabled = command != nullptr && std::wstring(command) == L"Bold"
                 ? VARIANT_TRUE
                 : VARIANT_FALSE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE RangeHtml(IHTMLTxtRange* self, BSTR* html) {
  RangeCom* range = RangeUnknown::Self(self);
  size_t offset = 0;
  Node* node =
      TextNodeAt(range->document->body, range->start, range->end, offset);
  if (node == nullptr) return E_NOTIMPL;  // only text within one node
  *html = NewBstr(
      node->text.substr(range->start - offset, range->end - range->start));
  return S_OK;
}

// Takes a span with an id, a style and text (or &nbsp;) only.
HRESULT STDMETHODCALLTYPE RangePaste(IHTMLTxtRange* self, BSTR html) {
  RangeCom* range = RangeUnknown::Self(self);
  static const std::wregex kSpan(
      L"<span id='([^']*)' style='([^']*)'>([^<>]*)</span>");
  std::wsmatch parts;
  const std::wstring markup = html == nullptr ? L"" : html;
  if (!std::regex_match(markup, parts, kSpan)) return E_INVALIDARG;
  size_t offset = 0;
  Node* node =
      TextNodeAt(range->document->body, range->start, range->end, offset);
  if (node == nullptr) return E_NOTIMPL;
  std::wstring content = parts[3].str();
  if (content == L"&nbsp;") content = L"\u00a0";
  const std::wstring& text = node->text;
  const std::wstring before = text.substr(0, range->start - offset);
  const std::wstring after = text.substr(range->end - offset);

  Node* parent = node->parent;
  auto& siblings = parent->children;
  size_t at = 0;
  while (siblings[at].get() != node) ++at;
  siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(at));
  auto place = [&](std::unique_ptr<Node> added) {
    added->parent = parent;
    siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(at++),
                    std::move(added));
  };
  auto text_node = [](const std::wstring& value) {
    auto added = std::make_unique<Node>();
    added->text = value;
    return added;
  };
  if (!before.empty()) place(text_node(before));
  auto span = std::make_unique<Node>();
  span->tag = L"SPAN";
  span->id = parts[1].str();
  span->style = parts[2].str();
  span->Add(text_node(content));
  place(std::move(span));
  if (!after.empty()) place(text_node(after));
  // The range ends up empty after what was pasted.
  range->start = range->end = range->start + content.size();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE RangeMoveStart(IHTMLTxtRange* self, BSTR unit,
                                         LONG count, LONG* moved) {
  RangeCom* range = RangeUnknown::Self(self);
  if (unit == nullptr || Lower(unit) != L"character" || count < 0) {
    return E_INVALIDARG;
  }
  const size_t length = TextOf(range->document->body).size();
  const size_t start =
      std::min(length, range->start + static_cast<size_t>(count));
  *moved = static_cast<LONG>(start - range->start);
  range->start = start;
  range->end = std::max(range->end, start);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE RangeMoveEnd(IHTMLTxtRange* self, BSTR unit,
                                       LONG count, LONG* moved) {
  RangeCom* range = RangeUnknown::Self(self);
  if (unit == nullptr || Lower(unit) != L"textedit" || count != 1) {
    return E_INVALIDARG;
  }
  const size_t length = TextOf(range->document->body).size();
  *moved = range->end < length ? 1 : 0;
  range->end = length;
  return S_OK;
}

IHTMLTxtRangeVtbl* RangeTable() {
  static IHTMLTxtRangeVtbl table = [] {
    auto t = StubTable<IHTMLTxtRangeVtbl>();
    RangeUnknown::Fill(t);
    t.findText = &RangeFind;
    t.queryCommandEnabled = &RangeEnabled;
    t.get_htmlText = &RangeHtml;
    t.pasteHTML = &RangePaste;
    t.moveStart = &RangeMoveStart;
    t.moveEnd = &RangeMoveEnd;
    return t;
  }();
  return &table;
}

HRESULT STDMETHODCALLTYPE BodyTextRange(IHTMLBodyElement* self,
                                        IHTMLTxtRange** range) {
  ElementCom* body = BodyUnknown::Self(self);
  auto* com = new RangeCom{{RangeTable()},
                           {body->counted.page, 1, true},
                           body->document,
                           0,
                           TextOf(body->target).size()};
  ++com->counted.page->outstanding;
  *range = &com->range;
  return S_OK;
}

// Text with <tag> and </tag> (no attributes) into the body's tree.
std::unique_ptr<Node> ParseBody(const std::string& markup) {
  auto body = std::make_unique<Node>();
  body->tag = L"BODY";
  Node* current = body.get();
  const std::wstring text = WideFromAnsi(markup);
  size_t at = 0;
  while (at < text.size()) {
    const size_t open = text.find(L'<', at);
    if (open != at) {
      auto node = std::make_unique<Node>();
      node->text = text.substr(at, open - at);
      current->Add(std::move(node));
      if (open == std::wstring::npos) break;
    }
    const size_t close = text.find(L'>', open);
    if (text[open + 1] == L'/') {
      current = current->parent;
    } else {
      auto element = std::make_unique<Node>();
      for (wchar_t c : text.substr(open + 1, close - open - 1)) {
        element->tag += static_cast<wchar_t>(std::towupper(c));
      }
      current = current->Add(std::move(element));
    }
    at = close + 1;
  }
  return body;
}

std::string Markup(const Node& node) {
  if (node.IsText()) return AnsiFromWide(node.text.data(), node.text.size());
  std::string inner;
  for (const auto& child : node.children) inner += Markup(*child);
  if (node.tag == L"BODY") return inner;
  const std::wstring tag = Lower(node.tag);
  std::string open = AnsiFromWide(tag.data(), tag.size());
  std::string close = "</" + open + ">";
  if (!node.id.empty()) {
    open += " id=\"" + AnsiFromWide(node.id.data(), node.id.size()) + "\"";
  }
  if (!node.style.empty()) {
    open +=
        " style=\"" + AnsiFromWide(node.style.data(), node.style.size()) + "\"";
  }
  return "<" + open + ">" + inner + close;
}

// One document with its window and whatever they point at.
struct DocumentParts {
  std::wstring url;
  std::wstring domain;
  std::unique_ptr<Node> body;
  std::vector<WindowCom*> frames;
  DocumentCom document;
  WindowCom window;
};

std::unique_ptr<DocumentParts> MakeDocument(FakePage::State* page,
                                            const std::string& url,
                                            const std::string& domain,
                                            const std::string& body) {
  auto parts = std::make_unique<DocumentParts>();
  parts->url = WideFromAnsi(url);
  parts->domain = WideFromAnsi(domain);
  parts->body = ParseBody(body);
  parts->document = DocumentCom{
      {DocumentTable()}, {page, 0, false}, &parts->url,   &parts->domain,
      parts->body.get(), &parts->window,   &parts->frames};
  parts->window =
      WindowCom{{WindowTable()}, {page, 0, false}, &parts->document};
  return parts;
}

// The page's objects live as long as the page.
struct PageObjects {
  std::unique_ptr<DocumentParts> top;
  std::unique_ptr<DocumentParts> frame;
  WindowCom foreign;  // another site's frame: denies its document
};

}  // namespace

FakePage::FakePage(const std::string& url, const std::string& domain,
                   const std::string& body_text, const std::string& frame_text)
    : state_(std::make_unique<State>()) {
  auto objects = std::make_shared<PageObjects>();
  objects->top = MakeDocument(state_.get(), url, domain, body_text);
  objects->frame =
      MakeDocument(state_.get(), url + "frame.html", domain, frame_text);
  objects->foreign = WindowCom{{WindowTable()}, {state_.get(), 0, false}, {}};
  objects->top->frames = {&objects->frame->window, &objects->foreign};
  state_->top = &objects->top->document;
  state_->frame = &objects->frame->document;
  state_->objects = objects;
}

FakePage::~FakePage() = default;

void* FakePage::document() const { return &state_->top->document; }

std::string FakePage::BodyMarkup() const { return Markup(*state_->top->body); }

std::string FakePage::FrameBodyMarkup() const {
  return Markup(*state_->frame->body);
}

std::vector<std::string> FakePage::ModalDialogs() const {
  return state_->dialogs;
}

int FakePage::FocusCalls() const { return state_->focus_calls; }

long FakePage::OutstandingReferences() const { return state_->outstanding; }

long FakePage::ExcessReleases() const { return state_->excess; }

}  // namespace zan::test
