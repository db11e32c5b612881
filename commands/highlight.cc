#include "commands/highlight.h"

#include "commands/toolbar_access.h"
#include "definition/toolbar_model.h"
#include "platform/html_document.h"
#include "settings/string_utils.h"

namespace zan {
namespace {

int HighlightButtonId(ToolbarControl& toolbar) {
  ToolbarModel* model = toolbar.GetModel();
  if (model == nullptr) return -1;
  const int index = model->FindItemByCommand(kHighlightCommandName);
  return index < 0 ? -1 : kFirstButtonCommandId + index;
}

void CheckHighlightButton(ToolbarControl& toolbar, bool check) {
  const int id = HighlightButtonId(toolbar);
  if (id >= 0) toolbar.CheckButton(id, check);
}

// Whether the COMBO of that name is a value list: its choice (a search
// provider, a sort order) is no word the user searched for.
bool IsValueList(const ToolbarModel& model, const std::string& name) {
  for (const auto& item : model.items) {
    if (item->GetKind() != ItemKind::kCombo || item->GetName() != name) {
      continue;
    }
    const auto& combo = static_cast<const ToolbarCombo&>(*item);
    return combo.type != "edit" && !combo.values.empty();
  }
  return false;
}

std::vector<std::string> SearchBoxValues(ToolbarControl& toolbar) {
  std::vector<std::string> values;
  ToolbarModel* model = toolbar.GetModel();
  for (const ComboInput& combo : CollectSearchBoxes(toolbar)) {
    if (model != nullptr && IsValueList(*model, combo.name)) continue;
    values.push_back(combo.box->GetValue());
  }
  return values;
}

void HighlightWordAt(HtmlDocument* document, const std::string& word,
                     const std::string& style, const std::string& id,
                     int depth) {
  if (document == nullptr || depth > kMaxFrameDepth) return;
  if (!document->HighlightWord(word, style, id)) return;  // no body
  const int frames = document->GetFrameCount();
  for (int i = 0; i < frames; ++i) {
    HighlightWordAt(document->GetFrame(i), word, style, id, depth + 1);
  }
}

void ClearHighlightsAt(HtmlDocument* document, const std::string& id,
                       int depth) {
  if (document == nullptr || depth > kMaxFrameDepth) return;
  document->ClearHighlights(id);
  const int frames = document->GetFrameCount();
  for (int i = 0; i < frames; ++i) {
    ClearHighlightsAt(document->GetFrame(i), id, depth + 1);
  }
}

}  // namespace

std::string HighlightStyle(const std::string& color) {
  return "color:#000000;background-color:" + color + ";";
}

std::string HighlightSpanMarkup(const std::string& word,
                                const std::string& content,
                                const std::string& style,
                                const std::string& id) {
  return "<span id='" + id + "' style='" + style + "'>" +
         (word == " " ? std::string("&nbsp;") : content) + "</span>";
}

std::vector<std::string> HighlightWords(
    const std::vector<std::string>& values) {
  std::string text;
  for (const std::string& value : values) text += value + " ";
  std::vector<std::string> words;
  JoinSearchWords(text, words);
  for (std::string& word : words) {
    const size_t quote = word.find('"');
    if (quote != std::string::npos) word.erase(quote, 1);
  }
  return words;
}

void HighlightWord(HtmlDocument* document, const std::string& word,
                   const std::string& style, const std::string& id) {
  HighlightWordAt(document, word, style, id, 0);
}

void ClearHighlights(HtmlDocument* document, const std::string& id) {
  ClearHighlightsAt(document, id, 0);
}

void ExecuteHighlight(ToolbarControl& toolbar, const std::string& color) {
  ResetHighlight(toolbar);
  const std::string style = HighlightStyle(color);
  for (const std::string& word : HighlightWords(SearchBoxValues(toolbar))) {
    HighlightWord(GetCurrentDocument(toolbar), word, style, kHighlightId);
  }
  if (HtmlDocument* document = GetCurrentDocument(toolbar)) document->Focus();
  CheckHighlightButton(toolbar, true);
}

void ResetHighlight(ToolbarControl& toolbar) {
  ClearHighlights(GetCurrentDocument(toolbar), kHighlightId);
  CheckHighlightButton(toolbar, false);
}

void UpdateHighlightButton(ToolbarControl& toolbar) {
  std::string text;
  for (const std::string& value : SearchBoxValues(toolbar)) text += value + " ";
  std::vector<std::string> words;
  JoinSearchWords(text, words);
  SetHighlightButton(toolbar, !words.empty());
}

void SetHighlightButton(ToolbarControl& toolbar, bool enable) {
  const int id = HighlightButtonId(toolbar);
  if (id < 0) return;
  toolbar.EnableButton(id, enable);
  toolbar.CheckButton(id, false);
}

}  // namespace zan
