#ifndef ZAN_HOSTS_QT_QT_HTML_DOCUMENT_H_
#define ZAN_HOSTS_QT_QT_HTML_DOCUMENT_H_

#include <QPointer>
#include <QVariant>
#include <QWebEnginePage>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/html_document.h"

namespace zan {

// Runs a script in the page and waits (running the event loop) for its
// result, at most `timeout_ms`; an invalid QVariant when none came.
QVariant RunJavaScriptAndWait(QWebEnginePage* page, const QString& script,
                              int timeout_ms = 3000);

// The document of a page, or of one of its frames (by the path of frame
// indexes from the top), reached through JavaScript.
class QtHtmlDocument : public HtmlDocument {
 public:
  using ModalDialogOpener =
      std::function<void(const std::string& url, const std::string& features)>;

  QtHtmlDocument(QWebEnginePage* page, std::vector<int> frame_path,
                 ModalDialogOpener open_dialog);

  std::optional<std::string> GetUrl() override;
  std::optional<std::string> GetDomain() override;
  int GetFrameCount() override;
  HtmlDocument* GetFrame(int index) override;
  bool HighlightWord(const std::string& word, const std::string& style,
                     const std::string& id) override;
  void ClearHighlights(const std::string& id) override;
  void ShowModalDialog(const std::string& url,
                       const std::string& features) override;
  void Focus() override;

 private:
  // A script expression for this document (null when it is gone or not
  // reachable).
  QString DocumentExpression() const;
  QVariant Run(const QString& body);

  QPointer<QWebEnginePage> page_;
  std::vector<int> frame_path_;
  ModalDialogOpener open_dialog_;
  std::map<int, std::unique_ptr<QtHtmlDocument>> frames_;
};

// Parses "dialogWidth:400px;dialogHeight:300px" into a size; missing parts
// keep the defaults.
QSize ModalDialogSize(const std::string& features, QSize fallback);

}  // namespace zan

#endif  // ZAN_HOSTS_QT_QT_HTML_DOCUMENT_H_
