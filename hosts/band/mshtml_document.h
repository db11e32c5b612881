#ifndef ZAN_HOSTS_BAND_MSHTML_DOCUMENT_H_
#define ZAN_HOSTS_BAND_MSHTML_DOCUMENT_H_

// windows.h comes first: the COM headers need it.
// clang-format off
#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>
// clang-format on

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/html_document.h"

namespace zan {

// A page of the system browser through its document object model. The
// object does not hold the page: every operation asks its source for the
// document as it is at that moment, so one object serves a browser window
// (or one of its frames) for its whole life, across navigations, and keeps
// no page alive after the browser left it.
class MshtmlDocument : public HtmlDocument {
 public:
  // Answers a new reference to the document now shown, or null.
  using Source = std::function<IHTMLDocument2*()>;

  explicit MshtmlDocument(Source source);
  MshtmlDocument(const MshtmlDocument&) = delete;
  MshtmlDocument& operator=(const MshtmlDocument&) = delete;

  // The page `browser` shows: get_Document, then IHTMLDocument2; null when
  // either fails (no page yet, a folder or a plug-in view). A new
  // reference.
  static IHTMLDocument2* DocumentOf(IWebBrowser2* browser);

  std::optional<std::string> GetUrl() override;
  std::optional<std::string> GetDomain() override;
  // Frames count as the page tells; a frame whose document is not
  // reachable (another site's, or not loaded) answers null.
  int GetFrameCount() override;
  HtmlDocument* GetFrame(int index) override;
  // Finds whole words, whatever their case, in the body's text range and
  // pastes each match back wrapped in the span; text outside the matches,
  // elements and scripts stay as they are. A frameset page has a body that
  // holds no text: true without marks.
  bool HighlightWord(const std::string& word, const std::string& style,
                     const std::string& id) override;
  // Removes the span elements with that id, keeping their content in
  // their place.
  void ClearHighlights(const std::string& id) override;
  // showModalDialog of the document's window; a relative address is one on
  // the product site, as for the browser's navigations.
  void ShowModalDialog(const std::string& url,
                       const std::string& features) override;
  void Focus() override;

 private:
  // Frame `index`'s document, a new reference, or null.
  IHTMLDocument2* FrameDocument(int index) const;

  Source source_;
  std::map<int, std::unique_ptr<MshtmlDocument>> frames_;
};

// What WebBrowserWindow::SetDocumentSource takes: the browser's page as one
// MshtmlDocument for the window's life, or null while it shows no HTML
// document.
std::function<HtmlDocument*(IWebBrowser2*)> MshtmlDocumentSource();

}  // namespace zan

#endif  // ZAN_HOSTS_BAND_MSHTML_DOCUMENT_H_
