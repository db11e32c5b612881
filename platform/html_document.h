#ifndef ZAN_PLATFORM_HTML_DOCUMENT_H_
#define ZAN_PLATFORM_HTML_DOCUMENT_H_

#include <optional>
#include <string>

namespace zan {

// The page that a browser window shows. The Qt host reaches it through
// JavaScript; tests use a small fake document.
class HtmlDocument {
 public:
  virtual ~HtmlDocument() = default;

  // The document's address and domain; nullopt when the page cannot tell.
  virtual std::optional<std::string> GetUrl() = 0;
  virtual std::optional<std::string> GetDomain() = 0;

  // Frames of the document, each a document of its own (same-origin frames
  // only; others are not reachable). The document owns what it returns.
  virtual int GetFrameCount() = 0;
  virtual HtmlDocument* GetFrame(int index) = 0;

  // Wraps every whole-word, case-insensitive match of `word` in this
  // document (not its frames) in <span id=id style=style>; false when the
  // document has no body.
  virtual bool HighlightWord(const std::string& word, const std::string& style,
                             const std::string& id) = 0;
  // Unwraps every span with that id in this document (not its frames).
  virtual void ClearHighlights(const std::string& id) = 0;

  // Opens a modal dialog from the document's window.
  virtual void ShowModalDialog(const std::string& url,
                               const std::string& features) = 0;
  // Gives the focus to the document's window.
  virtual void Focus() = 0;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_HTML_DOCUMENT_H_
