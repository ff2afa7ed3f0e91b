// A DLL of the system folder loaded when first needed rather than at start:
// a program at rest never maps it (nor what it brings along). It stays
// loaded for the life of the process, since the functions taken from it
// are kept.
#pragma once

#include <windows.h>

namespace volmaru {

// The module, loaded once from the system folder; null when it is missing.
HMODULE SystemLibrary(const wchar_t* fileName);

// A function of such a module, or null.
template <typename F>
F SystemFunction(const wchar_t* fileName, const char* name) {
  const HMODULE m = SystemLibrary(fileName);
  return m ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

}  // namespace volmaru
