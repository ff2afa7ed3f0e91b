#include "settings/profile_file.h"

#include <gtest/gtest.h>

#include <stdexcept>

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

TEST(ProfileFileTest, ATransactionReadsOnceSeesItsOwnEditsAndWritesOnce) {
  FakeFiles fs;
  fs.files[kPath] = "[A]\r\nk=1\r\n";
  ProfileFile file(fs, kPath);
  {
    ProfileFile::Transaction tx(file);
    file.Write("A", "k", "2");
    file.Write("B", "x", "3");
    file.DeleteKey("A", "k");
    file.Write("A", "k", "4");
    EXPECT_EQ(file.Read("A", "k"), "4") << "reads see the edits so far";
    EXPECT_TRUE(file.HasSection("B"));
    EXPECT_EQ(fs.files[kPath], "[A]\r\nk=1\r\n") << "nothing reaches the disk before the commit";
    {
      ProfileFile::Transaction inner(file);  // an operation inside another
      file.Write("C", "y", "5");
      inner.Commit();
    }
    EXPECT_EQ(fs.writes, 0);
    tx.Commit();
  }
  EXPECT_EQ(fs.reads, 1);
  EXPECT_EQ(fs.writes, 1);
  EXPECT_EQ(fs.files[kPath], "[A]\r\nk=4\r\n[B]\r\nx=3\r\n[C]\r\ny=5\r\n");
}

TEST(ProfileFileTest, ATransactionLeftByAnErrorWritesNothing) {
  FakeFiles fs;
  fs.files[kPath] = "[A]\r\nk=1\r\n";
  ProfileFile file(fs, kPath);
  try {
    ProfileFile::Transaction tx(file);
    file.Write("A", "k", "2");
    throw std::runtime_error("the operation failed half way");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(fs.writes, 0);
  EXPECT_EQ(file.Read("A", "k"), "1");
  // An inner operation that failed fails the whole of the outer one.
  ProfileFile::Transaction outer(file);
  file.Write("A", "k", "3");
  try {
    ProfileFile::Transaction inner(file);
    file.Write("A", "j", "4");
    throw std::runtime_error("inner");
  } catch (const std::runtime_error&) {
  }
  EXPECT_THROW(outer.Commit(), SettingsWriteError);
  EXPECT_EQ(fs.files[kPath], "[A]\r\nk=1\r\n");
  EXPECT_EQ(file.Read("A", "k"), "1") << "the next operation starts from the file again";
}

TEST(ProfileFileTest, ACommitThatCannotWriteThrowsAndKeepsTheFile) {
  FakeFiles fs;
  fs.files[kPath] = "[A]\r\nk=1\r\n";
  fs.unreadable.insert(kPath);
  ProfileFile file(fs, kPath);
  ProfileFile::Transaction tx(file);
  file.Write("A", "k", "2");
  EXPECT_THROW(tx.Commit(), SettingsWriteError) << "an unreadable file is never replaced";
  fs.unreadable.clear();
  EXPECT_EQ(fs.files[kPath], "[A]\r\nk=1\r\n");
  ProfileFile::Transaction unchanged(file);
  EXPECT_EQ(file.Read("A", "k"), "1");
  unchanged.Commit();
  EXPECT_EQ(fs.writes, 0) << "a transaction without edits writes nothing";
}

TEST(ProfileFileTest, AReadScopeReadsTheFileOnce) {
  FakeFiles fs;
  fs.files[kPath] = "[A]\r\nk=1\r\nj=2\r\n";
  ProfileFile file(fs, kPath);
  {
    const ProfileFile::ReadScope scope(file);
    EXPECT_EQ(file.Read("A", "k"), "1");
    fs.files[kPath] = "[A]\r\nk=9\r\n";
    EXPECT_EQ(file.Read("A", "j"), "2") << "one snapshot for the whole operation";
    EXPECT_TRUE(file.Exists());
  }
  EXPECT_EQ(fs.reads, 1);
  EXPECT_EQ(file.Read("A", "k"), "9");
}

// Some editors save the file as UTF-16 or with a UTF-8 mark; the platform
// reads those, so must we, and an edit keeps the file's encoding.
TEST(ProfileFileTest, FilesWithAByteOrderMarkKeepTheirEncoding) {
  const std::string utf16le = std::string("\xFF\xFE[\0K\0]\0\r\0\n\0N\0=\0\xA1\x30\r\0\n\0", 22);
  FakeFiles fs;
  fs.files[kPath] = utf16le;  // [K] N=ァ
  ProfileFile file(fs, kPath);
  EXPECT_EQ(file.Read("k", "n"), "ァ");
  file.Write("K", "M", "無変換");
  EXPECT_EQ(fs.files[kPath], utf16le + std::string("M\0=\0\x21\x71\x09\x59\xDB\x63\r\0\n\0", 14));
  EXPECT_EQ(file.Read("K", "M"), "無変換");

  fs.files[kPath] = "\xEF\xBB\xBF[K]\r\nN=\xE2\x91\xA0\r\n";
  EXPECT_EQ(file.Read("K", "N"), "①");
  file.Write("K", "N", "𠮷");  // outside code page 932: a UTF-8 file keeps it
  EXPECT_EQ(fs.files[kPath], "\xEF\xBB\xBF[K]\r\nN=\xF0\xA0\xAE\xB7\r\n");

  fs.files[kPath] = std::string(
      "\xFE\xFF\0[\0K\0]\0\n\0N\0=\0"
      "1",
      17);
  EXPECT_EQ(file.Read("K", "N"), "1");
}

TEST(ProfileFileTest, BrokenUtf8InAUtf8FileReadsAsReplacementCharacters) {
  FakeFiles fs;
  fs.files[kPath] = "\xEF\xBB\xBF[K]\r\nN=a\xE3\x81z\xFF\r\n";
  ProfileFile file(fs, kPath);
  EXPECT_EQ(file.Read("K", "N"), "a\xEF\xBF\xBD\xEF\xBF\xBDz\xEF\xBF\xBD");
}

TEST(ProfileFileTest, AnOddLastByteOfAUtf16FileIsNoCharacter) {
  FakeFiles fs;
  fs.files[kPath] = std::string(
      "\xFF\xFE[\0K\0]\0\n\0N\0=\0"
      "1\0"
      "\x41",
      17);
  ProfileFile file(fs, kPath);
  EXPECT_EQ(file.Read("K", "N"), "1");
}

// In a UTF-8 file a character may end in a byte that code page 932 takes
// for a lead byte; the bracket after it must still close the name.
TEST(ProfileFileTest, Utf8NamesAreNotReadAsCodePage932) {
  FakeFiles fs;
  fs.files[kPath] =
      "\xEF\xBB\xBF[\xE3\x81\x82]\r\nk=1\r\n[\xE3\x81\x82"
      "B]\r\nk=2\r\n";  // [あ] [あB]
  ProfileFile file(fs, kPath);
  EXPECT_EQ(file.Read("あ", "K"), "1");
  EXPECT_EQ(file.Read("あb", "k"), "2") << "the ASCII letter after a UTF-8 character still folds";
}

}  // namespace
}  // namespace volmaru::settings
