// The settings file must always be either the old or the new file, whatever
// moment a writer dies at.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "settings/file_port.h"
#include "settings/ini_document.h"
#include "settings/profile_file.h"

namespace volmaru::settings {
namespace {

namespace fs = std::filesystem;

class AtomicWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("volmaru-atomic-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "Settei.ini").string();
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, ec);
    fs::remove_all(dir_, ec);
  }
  fs::path dir_;
  std::string path_;
};

// A file whose every generation is complete: the padding makes each write
// large enough to be caught half way, and the "End" key comes last.
std::string Generation(int n) {
  std::string text = "[State]\r\nCounter=" + std::to_string(n) + "\r\n";
  for (int i = 0; i < 2000; ++i) text += "Pad" + std::to_string(i) + "=" + std::to_string(n) + "\r\n";
  return text + "End=" + std::to_string(n) + "\r\n";
}

TEST_F(AtomicWriteTest, AWriterKilledAtRandomMomentsLeavesAWholeFile) {
  ASSERT_TRUE(SystemFiles().ReplaceFile(path_, Generation(0)));
  std::mt19937 rng(12345);
  for (int round = 0; round < 20; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int n = 1;; ++n) SystemFiles().ReplaceFile(path_, Generation(n));
    }
    std::this_thread::sleep_for(std::chrono::microseconds(2000 + rng() % 20000));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    const std::string text = SystemFiles().ReadFile(path_).bytes;
    const IniDocument doc = IniDocument::Parse(text);
    const auto counter = doc.Get("State", "Counter");
    ASSERT_TRUE(counter.has_value()) << "round " << round;
    EXPECT_EQ(text, Generation(std::stoi(*counter))) << "round " << round << ": a torn file";
  }
  // Temporary files of killed writers may remain; none has the file's name.
  for (const auto& entry : fs::directory_iterator(dir_)) {
    EXPECT_EQ(entry.path().filename().string().rfind("Settei.ini", 0), 0u);
  }
}

TEST_F(AtomicWriteTest, AReadOnlyFileIsNotReplacedAndTheWriteIsReported) {
  ASSERT_TRUE(SystemFiles().ReplaceFile(path_, "[A]\r\nk=1\r\n"));
  fs::permissions(path_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  ProfileFile file(SystemFiles(), path_);
  EXPECT_THROW(file.Write("A", "k", "2"), SettingsWriteError);
  EXPECT_EQ(file.Read("A", "k"), "1");
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++entries;
  EXPECT_EQ(entries, 1u) << "no temporary file is left behind";
}

TEST_F(AtomicWriteTest, AFailedRenameLeavesTheOldFileAndNoTemporaryFile) {
  // Renaming over a directory fails: the stand-in for a rename refused by
  // the system (file in use, disk error).
  const std::string target = (dir_ / "Busy.ini").string();
  fs::create_directories(target);
  EXPECT_FALSE(SystemFiles().ReplaceFile(target, "[A]\r\nk=2\r\n"));
  EXPECT_TRUE(fs::is_directory(target));
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++entries;
  EXPECT_EQ(entries, 1u);
}

TEST_F(AtomicWriteTest, MissingFolderMakesTheWriteFailWithoutDamage) {
  ProfileFile file(SystemFiles(), (dir_ / "no" / "such" / "Settei.ini").string());
  EXPECT_THROW(file.Write("A", "k", "1"), SettingsWriteError);
  EXPECT_TRUE(SystemFiles().CreateDirectories((dir_ / "no" / "such").string()));
  file.Write("A", "k", "1");
  EXPECT_EQ(file.Read("A", "k"), "1");
}

}  // namespace
}  // namespace volmaru::settings
