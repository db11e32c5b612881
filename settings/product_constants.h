#ifndef ZAN_SETTINGS_PRODUCT_CONSTANTS_H_
#define ZAN_SETTINGS_PRODUCT_CONSTANTS_H_

#include <string>

namespace zan {

// Fixed texts of the product.
const std::string& ProductName();         // "ZAN"
const std::string& CompanyName();         // "ZAN Inc."
const std::string& DefinitionFileName();  // "ZAN.tbd"
const std::string& AlertTitle();          // "ZAN Inc. Toolbar Alert"
const std::string& UninstallPrompt();  // "Are you sure you want to uninstall "
                                       // + CompanyName

// Registry paths under HKEY_CURRENT_USER.
const std::string& CompanyKeyPath();  // "SOFTWARE\ZAN Inc."
const std::string& ProductKeyPath();  // "SOFTWARE\ZAN Inc.\ZAN"

// Identities of the toolbar band object, fixed at build time, in registry
// text form ("{XXXXXXXX-...}", upper case).
const std::string& ToolbarClassId();
const std::string& TypeLibraryId();

// The product web site's folder, ending in "/": the environment variable
// ZAN_SITE_URL when set, otherwise the embedded site as a file:// URL.
std::string SiteBaseUrl();
std::string SiteIndexUrl();      // SiteBaseUrl() + "index.html"
std::string SiteUpdateUrl();     // SiteBaseUrl() + "update.html"
std::string SiteUninstallUrl();  // SiteBaseUrl() + "uninstall.html"
// An address of the definition (a pane's or a command's url) as a page of
// the product site would resolve it: absolute ones as they are, relative
// ones against SiteBaseUrl().
std::string SiteUrl(const std::string& address);

}  // namespace zan

#endif  // ZAN_SETTINGS_PRODUCT_CONSTANTS_H_
