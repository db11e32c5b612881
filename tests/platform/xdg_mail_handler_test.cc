#include "platform/posix/xdg_mail_handler.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace zan {
namespace {

TEST(RemoveDesktopFieldCodesTest, DropsCodesAndKeepsPercentSigns) {
  struct Row {
    const char* exec;
    const char* command;
  } rows[] = {
      {"thunderbird -compose %u", "thunderbird -compose"},
      {"mailer %U", "mailer"},
      {"mailer --to=%u --x", "mailer --to= --x"},
      {"mailer %f %F %d %D %n %N %i %c %k %v %m", "mailer"},
      {"mailer 100%%", "mailer 100%"},
      {"mailer %1 %z", "mailer %1 %z"},
      {"mailer %", "mailer %"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(RemoveDesktopFieldCodes(row.exec), row.command) << row.exec;
  }
}

class MailHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() /
            ("zan_xdg_" + std::to_string(getpid()));
    std::filesystem::create_directories(root_ / "config");
    std::filesystem::create_directories(root_ / "sysconfig");
    std::filesystem::create_directories(root_ / "data/applications/kde");
    std::filesystem::create_directories(root_ / "sysdata/applications");
    folders_.config_dirs = {(root_ / "config").string(),
                            (root_ / "sysconfig").string()};
    folders_.data_dirs = {(root_ / "data").string(),
                          (root_ / "sysdata").string()};
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  void Write(const std::string& relative, const std::string& text) {
    std::ofstream(root_ / relative) << text;
  }

  std::filesystem::path root_;
  XdgFolders folders_;
};

TEST_F(MailHandlerTest, NothingConfiguredGivesEmptyText) {
  EXPECT_EQ(FindMailtoCommand(folders_), "");
  Write("config/mimeapps.list",
        "[Default Applications]\ntext/html=browser.desktop\n");
  EXPECT_EQ(FindMailtoCommand(folders_), "");
}

TEST_F(MailHandlerTest, UserChoiceWinsAndFieldCodesGo) {
  Write("sysconfig/mimeapps.list",
        "[Default Applications]\nx-scheme-handler/mailto=sys.desktop\n");
  Write("sysdata/applications/sys.desktop",
        "[Desktop Entry]\nName=Sys\nExec=sysmail %u\n");
  EXPECT_EQ(FindMailtoCommand(folders_), "sysmail");

  Write("config/mimeapps.list",
        "# mine\n[Added Associations]\nx-scheme-handler/mailto=no.desktop\n"
        "[Default Applications]\n x-scheme-handler/mailto = "
        "missing.desktop;mine.desktop;\n");
  Write("data/applications/mine.desktop",
        "[Desktop Entry]\nExec[de]=falsch\nExec=\"/opt/my\\smail/bin\" "
        "-compose %U\n[Desktop Action new]\nExec=other\n");
  EXPECT_EQ(FindMailtoCommand(folders_), "\"/opt/my mail/bin\" -compose");
}

TEST_F(MailHandlerTest, DesktopIdWithDashFindsSubFolder) {
  Write("config/mimeapps.list",
        "[Default Applications]\nx-scheme-handler/mailto=kde-mail.desktop\n");
  Write("data/applications/kde/mail.desktop",
        "[Desktop Entry]\nExec=kmail %u\n");
  EXPECT_EQ(FindMailtoCommand(folders_), "kmail");
  XdgMailHandler handler(folders_);
  EXPECT_EQ(handler.GetMailtoCommand(), "kmail");
}

}  // namespace
}  // namespace zan
