// The settings file through the real Windows file functions: Japanese folder
// names, read-only files, huge and garbage files, and the locale's formats.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include <gtest/gtest.h>

#include "common/handle_win.h"
#include "common/text_win.h"
#include "settings/file_port.h"
#include "settings/profile_file.h"
#include "settings/settings_store.h"
#include "settings/time_format_win.h"

namespace volmaru::settings {
namespace {

class WinProfileFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    root_ = Narrow(tmp) + "volmaru-wintest-" + std::to_string(GetCurrentProcessId());
    folder_ = root_ + "\\ミズナラ舎\\ボルマルData";
    path_ = folder_ + "\\Settei.ini";
  }
  void TearDown() override {
    SetFileAttributesW(Widen(path_).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(Widen(path_).c_str());
    RemoveDirectoryW(Widen(folder_).c_str());
    RemoveDirectoryW(Widen(root_ + "\\ミズナラ舎").c_str());
    RemoveDirectoryW(Widen(root_).c_str());
  }
  void WriteRaw(const std::string& bytes) {
    ASSERT_TRUE(SystemFiles().CreateDirectories(folder_));
    ASSERT_TRUE(SystemFiles().ReplaceFile(path_, bytes));
  }

  std::string root_, folder_, path_;
};

TEST_F(WinProfileFileTest, JapaneseFolderIsCreatedLevelByLevelAndTheFileRoundTrips) {
  FilePort& files = SystemFiles();
  EXPECT_FALSE(files.DirectoryExists(folder_));
  ASSERT_TRUE(files.CreateDirectories(folder_));
  EXPECT_TRUE(files.DirectoryExists(root_ + "\\ミズナラ舎"));
  ProfileFile file(files, path_);
  SettingsStore store(file, UserLocaleDateTimeFormat());
  store.WriteString(keys::MainKeyName, "無変換");
  store.WriteTime(keys::DeviceScheduleChangeTime(0), 7.5 / 24);
  EXPECT_EQ(store.ReadString(keys::MainKeyName), "無変換");
  // On disk: code page 932 bytes.
  const std::string raw = files.ReadFile(path_).bytes;
  EXPECT_NE(raw.find("MainKeyName=\x96\xB3\x95\xCF\x8A\xB7\r\n"), std::string::npos);
  // The platform reads what we wrote.
  char buf[64];
  const std::string ansiPath = [&] {
    char shortPath[MAX_PATH];
    GetShortPathNameA(path_.c_str(), shortPath, MAX_PATH);
    return std::string(shortPath);
  }();
  const std::wstring wpath = Widen(path_);
  wchar_t wbuf[64];
  GetPrivateProfileStringW(L"KeyBoad", L"MainKeyName", L"", wbuf, 64, wpath.c_str());
  EXPECT_EQ(Narrow(wbuf), "無変換");
  (void)buf;
  (void)ansiPath;
}

TEST_F(WinProfileFileTest, TheJapaneseLocaleWritesAndReadsTimesLikeWindows) {
  const DateTimeFormat f = UserLocaleDateTimeFormat();
  // Windows gives "yyyy/MM/dd", Wine "yyyy/M/d": the same text for day zero.
  EXPECT_EQ(FormatTimeOfDay(7.5 / 24, f), "1899/12/30 7:30:00");
  EXPECT_EQ(FormatTimeOfDay(0, f), "1899/12/30");
}

TEST_F(WinProfileFileTest, AReadOnlyFileReportsTheFailedWriteAndKeepsItsContents) {
  WriteRaw("[Icon]\r\nColor=255\r\n");
  ASSERT_TRUE(SetFileAttributesW(Widen(path_).c_str(), FILE_ATTRIBUTE_READONLY));
  ProfileFile file(SystemFiles(), path_);
  SettingsStore store(file, JapaneseDateTimeFormat());
  EXPECT_THROW(store.WriteToggle(SettingsStore::Toggle::kNoChangeByKey, true), SettingsWriteError);
  EXPECT_EQ(store.ReadColour(keys::IconColor), 255u);
  EXPECT_EQ(SystemFiles().ReadFile(path_).bytes, "[Icon]\r\nColor=255\r\n");
}

TEST_F(WinProfileFileTest, GarbageAndHugeFilesGiveDefaultsWithoutCrashing) {
  std::string garbage;
  unsigned seed = 1;
  for (int i = 0; i < 1 << 20; ++i) {
    seed = seed * 1103515245u + 12345u;
    garbage += static_cast<char>(seed >> 24);
  }
  WriteRaw(garbage);
  ProfileFile file(SystemFiles(), path_);
  SettingsStore store(file, JapaneseDateTimeFormat());
  EXPECT_EQ(store.LoadMainWindow().Keyboard.MainKey.code, 29);

  std::string huge = "[KeyBoad]\r\nVolumeChangeValue=7\r\n";
  while (huge.size() < 10u << 20) huge += "[Filler]\r\nkey=" + std::string(100, 'x') + "\r\n";
  WriteRaw(huge);
  EXPECT_EQ(store.ReadInt(keys::VolumeChangeValue), 7);
  EXPECT_EQ(store.ReadInt(keys::MainKeyCode), 29);
  store.WriteInt(keys::MainKeyCode, 18);
  EXPECT_EQ(SystemFiles().ReadFile(path_).bytes.size(), huge.size() + std::string("MainKeyCode=18\r\n").size());
}

TEST_F(WinProfileFileTest, InvalidCodePage932BytesSurviveAnEditOfAnotherKey) {
  const std::string odd = "[Dev]\r\nName=\x85\x40\xFD\x81\r\n[Icon]\r\nColor=1\r\n";
  WriteRaw(odd);
  ProfileFile file(SystemFiles(), path_);
  file.Write("Icon", "Color", "2");
  EXPECT_EQ(SystemFiles().ReadFile(path_).bytes, "[Dev]\r\nName=\x85\x40\xFD\x81\r\n[Icon]\r\nColor=2\r\n");
}

// The replacement keeps what the user or the system set on the file.
TEST_F(WinProfileFileTest, AReplacedFileKeepsItsAttributes) {
  WriteRaw("[A]\r\nk=1\r\n");
  ASSERT_TRUE(SetFileAttributesW(Widen(path_).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  ProfileFile file(SystemFiles(), path_);
  file.Write("A", "k", "2");
  EXPECT_EQ(file.Read("A", "k"), "2");
  const DWORD attrs = GetFileAttributesW(Widen(path_).c_str());
  EXPECT_TRUE(attrs & FILE_ATTRIBUTE_HIDDEN) << std::hex << attrs;
}

// A scanner or a sync client holds the file for a moment: the save waits for
// it instead of failing.
TEST_F(WinProfileFileTest, AFileHeldBrieflyByAnotherProcessIsWaitedFor) {
  WriteRaw("[A]\r\nk=1\r\n");
  HANDLE held = CreateFileW(Widen(path_).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  // Closed by a thread-pool timer 150 ms from now.
  struct Release {
    static VOID CALLBACK Fire(PVOID handle, BOOLEAN) { CloseHandle(static_cast<HANDLE>(handle)); }
  };
  HANDLE timer = nullptr;
  ASSERT_TRUE(CreateTimerQueueTimer(&timer, nullptr, &Release::Fire, held, 150, 0, WT_EXECUTEONLYONCE));
  ProfileFile file(SystemFiles(), path_);
  bool written = true;
  try {
    file.Write("A", "k", "2");
  } catch (const SettingsWriteError&) {
    written = false;
  }
  DeleteTimerQueueTimer(nullptr, timer, INVALID_HANDLE_VALUE);  // waits for it to have run
  EXPECT_TRUE(written);
  EXPECT_EQ(file.Read("A", "k"), "2");
  WIN32_FIND_DATAW found;
  const HANDLE first = FindFirstFileW(Widen(path_ + ".new*").c_str(), &found);
  EXPECT_EQ(first, INVALID_HANDLE_VALUE) << "no temporary file is left behind";
  if (first != INVALID_HANDLE_VALUE) FindClose(first);
}

TEST_F(WinProfileFileTest, LeftoverTemporariesOfACrashAreRemovedAndNothingElse) {
  WriteRaw("[A]\r\nk=1\r\n");
  const std::string left = path_ + ".new4242";
  const std::string other = folder_ + "\\Settei.ini.bak";
  ASSERT_TRUE(SystemFiles().ReplaceFile(left, "[A]\r\nk="));
  ASSERT_TRUE(SystemFiles().ReplaceFile(other, "keep"));
  SystemFiles().RemoveLeftoverTemporaries(path_);
  EXPECT_EQ(GetFileAttributesW(Widen(left).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(Widen(other).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(Widen(path_).c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileW(Widen(other).c_str());
}

}  // namespace
}  // namespace volmaru::settings
