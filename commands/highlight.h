#ifndef ZAN_COMMANDS_HIGHLIGHT_H_
#define ZAN_COMMANDS_HIGHLIGHT_H_

#include <string>
#include <vector>

#include "commands/toolbar_control.h"

namespace zan {

class HtmlDocument;

// The id of every span that highlighting inserts, for all words and
// toolbars; removal finds the spans by it.
inline constexpr char kHighlightId[] = "RYX";
// The command name whose toolbar button shows the highlighting state.
inline constexpr char kHighlightCommandName[] = "Highlight";
// Frames nested deeper than this are not visited.
inline constexpr int kMaxFrameDepth = 16;

// "color:#000000;background-color:" + color + ";".
std::string HighlightStyle(const std::string& color);
// The markup that replaces one match: a span with the id and style around
// `content` (the match's HTML text, or "&nbsp;" when the searched word is a
// single blank).
std::string HighlightSpanMarkup(const std::string& word,
                                const std::string& content,
                                const std::string& style,
                                const std::string& id);

// The words to mark for the given search box values: the values joined with
// a blank after each, split at blanks (duplicates kept), each without its
// first double quote.
std::vector<std::string> HighlightWords(const std::vector<std::string>& values);

// Marks `word` in `document` and, when it has a body, in the documents of
// its frames and their frames.
void HighlightWord(HtmlDocument* document, const std::string& word,
                   const std::string& style, const std::string& id);
// Unwraps the spans with `id` in `document` and in its frames.
void ClearHighlights(HtmlDocument* document, const std::string& id);

// The "Highlight" service: clears earlier marks, marks the words of every
// search box with `color` as background, focuses the page and checks the
// Highlight button.
void ExecuteHighlight(ToolbarControl& toolbar, const std::string& color);
// Clears the marks of the current page and unchecks the Highlight button.
void ResetHighlight(ToolbarControl& toolbar);
// Enables the Highlight button exactly when the search boxes hold a word,
// and unchecks it.
void UpdateHighlightButton(ToolbarControl& toolbar);
// Enables or disables the Highlight button and unchecks it; nothing when no
// item runs the "Highlight" command.
void SetHighlightButton(ToolbarControl& toolbar, bool enable);

}  // namespace zan

#endif  // ZAN_COMMANDS_HIGHLIGHT_H_
