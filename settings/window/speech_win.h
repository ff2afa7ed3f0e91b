// The voice of the spoken volume check. The vendor library "AquesTalkDa.dll"
// is loaded at run time from the program's own folder only (a full path,
// never the current folder or the search path), so that a machine without it
// still runs the program; without it, or when it lacks one of its functions,
// the system's speech (SAPI) says the same sentence in plain Japanese, with a
// Japanese voice when one is installed.
#pragma once

#include <windows.h>
#include <sapi.h>

#include <string>

#include "common/handle_win.h"

namespace volmaru::settings {

class SpeechEngine {
 public:
  // Made with the settings window at start and kept until the end.
  explicit SpeechEngine(const std::string& exeFolder);
  ~SpeechEngine();
  SpeechEngine(const SpeechEngine&) = delete;
  SpeechEngine& operator=(const SpeechEngine&) = delete;

  // Speaks the check for `volume` and returns when it has been spoken:
  // 0 = spoken, anything else a failure (the library's own result, or -1).
  int Speak(int volume);
  bool usesLibrary() const { return playSync_ != nullptr; }

 private:
  using CreateFn = void*(__stdcall*)();
  using PlaySyncFn = int(__stdcall*)(const char* phrase, int speed);
  using ReleaseFn = void(__stdcall*)(void* handle);
  int SpeakWithSystemVoice(int volume);

  UniqueModule library_;
  void* handle_ = nullptr;
  PlaySyncFn playSync_ = nullptr;
  ReleaseFn release_ = nullptr;
  ComPtr<ISpVoice> voice_;
  bool voiceTried_ = false;
};

}  // namespace volmaru::settings
