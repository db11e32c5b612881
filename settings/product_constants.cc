#include "settings/product_constants.h"

#include <cstdlib>

#include "settings/string_utils.h"

namespace zan {

namespace {

#ifndef ZAN_DEFAULT_SITE_DIR
#define ZAN_DEFAULT_SITE_DIR "/usr/share/zan/site/toolbar/"
#endif
#ifndef ZAN_TOOLBAR_CLASS_ID
#define ZAN_TOOLBAR_CLASS_ID "{5A4E0B61-7C3D-4E92-B8A1-0D6F2C9E7B13}"
#endif
#ifndef ZAN_TYPE_LIBRARY_ID
#define ZAN_TYPE_LIBRARY_ID "{C2D87F40-1B5E-4A36-9E0C-83F4A6B1D25E}"
#endif

std::string WithTrailingSlash(std::string url) {
  if (url.empty() || url.back() != '/') url += '/';
  return url;
}

}  // namespace

const std::string& ProductName() {
  static const std::string text = "ZAN";
  return text;
}

const std::string& CompanyName() {
  static const std::string text = "ZAN Inc.";
  return text;
}

const std::string& DefinitionFileName() {
  static const std::string text = "ZAN.tbd";
  return text;
}

const std::string& AlertTitle() {
  static const std::string text = CompanyName() + " Toolbar Alert";
  return text;
}

const std::string& UninstallPrompt() {
  static const std::string text =
      "Are you sure you want to uninstall " + CompanyName();
  return text;
}

const std::string& CompanyKeyPath() {
  static const std::string text = "SOFTWARE\\" + CompanyName();
  return text;
}

const std::string& ProductKeyPath() {
  static const std::string text = CompanyKeyPath() + "\\" + ProductName();
  return text;
}

const std::string& ToolbarClassId() {
  static const std::string text = ZAN_TOOLBAR_CLASS_ID;
  return text;
}

const std::string& TypeLibraryId() {
  static const std::string text = ZAN_TYPE_LIBRARY_ID;
  return text;
}

std::string SiteBaseUrl() {
  const char* configured = std::getenv("ZAN_SITE_URL");
  if (configured != nullptr && *configured != '\0') {
    return WithTrailingSlash(configured);
  }
  return WithTrailingSlash(std::string("file://") + ZAN_DEFAULT_SITE_DIR);
}

std::string SiteIndexUrl() { return SiteBaseUrl() + "index.html"; }

std::string SiteUpdateUrl() { return SiteBaseUrl() + "update.html"; }

std::string SiteUninstallUrl() { return SiteBaseUrl() + "uninstall.html"; }

std::string SiteUrl(const std::string& address) {
  return ResolveUrl(SiteBaseUrl(), address);
}

}  // namespace zan
