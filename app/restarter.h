// RestartLoudDial.exe: started by the menu command "ボルマルの再起動(&R)"
// just before the program closes. It waits until the running program has
// ended (its single-instance mutex is free again), then starts "Volmaru.exe"
// from its own folder and ends. The platform is behind RestarterPort
// (restarter_win.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace volmaru::app {

inline constexpr std::string_view kProgramFile = "Volmaru.exe";
// A program that takes longer than this to end is not waited for.
inline constexpr uint32_t kRestartWaitMs = 30000;
inline constexpr std::string_view kStillRunningText = "ボルマルが終了しないため、再起動できませんでした。";
inline constexpr std::string_view kStartFailedText = "ボルマルを起動できませんでした。";

class RestarterPort {
 public:
  virtual ~RestarterPort() = default;
  enum class Wait { kEnded, kTimedOut };
  // Waits at most `timeoutMs` for the program's single-instance mutex to be
  // free (no mutex at all counts as ended).
  virtual Wait WaitForProgramEnd(uint32_t timeoutMs) = 0;
  // This program's folder with a trailing "\".
  virtual std::string OwnFolder() = 0;
  // Starts a program with `folder` as its working folder; the shell's
  // result (above 32 on success).
  virtual intptr_t Start(const std::string& program, const std::string& folder) = 0;
  virtual void ShowMessage(std::string_view text) = 0;
};

// The whole restarter; returns its exit code: 0 when the program was
// started again, 1 when it did not end in time, 2 when it did not start.
int RunRestarter(RestarterPort& port);

}  // namespace volmaru::app
