// The spoken volume check of the schedule page: a "確認" button sets the
// master volume to the value in question, has a short phrase naming it
// spoken, and sets the volume back. The normal-volume button first makes the
// chosen device the default for the length of the check (and the volume
// control follows it there and back, so that the volume is set on the device
// that plays).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/device_profile.h"

namespace volmaru::settings {

inline constexpr std::string_view kSpeechFailedText = "確認音声をしゃべるのに失敗しました。";
inline constexpr std::string_view kNormalVolumeRangeText = "「通常の音量」は0～100を半角で入力してください。";
inline constexpr std::string_view kCheckSwitchFailedText = "再生デバイスの変更に失敗しました。";
inline constexpr uint32_t kAfterCheckWaitMs = 1000;
inline constexpr int kSpeechSpeed = 100;

// The phrase for the speech library: phonetic kana with its accent mark and
// phrase break, and the number read from its tag (code page 932 on the way
// out).
std::string CheckPhrase(int volume);
// The same sentence as plain Japanese text, for the system's speech.
std::string PlainCheckSentence(int volume);

class SpokenCheckPort {
 public:
  virtual ~SpokenCheckPort() = default;
  virtual void PauseTimer() = 0;
  virtual void ResumeTimer() = 0;
  virtual int LastVolume() = 0;
  virtual bool SetVolume(int volume) = 0;  // VolumeSetOk
  // Speaks the check for `volume` and returns when it has been spoken:
  // 0 = spoken, anything else a failure.
  virtual int Speak(int volume) = 0;
  virtual void ShowMessage(std::string_view text) = 0;
  // The normal-volume check.
  virtual const std::string& DefaultDeviceName() = 0;
  virtual void SetDefaultDeviceName(const std::string& name) = 0;
  // Makes profile `index`'s device the default for every role.
  virtual bool SetDefaultPlaybackDevice(size_t index) = 0;
  // The volume control follows the default device (and reads its volume).
  virtual void FollowDefaultDevice() = 0;
  virtual void UpdateTrayIcon(int volume) = 0;
  virtual void SetBalloonAndTip(const std::string& text) = 0;
  virtual const std::string& MainKeyName() = 0;
  virtual void WaitLettingMessagesRun(uint32_t ms) = 0;
  virtual void EnableNormalVolumeCheckButton(bool enabled) = 0;
};

// Sets `volume`, speaks it and sets the last volume back, with the main timer
// held; nothing is spoken when the volume could not be set.
void SpeakVolumeCheck(int volume, SpokenCheckPort& port);

// A band's "確認": the default device's normal volume plus the band's offset,
// clamped. Does nothing without a profile for the default device.
void BandVolumeCheck(const std::vector<TDefDeviceTrayIconData>& workingProfiles, int bandOffset, SpokenCheckPort& port);

// The normal volume's "確認" for profile `selected` with the field's text.
void NormalVolumeCheck(std::string_view fieldText, size_t selected,
                       const std::vector<TDefDeviceTrayIconData>& workingProfiles, SpokenCheckPort& port);

}  // namespace volmaru::settings
