// zan-browser: a browser window with the ZAN toolbar.
//
//   zan-browser [--register | --register-if-needed | --unregister]
//               [--url URL] [--screenshot FILE.png] [--open-menu ITEM]
//               [--print-toolbar] [--quit-after MS]
//
// The toolbar band shows only while the toolbar is registered. --register
// registers it and opens the product site (its update page after an
// update), --unregister removes the registration, the downloaded files and
// every setting and opens the uninstall page.

#include <QApplication>
#include <QCoreApplication>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "hosts/qt/browser_app.h"

namespace {

void Usage() {
  std::cerr << "usage: zan-browser [--register | --register-if-needed | "
               "--unregister] [--url URL] [--screenshot FILE.png] "
               "[--open-menu ITEM] [--print-toolbar] [--quit-after MS]\n";
}

bool ParseInt(const char* text, int& out) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!end || *end != '\0' || v < -1 || v > 1000000000) return false;
  out = static_cast<int>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  zan::BrowserOptions options;
  options.require_registration = true;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) return nullptr;
      return argv[++i];
    };
    if (arg == "--url") {
      const char* v = value();
      if (!v) return Usage(), 2;
      options.url = v;
    } else if (arg == "--screenshot") {
      const char* v = value();
      if (!v) return Usage(), 2;
      options.screenshot = v;
      options.unattended = true;
    } else if (arg == "--open-menu") {
      const char* v = value();
      if (!v || !ParseInt(v, options.open_menu_item)) return Usage(), 2;
    } else if (arg == "--print-toolbar") {
      options.print_toolbar = true;
    } else if (arg == "--quit-after") {
      const char* v = value();
      if (!v || !ParseInt(v, options.quit_after_ms)) return Usage(), 2;
      options.unattended = true;
    } else if (arg == "--register") {
      options.registration = zan::RegistrationRequest::kRegister;
    } else if (arg == "--register-if-needed") {
      options.registration = zan::RegistrationRequest::kRegisterIfNeeded;
    } else if (arg == "--unregister") {
      options.registration = zan::RegistrationRequest::kUnregister;
    } else if (arg == "--help" || arg == "-h") {
      Usage();
      return 0;
    } else {
      std::cerr << "zan-browser: unknown argument " << arg << "\n";
      Usage();
      return 2;
    }
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication::setStyle(QStringLiteral("Fusion"));
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("zan-browser"));
  zan::ChooseDrawingBackend();
  zan::BrowserApp browser(options);
  // A registration that failed ends the program with an error status.
  if (!browser.Run()) return 1;
  return app.exec();
}
