// What the volume meter needs from the program around it: the values it
// draws, the volume it sets, the stamps it leaves, the input state its box
// looks at and the main timer. The main window implements it; the meter
// knows nothing else of the main or the settings window.
#pragma once

#include <cstdint>
#include <string>

#include "meter/meter_geometry.h"
#include "meter/saved_volume_box.h"

namespace volmaru::meter {

class MeterHost {
 public:
  virtual ~MeterHost() = default;

  // The meter's creation waits for the main window's start-up.
  virtual bool StartupComplete() = 0;
  virtual bool HostAlive() = 0;
  virtual std::string DataFolder() = 0;  // with its final "\"

  // What a drawing shows: the current volume in percent, whether the mute
  // display is due, and the colour inputs (the settings window's choices,
  // the icon colours, the device profiles and the default device name;
  // `previous` is left to the meter).
  virtual int CurrentVolume() = 0;
  virtual bool MuteShown() = 0;
  virtual BarColourInputs ColourInputs() = 0;

  // Sets the volume; true when the device took it.
  virtual bool SetVolume(int volume) = 0;
  virtual int LastVolume() = 0;
  virtual void SetLastVolumeStepAt(uint32_t now) = 0;
  virtual void SetMeterShownAt(uint32_t now) = 0;
  // The menu item "マウス操作では音量変更しない(&F)" carries its check mark.
  virtual bool NoChangeByMouse() = 0;

  virtual BoxPoint TrayPointPos() = 0;
  virtual int MainKeyCode() = 0;
  virtual bool MainKeyDown() = 0;

  // The main timer, held still by counted pauses (common/timer_pause.h).
  virtual void PauseTimer() = 0;
  virtual void ResumeTimer() = 0;
};

}  // namespace volmaru::meter
