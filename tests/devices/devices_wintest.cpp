// The device rules over Wine's real Core Audio (ole32, mmdevapi and the
// PulseAudio driver with its null sinks): the listing, the icon files, and
// the default-device switch through PolicyConfigStandIn.dll when it is
// registered for the policy-configuration class, and without it.
#include <windows.h>
#include <mmdeviceapi.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/handle_win.h"
#include "common/text_win.h"
#include "devices/core_audio_devices_win.h"
#include "devices/device_icon_win.h"
#include "devices/device_list.h"
#include "devices/device_switch.h"
#include "devices/policy_config_win.h"
#include "tests/devices/fake_device_window.h"
#include "volume/endpoint_win.h"

namespace volmaru::devices {
namespace {

using testing::FakeDeviceWindow;

constexpr wchar_t kClassKey[] = L"Software\\Classes\\CLSID\\{294935CE-F637-4E7C-A41B-AB255460B862}";
constexpr wchar_t kDriverKey[] = L"Software\\Wine\\Drivers\\winepulse.drv";

std::wstring ExeFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path, n);
  return p.substr(0, p.find_last_of(L"\\/") + 1);
}

void SetString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
  HKEY raw = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr), ERROR_SUCCESS);
  const UniqueRegKey key(raw);
  ASSERT_EQ(RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

void DeleteValue(HKEY root, const wchar_t* path, const wchar_t* name) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(root, path, 0, KEY_SET_VALUE, &raw) != ERROR_SUCCESS) return;
  const UniqueRegKey key(raw);
  RegDeleteValueW(key.get(), name);
}

// Wine's COM looks classes up under HKLM\Software\Classes only (a
// registration under HKCU\Software\Classes is not found).
void RegisterStandIn() {
  const std::wstring server = std::wstring(kClassKey) + L"\\InprocServer32";
  SetString(HKEY_LOCAL_MACHINE, server, nullptr, ExeFolder() + L"PolicyConfigStandIn.dll");
  SetString(HKEY_LOCAL_MACHINE, server, L"ThreadingModel", L"Both");
}

void UnregisterStandIn() {
  RegDeleteTreeW(HKEY_CURRENT_USER, kClassKey);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kClassKey);
}

std::vector<std::string> ReadLines(const std::wstring& path) {
  std::ifstream in(Narrow(path).c_str(), std::ios::binary);  // ASCII path in the build folder
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class DevicesWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The synthetic "PulseAudio" endpoint is the default unless the driver's
    // values name another one.
    DeleteValue(HKEY_CURRENT_USER, kDriverKey, L"DefaultOutput");
    DeleteValue(HKEY_CURRENT_USER, kDriverKey, L"DefaultVoiceOutput");
    log_ = ExeFolder() + L"devices_wintest-policy.log";
    DeleteFileW(log_.c_str());
    SetEnvironmentVariableW(L"VOLMARU_POLICY_LOG", log_.c_str());
  }
  void TearDown() override {
    UnregisterStandIn();
    DeleteValue(HKEY_CURRENT_USER, kDriverKey, L"DefaultOutput");
    DeleteValue(HKEY_CURRENT_USER, kDriverKey, L"DefaultVoiceOutput");
    SetEnvironmentVariableW(L"VOLMARU_POLICY_LOG", nullptr);
  }
  size_t IndexOf(const std::string& name) const {
    const auto it = std::find(s.DeviceNames.begin(), s.DeviceNames.end(), name);
    return static_cast<size_t>(it - s.DeviceNames.begin());
  }

  ComApartment com;
  std::wstring log_;
  CoreAudioDevices platform;
  FakeDeviceWindow window;
  app::MainWindowState s;
};

TEST_F(DevicesWineTest, TheListingHasTheThreeEndpointsWithTheirNames) {
  EnumeratePlaybackDevices(s, platform, window);
  ASSERT_EQ(s.DeviceNames.size(), 3u) << "is the sound server running with its two null sinks?";
  EXPECT_EQ(std::set<std::string>(s.DeviceNames.begin(), s.DeviceNames.end()),
            (std::set<std::string>{"PulseAudio", "Speakers", "HDMI"}));
  EXPECT_EQ(std::set<std::string>(s.DeviceIDs.begin(), s.DeviceIDs.end()).size(), 3u);
  for (const std::string& id : s.DeviceIDs) EXPECT_EQ(id.rfind("{0.0.0.", 0), 0u) << id;
  ASSERT_EQ(s.DeviceMenuItems.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(s.DeviceMenuItems[i].Caption, "　" + s.DeviceNames[i] + "(&" + std::to_string(i) + ")");
    EXPECT_EQ(s.DeviceMenuItems[i].Checked, s.DeviceNames[i] == "PulseAudio");
    EXPECT_EQ(s.DeviceProfiles[i].DeviceName, s.DeviceNames[i]);
  }
  EXPECT_EQ(s.DefaultDeviceName, "PulseAudio");
  EXPECT_FALSE(s.DefaultDeviceIcon) << "Wine's endpoints name no icon file";
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(DevicesWineTest, TheStandInGetsTheThreeRolesInOrderAndTheProcessFollowsTheNewDefault) {
  RegisterStandIn();
  EnumeratePlaybackDevices(s, platform, window);
  const size_t hdmi = IndexOf("HDMI");
  ASSERT_LT(hdmi, s.DeviceIDs.size());
  const std::string id = s.DeviceIDs[hdmi];
  ASSERT_TRUE(SetDefaultPlaybackDevice(s, platform, hdmi));
  EXPECT_EQ(ReadLines(log_), (std::vector<std::string>{id + "\t0", id + "\t1", id + "\t2"}));

  // The answer for this Wine: GetDefaultAudioEndpoint of the running process
  // reads the driver's value at every call, so it follows at once.
  const std::unique_ptr<EndpointList> list = platform.ListPlaybackEndpoints();
  ASSERT_TRUE(list);
  EXPECT_EQ(list->DefaultId(), id);
  ComPtr<IAudioEndpointVolume> volume = volume::AcquireEndpointVolume();
  EXPECT_TRUE(volume);

  // The whole click: the item of the speakers.
  const size_t speakers = IndexOf("Speakers");
  window.log.clear();
  SwitchToDeviceItem(s, platform, window, speakers);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(s.DefaultDeviceName, "Speakers");
  for (size_t i = 0; i < s.DeviceMenuItems.size(); ++i) EXPECT_EQ(s.DeviceMenuItems[i].Checked, i == speakers);
  EXPECT_EQ(ReadLines(log_).size(), 6u);
  EXPECT_EQ(platform.ListPlaybackEndpoints()->DefaultId(), s.DeviceIDs[speakers]);
  // A new listing agrees with what the switch set.
  EnumeratePlaybackDevices(s, platform, window);
  EXPECT_EQ(s.DefaultDeviceName, "Speakers");
}

TEST_F(DevicesWineTest, WithoutTheStandInTheSwitchReportsFailure) {
  UnregisterStandIn();
  EXPECT_FALSE(CreatePolicyConfig()) << "Wine has no policy-configuration class of its own";
  EnumeratePlaybackDevices(s, platform, window);
  const size_t hdmi = IndexOf("HDMI");
  ASSERT_LT(hdmi, s.DeviceIDs.size());
  EXPECT_FALSE(SetDefaultPlaybackDevice(s, platform, hdmi));
  SwitchToDeviceItem(s, platform, window, hdmi);
  EXPECT_EQ(window.messages, (std::vector<std::string>{"既定の再生デバイスを変更できませんでした。"}));
  EXPECT_EQ(s.DefaultDeviceName, "PulseAudio");
  EXPECT_FALSE(s.DeviceMenuItems[hdmi].Checked);
  EXPECT_EQ(window.timerHolds, 0);
  EXPECT_EQ(GetFileAttributesW(log_.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing reached a switching object";
}

TEST_F(DevicesWineTest, AnIconPathWithTheSystemRootGivesTheIconOfThatFile) {
  // shell32 of the prefix holds icons with small resource numbers.
  const DeviceIconRef icon = ExtractDeviceIcon("%SystemRoot%\\system32\\shell32.dll,-3", platform);
  ASSERT_TRUE(icon);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(IconHandle(icon), &info));
  const UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
  BITMAP bm{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, GetSystemMetrics(SM_CXICON));
  EXPECT_FALSE(ExtractDeviceIcon("C:\\windows\\system32\\shell32.dll,-3", platform)) << "a drive letter gives none";
  EXPECT_FALSE(ExtractDeviceIcon("%SystemRoot%\\system32\\shell32.dll,0", platform));
  EXPECT_FALSE(ExtractDeviceIcon("%SystemRoot%\\system32\\no-such.dll,-3", platform));

  // The picture is freed with the last record that holds it.
  const long before = LiveHandleCount(HandleKind::kIcon).load();
  {
    DeviceIconRef a = ExtractDeviceIcon("%SystemRoot%\\system32\\shell32.dll,-3", platform);
    DeviceIconRef copy = a;
    EXPECT_EQ(LiveHandleCount(HandleKind::kIcon).load(), before + 1);
  }
  EXPECT_EQ(LiveHandleCount(HandleKind::kIcon).load(), before);
}

}  // namespace
}  // namespace volmaru::devices
