#include "settings/profile_file.h"

#include <gtest/gtest.h>

#include "tests/settings/fake_files.h"

namespace volmaru::settings {
namespace {

using testing::FakeFiles;

constexpr const char* kPath = "/data/Settei.ini";

TEST(ProfileFileTest, ValuesAreUtf8InsideAndCodePage932OnDisk) {
  FakeFiles fs;
  ProfileFile file(fs, kPath);
  file.Write("KeyBoad", "MainKeyName", "無変換");
  EXPECT_EQ(fs.files[kPath], "[KeyBoad]\r\nMainKeyName=\x96\xB3\x95\xCF\x8A\xB7\r\n");
  EXPECT_EQ(file.Read("keyboad", "mainkeyname"), "無変換");
}

TEST(ProfileFileTest, MissingFileReadsAsEmptyAndIsCreatedByTheFirstWrite) {
  FakeFiles fs;
  ProfileFile file(fs, kPath);
  EXPECT_FALSE(file.Exists());
  EXPECT_EQ(file.Read("Icon", "Color"), std::nullopt);
  EXPECT_FALSE(file.HasSection("Icon"));
  file.DeleteKey("Icon", "Color");
  file.EraseSection("Icon");
  EXPECT_EQ(fs.writes, 0) << "deleting from nothing creates no file";
  file.Write("Icon", "Color", "1");
  EXPECT_TRUE(file.Exists());
}

TEST(ProfileFileTest, EveryReadAsksTheFileSoHandEditsShowAtOnce) {
  FakeFiles fs;
  fs.files[kPath] = "[A]\r\nk=1\r\n";
  ProfileFile file(fs, kPath);
  EXPECT_EQ(file.Read("A", "k"), "1");
  fs.files[kPath] = "[A]\r\nk=2\r\n";
  EXPECT_EQ(file.Read("A", "k"), "2");
}

TEST(ProfileFileTest, FailedWritesThrowAndLeaveTheFileAlone) {
  FakeFiles fs;
  fs.files[kPath] = "[A]\r\nk=1\r\n";
  fs.readOnly.insert(kPath);
  ProfileFile file(fs, kPath);
  EXPECT_THROW(file.Write("A", "k", "2"), SettingsWriteError);
  EXPECT_THROW(file.DeleteKey("A", "k"), SettingsWriteError);
  EXPECT_THROW(file.EraseSection("A"), SettingsWriteError);
  EXPECT_EQ(fs.files[kPath], "[A]\r\nk=1\r\n");
}

TEST(ProfileFileTest, AnUnreadableFileIsNeverOverwritten) {
  // Writing would otherwise replace a file we could not read with one key.
  FakeFiles fs;
  fs.files[kPath] = "[A]\r\nk=1\r\nother=keep\r\n";
  fs.unreadable.insert(kPath);
  ProfileFile file(fs, kPath);
  EXPECT_EQ(file.Read("A", "k"), std::nullopt);
  EXPECT_THROW(file.Write("A", "k", "2"), SettingsWriteError);
  EXPECT_EQ(fs.files[kPath], "[A]\r\nk=1\r\nother=keep\r\n");
}

TEST(ProfileFileTest, KeyListingTellsWhetherAKeyExists) {
  FakeFiles fs;
  fs.files[kPath] = "[Schedule]\r\nnormalvolume=50\r\nUse=1\r\nflag\r\n";
  ProfileFile file(fs, kPath);
  EXPECT_TRUE(file.HasKey("Schedule", "NormalVolume"));
  EXPECT_FALSE(file.HasKey("Schedule", "flag"));
  EXPECT_EQ(file.Keys("schedule"), (std::vector<std::string>{"normalvolume", "Use"}));
}

}  // namespace
}  // namespace volmaru::settings
