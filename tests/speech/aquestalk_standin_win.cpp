// A stand-in for the vendor speech library, for tests only (it is built into
// its own folder and never shipped). It speaks nothing: each phrase it is
// given is appended, as its bytes and a line end, to the file named by the
// environment variable VOLMARU_SPEECH_LOG, and it returns the number in
// VOLMARU_SPEECH_RESULT (0 when unset), the library's "spoken" or failure.
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

int g_handle = 0;

}  // namespace

extern "C" {

__declspec(dllexport) void* __stdcall AquesTalkDa_Create() { return &g_handle; }

__declspec(dllexport) int __stdcall AquesTalkDa_PlaySync(const char* phrase, int speed) {
  char path[MAX_PATH];
  if (GetEnvironmentVariableA("VOLMARU_SPEECH_LOG", path, MAX_PATH) > 0) {
    HANDLE f = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
      char line[64];
      DWORD put = 0;
      WriteFile(f, phrase, static_cast<DWORD>(std::strlen(phrase)), &put, nullptr);
      const int n = wsprintfA(line, "\t%d\r\n", speed);
      WriteFile(f, line, static_cast<DWORD>(n), &put, nullptr);
      CloseHandle(f);
    }
  }
  char result[16];
  if (GetEnvironmentVariableA("VOLMARU_SPEECH_RESULT", result, sizeof result) > 0) return std::atoi(result);
  return 0;
}

__declspec(dllexport) void __stdcall AquesTalkDa_Release(void* handle) { (void)handle; }

}  // extern "C"
