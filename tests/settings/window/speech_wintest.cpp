// The voice of the spoken check under Wine: the vendor library found only in
// the program's own folder, its phrase in code page 932 at speed 100, and the
// system's speech when the library is absent or not the one we know.
#include "settings/window/speech_win.h"

#include <gtest/gtest.h>

#include <string>

#include "common/text_win.h"

namespace volmaru::settings {
namespace {

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/") + 1); }

std::wstring ExeFolder() {
  wchar_t buf[MAX_PATH];
  GetModuleFileNameW(nullptr, buf, MAX_PATH);
  return Folder(buf);
}

std::string ReadAll(const std::wstring& path) {
  std::string bytes;
  HANDLE h =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  UniqueKernelHandle file(h);
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
  return bytes;
}

class SpeechTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    dir_ = std::wstring(tmp) + L"volmaru-speech-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(dir_.c_str(), nullptr);
    CreateDirectoryW((dir_ + L"with\\").c_str(), nullptr);
    CreateDirectoryW((dir_ + L"without\\").c_str(), nullptr);
    CreateDirectoryW((dir_ + L"foreign\\").c_str(), nullptr);
    standin_ = ExeFolder() + L"standins\\AquesTalkDa.dll";
    ASSERT_TRUE(CopyFileW(standin_.c_str(), (dir_ + L"with\\AquesTalkDa.dll").c_str(), FALSE));
    log_ = dir_ + L"phrases.log";
    SetEnvironmentVariableW(L"VOLMARU_SPEECH_LOG", log_.c_str());
    SetEnvironmentVariableW(L"VOLMARU_SPEECH_RESULT", nullptr);
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"VOLMARU_SPEECH_LOG", nullptr);
    SetEnvironmentVariableW(L"VOLMARU_SPEECH_RESULT", nullptr);
    SetCurrentDirectoryW(ExeFolder().c_str());
    for (const wchar_t* f : {L"with\\AquesTalkDa.dll", L"foreign\\AquesTalkDa.dll", L"phrases.log"}) {
      DeleteFileW((dir_ + f).c_str());
    }
    for (const wchar_t* d : {L"with", L"without", L"foreign"}) RemoveDirectoryW((dir_ + d).c_str());
    RemoveDirectoryW(dir_.c_str());
  }
  std::wstring dir_, standin_, log_;
};

TEST_F(SpeechTest, TheLibraryBesideTheProgramGetsThePhraseInCodePage932AtSpeed100) {
  SpeechEngine engine(Narrow(dir_ + L"with\\"));
  ASSERT_TRUE(engine.usesLibrary());
  EXPECT_EQ(engine.Speak(35), 0);
  // おんりょ'う/<NUMK VAL=35>です。 in code page 932.
  EXPECT_EQ(ReadAll(log_), "\x82\xA8\x82\xF1\x82\xE8\x82\xE5'\x82\xA4/<NUMK VAL=35>\x82\xC5\x82\xB7\x81\x42\t100\r\n");
  SetEnvironmentVariableW(L"VOLMARU_SPEECH_RESULT", L"3");
  EXPECT_EQ(engine.Speak(100), 3) << "the library's failure is reported";
}

TEST_F(SpeechTest, ALibraryInTheCurrentFolderIsNeverPickedUp) {
  ASSERT_TRUE(SetCurrentDirectoryW((dir_ + L"with\\").c_str()));
  SpeechEngine engine(Narrow(dir_ + L"without\\"));
  EXPECT_FALSE(engine.usesLibrary());
  engine.Speak(50);
  EXPECT_EQ(ReadAll(log_), "") << "the stand-in in the current folder was not called";
}

TEST_F(SpeechTest, ALibraryWithoutTheFunctionsIsNotUsed) {
  // Some other DLL under the library's name.
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  ASSERT_TRUE(CopyFileW((std::wstring(system) + L"\\version.dll").c_str(), (dir_ + L"foreign\\AquesTalkDa.dll").c_str(),
                        FALSE));
  SpeechEngine engine(Narrow(dir_ + L"foreign\\"));
  EXPECT_FALSE(engine.usesLibrary());
}

// Wine's system speech cannot speak (ISpVoice::Speak gives E_NOTIMPL): the
// check must then report a failure, not pretend it spoke.
TEST_F(SpeechTest, WithoutTheLibraryTheSystemVoiceSpeaksOrAFailureIsReported) {
  ComApartment com;
  SpeechEngine engine(Narrow(dir_ + L"without\\"));
  EXPECT_FALSE(engine.usesLibrary());
  const int result = engine.Speak(40);
  std::printf("system speech under this platform: %d\n", result);
  EXPECT_EQ(ReadAll(log_), "");
  ComPtr<ISpVoice> voice;
  const HRESULT made = CoCreateInstance(__uuidof(SpVoice), nullptr, CLSCTX_ALL, __uuidof(ISpVoice), voice.put_void());
  if (SUCCEEDED(made) && voice->Speak(L"テスト", SPF_DEFAULT, nullptr) == E_NOTIMPL) {
    EXPECT_NE(result, 0) << "the system's voice cannot speak here";
  }
}

}  // namespace
}  // namespace volmaru::settings
