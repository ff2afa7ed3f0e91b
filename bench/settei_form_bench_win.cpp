// Timings of the settings window under Windows (or Wine): opening it (the
// page values read from the file, every control filled, the window shown and
// painted) and OK with every value changed (the checks, the one save of the
// file, the hand-over, the icon drawn and saved as the main window does).
// Prints the median and the range of each over the runs.
//
//   volmaru_settei_bench.exe [runs]   (default 20)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "common/handle_win.h"
#include "common/text_win.h"
#include "settings/window/settei_form_win.h"
#include "settings/window/settei_layout.h"
#include "settings/file_port.h"
#include "tests/settings/window/fake_settei_host.h"
#include "tray/icon_render_win.h"

namespace {

using namespace volmaru;
using namespace volmaru::settings;

double NowMs() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// The main window's share of the hand-over that costs something: the tray
// icon drawn and saved.
class TimedHost final : public SetteiHost {
 public:
  testing::FakeSetteiHost fake;
  bool UseEndpointVolume() override { return fake.UseEndpointVolume(); }
  std::vector<TDefDeviceTrayIconData> DeviceProfiles() override { return fake.DeviceProfiles(); }
  std::string DefaultDeviceName() override { return fake.DefaultDeviceName(); }
  int LastVolume() override { return fake.LastVolume(); }
  std::optional<std::string> MenuCaption(int tag) override { return fake.MenuCaption(tag); }
  std::string ExeFolder() override { return fake.ExeFolder(); }
  std::string DataFolder() override { return fake.DataFolder(); }
  uint32_t MeterColour() override { return fake.MeterColour(); }
  bool IconUpdating() override { return false; }
  void CloseMeterIfVisible() override {}
  void ResetTrayPointedAt() override {}
  void ShowMeterIfAlwaysShown() override {}
  void HandOverKeyboardIconsAndProfiles(const MainHandOver& v) override { fake.HandOverKeyboardIconsAndProfiles(v); }
  void UpdateTrayIcon(int volume) override {
    tray::RenderInputs in;
    in.useDeviceIcon = true;
    in.number = volume;
    std::string pixels;
    UniqueIcon icon = tray::RenderVolumeIcon(in, &pixels);
    if (icon) tray::SaveVolumeIco(fake.DataFolder() + "Volume.ico", pixels);
  }
  void HandOverInputMenuAndSchedule(const MainHandOver& v) override { fake.HandOverInputMenuAndSchedule(v); }
  void HandOverMeter(const MeterHandOver& v) override { fake.HandOverMeter(v); }
  void PauseTimer() override {}
  void ResumeTimer() override {}
  std::atomic<bool>& KeyCaptureFlag() override { return fake.KeyCaptureFlag(); }
  void ShowHelp() override {}
  void ShowVersion() override {}
  void CheckVolume(const VolumeCheckRequest&) override {}
};

// Runs a function from inside the window's modal loop.
std::function<void()> g_action;
LRESULT CALLBACK HelperProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP) {
    auto action = std::move(g_action);
    g_action = nullptr;
    if (action) action();
    return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  UniqueKernelHandle h(
      CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD n = 0;
  ::WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
}

// CPU time of this thread (user and kernel), ms: less disturbed than the
// wall clock by other work on the machine.
double ThreadCpuMs() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  auto ms = [](const FILETIME& f) {
    return static_cast<double>((static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000.0;
  };
  return ms(kernel) + ms(user);
}

struct Stats {
  double median, low, high;
};
Stats Of(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return {v[v.size() / 2], v.front(), v.back()};
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  const std::string folder = Narrow(tmp) + "volmaru-settei-bench\\";
  CreateDirectoryW(Widen(folder).c_str(), nullptr);
  // A file of the usual size: two devices and a schedule.
  WriteFile(folder + "Settei.ini",
            "[VolumeBar]\r\nPosition=0\r\nShowTime=10\r\nColor=65280\r\n[KeyBoad]\r\nVolumeChangeValue=3\r\n"
            "[Icon]\r\nDeviceIconDataCount=2\r\n[DeviceIconData0]\r\nDeviceName=Speakers\r\n"
            "[DeviceIconData1]\r\nDeviceName=HDMI\r\n[Schedule]\r\nUse=1\r\nStartTime0=1899/12/30 22:00:00\r\n"
            "EndTime0=1899/12/30 6:00:00\r\nVolume0=-30\r\n");

  WNDCLASSW wc{};
  wc.lpfnWndProc = HelperProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VolmaruSetteiBench";
  RegisterClassW(&wc);
  UniqueWindow helper(
      CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr));

  TimedHost host;
  host.fake.dataFolder = folder;
  TDefDeviceTrayIconData a, b;
  a.DeviceName = "Speakers";
  b.DeviceName = "HDMI";
  host.fake.profiles = {a, b};
  host.fake.defaultName = "Speakers";
  TVolumeChangeSetteiForm form;
  if (!form.Create(GetModuleHandleW(nullptr), host, nullptr)) return 1;

  std::vector<double> opening, paint, ok, openingCpu, okCpu;
  for (int run = 0; run < runs; ++run) {
    // Opening: from the call until the window is shown and painted.
    const double t0 = NowMs();
    const double c0 = ThreadCpuMs();
    double shown = 0;
    double painting = 0;
    g_action = [&] {
      painting = NowMs();
      UpdateWindow(form.hwnd());
      shown = NowMs();
      paint.push_back(shown - painting);
      openingCpu.push_back(ThreadCpuMs() - c0);
      SendMessageW(form.Control(ctl::kCancel), BM_CLICK, 0, 0);
    };
    PostMessageW(helper.get(), WM_APP, 0, 0);
    form.ShowModal();
    opening.push_back(shown - t0);

    // OK with every value changed.
    g_action = [&] {
      const bool odd = run % 2 != 0;
      SetteiSession& s = form.session();
      PageSettings& v = s.values;
      v.Position = odd ? 3 : 1;
      v.ColorByIconColor = odd ? 1 : 2;
      v.ChangeColorByDevice = odd;
      v.AllwaysShow = !odd;
      s.showTimeText = odd ? "12" : "13";
      v.IsShowByPointIcon = odd;
      v.IsNoShowPanelSetVolume = !odd;
      v.MeterColor = odd ? 0x123456 : 0x654321;
      v.Keyboard.MainKeyOnly = odd;
      s.stepText = odd ? "4" : "6";
      v.Keyboard.MainKey = {odd ? 28 : 29, odd ? "変換" : "無変換"};
      v.Keyboard.VolumeUpKey = {odd ? 36 : 39, odd ? "Home" : "→"};
      v.Keyboard.VolumeDownKey = {odd ? 35 : 37, odd ? "End" : "←"};
      v.Keyboard.MuteKey = {odd ? 45 : 40, odd ? "Insert" : "↓"};
      v.Icon = {odd ? 0x00FFFFu : 0xFFFFFFu, odd ? 0x800000u : 0xFF0000u};
      v.UseDefAudioDeviceIcon = odd;
      v.ChangeIconColorByDevice = !odd;
      for (bool& e : v.VisibleMenuItems) e = odd;
      v.WheelReverse = odd;
      v.VolumeChangeWaitTime = odd ? 300 : 100;
      v.TrayIconWaitTime = odd ? 700 : 800;
      v.NoChangeByKey = odd;
      v.NoChangeByMouse = !odd;
      for (TDefDeviceTrayIconData& p : s.WorkingProfiles) {
        p.TextColor ^= 0x010101;
        p.BackColor ^= 0x010101;
        p.VolumeBarColor ^= 0x010101;
        p.NormalVolume = odd ? 30 : 60;
        p.IsShowOnMenu = odd;
      }
      // Bands in every day group, so that every schedule key is written.
      v.ScheduleUse = true;
      for (int g = 0; g < 8; ++g) {
        s.schedule.SelectDay(g, s.dayFields);
        s.dayFields = {schedule::BandFields{"7", "00", "8", odd ? "15" : "30", -10},
                       schedule::BandFields{"12", "00", "13", "00", 5},
                       schedule::BandFields{"18", "00", "21", "00", odd ? 20 : 25}};
      }
      s.Changed();
      const double t1 = NowMs();
      const double c1 = ThreadCpuMs();
      SendMessageW(form.Control(ctl::kOk), BM_CLICK, 0, 0);
      ok.push_back(NowMs() - t1);
      okCpu.push_back(ThreadCpuMs() - c1);
      if (form.visible()) SendMessageW(form.Control(ctl::kCancel), BM_CLICK, 0, 0);
    };
    PostMessageW(helper.get(), WM_APP, 0, 0);
    form.ShowModal();
  }
  // The file's share of both: reading the pages and saving them.
  std::vector<double> load, save;
  FileSetteiStorage storage(SystemFiles(), folder.substr(0, folder.size() - 1), folder + "Settei.ini",
                            JapaneseDateTimeFormat());
  for (int run = 0; run < runs; ++run) {
    double t = NowMs();
    const PageSettings pages = storage.LoadPages();
    load.push_back(NowMs() - t);
    t = NowMs();
    storage.Save(pages, host.fake.profiles);
    save.push_back(NowMs() - t);
  }
  const Stats o = Of(opening);
  const Stats k = Of(ok);
  std::printf("opening (load, fill, show, paint): median %.1f ms (%.1f .. %.1f) over %d runs\n", o.median, o.low,
              o.high, runs);
  const Stats p = Of(paint);
  std::printf("  of which painting the first page: median %.1f ms (%.1f .. %.1f)\n", p.median, p.low, p.high);
  std::printf("OK with every value changed (check, save, hand-over): median %.1f ms (%.1f .. %.1f) over %zu runs\n",
              k.median, k.low, k.high, ok.size());
  std::printf("  thread CPU time: opening median %.1f ms, OK median %.1f ms\n", Of(openingCpu).median,
              Of(okCpu).median);
  const Stats l = Of(load);
  const Stats w = Of(save);
  std::printf("  of which reading the pages from the file: median %.1f ms (%.1f .. %.1f)\n", l.median, l.low, l.high);
  std::printf("  of which saving them to the file: median %.1f ms (%.1f .. %.1f)\n", w.median, w.low, w.high);
  return 0;
}
