#include "commands/goto_url.h"

#include "commands/toolbar_access.h"
#include "definition/toolbar_model.h"
#include "platform/browser.h"
#include "platform/html_document.h"
#include "settings/browser_utils.h"
#include "settings/settings_store.h"
#include "settings/string_utils.h"

namespace zan {

ExpandedTemplates ExpandCommandTemplates(ToolbarControl& toolbar,
                                         const GoToUrlCommand& command,
                                         const std::string& parameter) {
  SettingsStore settings(*toolbar.Environment().registry);
  return ExpandTemplates(MakeMacroInputs(toolbar, settings), command.url,
                         command.post, parameter);
}

std::optional<std::string> ExpandPaneUrl(ToolbarControl& toolbar,
                                         const ToolbarWebPage& pane,
                                         std::string& last_domain) {
  SettingsStore settings(*toolbar.Environment().registry);
  return ExpandPaneTemplate(MakeMacroInputs(toolbar, settings), pane.name,
                            pane.url, pane.dynamic, last_domain);
}

GoToUrlRequest MakeGoToUrlRequest(const ExpandedTemplates& expanded) {
  GoToUrlRequest request;
  request.url = expanded.url;
  if (request.url.starts_with(kPostMarker)) {
    request.url.erase(0, sizeof(kPostMarker) - 1);
    request.post_data = MakePostData(expanded.post);
  }
  if (!request.post_data.empty()) request.headers = kFormContentTypeHeader;
  return request;
}

void ExecuteGoToUrl(ToolbarControl& toolbar, const GoToUrlCommand& command,
                    const std::string& parameter) {
  const GoToUrlRequest request =
      MakeGoToUrlRequest(ExpandCommandTemplates(toolbar, command, parameter));
  // Copies: serving a pane may rebuild what the command belongs to.
  const std::string newwindow = command.newwindow;
  const std::string target = command.target;

  if (newwindow == "New") {
    BrowserFactory* factory = toolbar.Environment().browser_factory;
    Browser* window = nullptr;
    if (factory == nullptr || !OpenBrowserWindow(window, *factory)) return;
    window->Navigate(request.url, "", request.post_data, request.headers);
    return;
  }
  if (newwindow == "ModalDialog") {
    HtmlDocument* document = GetCurrentDocument(toolbar);
    if (document != nullptr) {
      document->ShowModalDialog(request.url, command.options);
    }
    return;
  }
  if (newwindow == "BrowserButton") {
    ToolbarModel* model = toolbar.GetModel();
    if (model == nullptr) return;
    SettingsStore settings(*toolbar.Environment().registry);
    for (size_t i = 0; i < model->items.size(); ++i) {
      const ToolbarItem& item = *model->items[i];
      if (item.GetKind() != ItemKind::kWebPage || item.GetName() != target) {
        continue;
      }
      settings.SetString("BrowserButton" + target + "URL", request.url);
      toolbar.ReloadPane(static_cast<int>(i));
      toolbar.LayoutPane(static_cast<int>(i));
      if (toolbar.GetModel() != model) return;  // the toolbar was rebuilt
    }
    return;
  }
  if (Browser* browser = toolbar.GetBrowser()) {
    browser->Navigate(request.url, target, request.post_data, request.headers);
  }
}

}  // namespace zan
