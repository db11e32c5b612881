#include "platform/qt/qt_html_document.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTimer>
#include <QWebEngineView>

namespace zan {
namespace {

QString JsString(const std::string& text) {
  QJsonDocument doc(QJsonArray{QString::fromStdString(text)});
  QString array = QString::fromUtf8(doc.toJson(QJsonDocument::Compact));
  return array.mid(1, array.size() - 2);
}

// Wraps whole-word, case-insensitive matches of a word in the text nodes of
// a document's body. Returns false without a body.
const char kHighlightScript[] = R"JS(
(function (d, word, style, id) {
  if (!d || !d.body) return false;
  var lower = word.toLowerCase();
  if (!lower) return true;
  function isWordChar(c) { return /[A-Za-z0-9_\u00C0-\uFFFF]/.test(c); }
  var walker = d.createTreeWalker(d.body, NodeFilter.SHOW_TEXT, null);
  var nodes = [];
  for (var n = walker.nextNode(); n; n = walker.nextNode()) {
    var p = n.parentNode;
    if (p && /^(SCRIPT|STYLE|NOSCRIPT|TEXTAREA)$/.test(p.nodeName)) continue;
    if (p && p.nodeName === 'SPAN' && p.id === id) continue;
    nodes.push(n);
  }
  nodes.forEach(function (node) {
    var text = node.nodeValue, hay = text.toLowerCase(), from = 0, i;
    var parts = [];
    while ((i = hay.indexOf(lower, from)) >= 0) {
      var before = i > 0 ? text.charAt(i - 1) : '';
      var after = text.charAt(i + lower.length);
      if ((before && isWordChar(before)) || (after && isWordChar(after))) {
        from = i + 1;
        continue;
      }
      parts.push(i);
      from = i + lower.length;
    }
    if (!parts.length) return;
    var frag = d.createDocumentFragment(), last = 0;
    parts.forEach(function (at) {
      frag.appendChild(d.createTextNode(text.slice(last, at)));
      var span = d.createElement('span');
      span.id = id;
      span.setAttribute('style', style);
      span.textContent = text.substr(at, lower.length);
      frag.appendChild(span);
      last = at + lower.length;
    });
    frag.appendChild(d.createTextNode(text.slice(last)));
    node.parentNode.replaceChild(frag, node);
  });
  return true;
})
)JS";

const char kClearScript[] = R"JS(
(function (d, id) {
  if (!d || !d.body) return;
  var spans = Array.prototype.slice.call(d.querySelectorAll('span'));
  spans.forEach(function (s) {
    if (s.id !== id) return;
    var parent = s.parentNode;
    while (s.firstChild) parent.insertBefore(s.firstChild, s);
    parent.removeChild(s);
    parent.normalize();
  });
})
)JS";

}  // namespace

QVariant RunJavaScriptAndWait(QWebEnginePage* page, const QString& script,
                              int timeout_ms) {
  if (!page) return QVariant();
  QVariant result;
  bool done = false;
  QEventLoop loop;
  QPointer<QEventLoop> guard(&loop);
  auto alive = std::make_shared<bool>(true);
  page->runJavaScript(script,
                      [&result, &done, guard, alive](const QVariant& v) {
                        if (!*alive) return;
                        result = v;
                        done = true;
                        if (guard) guard->quit();
                      });
  QTimer::singleShot(timeout_ms, &loop, &QEventLoop::quit);
  if (!done) loop.exec(QEventLoop::ExcludeUserInputEvents);
  *alive = false;
  return result;
}

QSize ModalDialogSize(const std::string& features, QSize fallback) {
  QSize size = fallback;
  QString text = QString::fromStdString(features);
  static const QRegularExpression re(
      QStringLiteral("dialog(Width|Height)\\s*[:=]\\s*(\\d+)"),
      QRegularExpression::CaseInsensitiveOption);
  for (auto it = re.globalMatch(text); it.hasNext();) {
    auto m = it.next();
    int v = m.captured(2).toInt();
    if (v <= 0) continue;
    if (m.captured(1).compare("Width", Qt::CaseInsensitive) == 0) {
      size.setWidth(v);
    } else {
      size.setHeight(v);
    }
  }
  return size;
}

QtHtmlDocument::QtHtmlDocument(QWebEnginePage* page,
                               std::vector<int> frame_path,
                               ModalDialogOpener open_dialog)
    : page_(page),
      frame_path_(std::move(frame_path)),
      open_dialog_(std::move(open_dialog)) {}

QString QtHtmlDocument::DocumentExpression() const {
  QString expr = QStringLiteral("document");
  for (int i : frame_path_) {
    expr = QStringLiteral(
               "(function(d){try{var w=d&&d.defaultView.frames[%1];"
               "return w?w.document:null;}catch(e){return null;}})(%2)")
               .arg(i)
               .arg(expr);
  }
  return expr;
}

QVariant QtHtmlDocument::Run(const QString& body) {
  return RunJavaScriptAndWait(page_, body);
}

std::optional<std::string> QtHtmlDocument::GetUrl() {
  if (!page_) return std::nullopt;
  if (frame_path_.empty()) return page_->url().toString().toStdString();
  QVariant v =
      Run(QStringLiteral("(function(d){return d?d.location.href:null;})(%1)")
              .arg(DocumentExpression()));
  if (!v.isValid() || v.isNull()) return std::nullopt;
  return v.toString().toStdString();
}

std::optional<std::string> QtHtmlDocument::GetDomain() {
  if (!page_) return std::nullopt;
  if (frame_path_.empty()) return page_->url().host().toStdString();
  QVariant v = Run(QStringLiteral("(function(d){return d?d.domain:null;})(%1)")
                       .arg(DocumentExpression()));
  if (!v.isValid() || v.isNull()) return std::nullopt;
  return v.toString().toStdString();
}

int QtHtmlDocument::GetFrameCount() {
  QVariant v =
      Run(QStringLiteral(
              "(function(d){return d?d.defaultView.frames.length:0;})(%1)")
              .arg(DocumentExpression()));
  return v.isValid() ? v.toInt() : 0;
}

HtmlDocument* QtHtmlDocument::GetFrame(int index) {
  if (index < 0 || index >= GetFrameCount()) return nullptr;
  auto& slot = frames_[index];
  if (!slot) {
    std::vector<int> path = frame_path_;
    path.push_back(index);
    slot = std::make_unique<QtHtmlDocument>(page_, path, open_dialog_);
  }
  return slot.get();
}

bool QtHtmlDocument::HighlightWord(const std::string& word,
                                   const std::string& style,
                                   const std::string& id) {
  QVariant v = Run(QString::fromUtf8(kHighlightScript) +
                   QStringLiteral("(%1, %2, %3, %4)")
                       .arg(DocumentExpression(), JsString(word),
                            JsString(style), JsString(id)));
  return v.toBool();
}

void QtHtmlDocument::ClearHighlights(const std::string& id) {
  Run(QString::fromUtf8(kClearScript) +
      QStringLiteral("(%1, %2)").arg(DocumentExpression(), JsString(id)));
}

void QtHtmlDocument::ShowModalDialog(const std::string& url,
                                     const std::string& features) {
  if (open_dialog_) open_dialog_(url, features);
}

void QtHtmlDocument::Focus() {
  if (!page_) return;
  if (QWidget* view = QWebEngineView::forPage(page_)) view->setFocus();
}

}  // namespace zan
