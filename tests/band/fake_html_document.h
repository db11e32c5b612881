#ifndef ZAN_TESTS_BAND_FAKE_HTML_DOCUMENT_H_
#define ZAN_TESTS_BAND_FAKE_HTML_DOCUMENT_H_

#include <memory>
#include <string>
#include <vector>

namespace zan::test {

// A page in the browser's document object model, for a band that cannot
// have the real one here: a document (URL, domain, a body of text) whose
// window records modal dialogs and focus, with one frame that answers its
// document and one of another site that denies it. The body is a tree of
// text and elements; its text range finds words as the flags ask (2: whole
// words, 4: match case) and takes pasted spans, and the spans leave again
// through removeNode. Only what a toolbar asks for is there; every other
// entry of the interfaces answers E_NOTIMPL.
class FakePage {
 public:
  FakePage(const std::string& url, const std::string& domain,
           const std::string& body_text, const std::string& frame_text);
  ~FakePage();
  FakePage(const FakePage&) = delete;
  FakePage& operator=(const FakePage&) = delete;

  // The document as an IDispatch (the interfaces are declared differently
  // here and in the page's own file); the page owns it.
  void* document() const;

  // The bodies as markup: text as it is, elements as <tag id=".."
  // style="..">..</tag>.
  std::string BodyMarkup() const;
  std::string FrameBodyMarkup() const;
  // Each showModalDialog as "address|options|argument".
  std::vector<std::string> ModalDialogs() const;
  int FocusCalls() const;
  // References handed out and not given back (0 when every caller
  // released what it got), and releases of objects nobody held.
  long OutstandingReferences() const;
  long ExcessReleases() const;

  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_BAND_FAKE_HTML_DOCUMENT_H_
