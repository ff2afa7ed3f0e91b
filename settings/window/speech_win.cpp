#include "settings/window/speech_win.h"

#include "common/text.h"
#include "common/text_win.h"
#include "settings/window/spoken_check.h"

namespace volmaru::settings {
namespace {

constexpr wchar_t kLibraryName[] = L"AquesTalkDa.dll";

template <typename Fn>
Fn Function(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

SpeechEngine::SpeechEngine(const std::string& exeFolder) {
  // Only the program's folder, by its full path: a library of that name in
  // the current folder or on the search path is never picked up.
  const std::wstring path = Widen(exeFolder) + kLibraryName;
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  library_.reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!library_) return;
  const auto create = Function<CreateFn>(library_.get(), "AquesTalkDa_Create");
  const auto playSync = Function<PlaySyncFn>(library_.get(), "AquesTalkDa_PlaySync");
  const auto release = Function<ReleaseFn>(library_.get(), "AquesTalkDa_Release");
  if (!create || !playSync || !release) {
    library_.reset();  // not the library we know: the system's voice speaks
    return;
  }
  handle_ = create();
  playSync_ = playSync;
  release_ = release;
}

SpeechEngine::~SpeechEngine() {
  if (release_) release_(handle_);
}

int SpeechEngine::Speak(int volume) {
  if (playSync_) return playSync_(Utf8ToCp932(CheckPhrase(volume)).c_str(), kSpeechSpeed);
  return SpeakWithSystemVoice(volume);
}

int SpeechEngine::SpeakWithSystemVoice(int volume) {
  if (!voiceTried_) {
    voiceTried_ = true;
    if (FAILED(CoCreateInstance(__uuidof(SpVoice), nullptr, CLSCTX_ALL, __uuidof(ISpVoice), voice_.put_void()))) {
      voice_.reset();
    } else {
      // A Japanese voice when there is one; otherwise the default voice.
      ComPtr<ISpObjectTokenCategory> category;
      ComPtr<IEnumSpObjectTokens> tokens;
      ComPtr<ISpObjectToken> japanese;
      if (SUCCEEDED(CoCreateInstance(__uuidof(SpObjectTokenCategory), nullptr, CLSCTX_ALL,
                                     __uuidof(ISpObjectTokenCategory), category.put_void())) &&
          SUCCEEDED(category->SetId(SPCAT_VOICES, FALSE)) &&
          SUCCEEDED(category->EnumTokens(L"Language=411", nullptr, tokens.put())) &&
          tokens->Next(1, japanese.put(), nullptr) == S_OK) {
        voice_->SetVoice(japanese.get());
      }
    }
  }
  if (!voice_) return -1;
  const std::wstring sentence = Widen(PlainCheckSentence(volume));
  return SUCCEEDED(voice_->Speak(sentence.c_str(), SPF_DEFAULT, nullptr)) ? 0 : -1;
}

}  // namespace volmaru::settings
