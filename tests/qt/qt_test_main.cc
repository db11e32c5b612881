// The Qt host tests run under one QApplication, offscreen, with every file
// the browser writes kept in a temporary home.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <string>

namespace {

void SetDefault(const char* name, const std::string& value) {
  if (!getenv(name)) setenv(name, value.c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  SetDefault("QT_QPA_PLATFORM", "offscreen");
  if (geteuid() == 0) SetDefault("QTWEBENGINE_DISABLE_SANDBOX", "1");
  SetDefault("QT_LOGGING_RULES", "qt.webenginecontext.info=false");
  std::string base = getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp";
  std::string home = base + "/zan-qt-tests-XXXXXX";
  if (!mkdtemp(home.data())) return 1;
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
  setenv("XDG_CACHE_HOME", (home + "/cache").c_str(), 1);
  setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
  setenv("TMPDIR", home.c_str(), 1);
  setenv("ZAN_REGISTRY", (home + "/registry.db").c_str(), 1);
  unsetenv("ZAN_SITE_URL");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication::setStyle(QStringLiteral("Fusion"));
  QApplication app(argc, argv);
  int result = RUN_ALL_TESTS();
  std::string cleanup = "rm -rf '" + home + "'";
  if (system(cleanup.c_str()) != 0) return result ? result : 1;
  return result;
}
