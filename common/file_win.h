// Whether a file (not a folder) is there, for the pictures and the cursor
// the windows load from the program's Data folder.
#pragma once

#include <windows.h>

#include <string>

#include "common/text_win.h"

namespace volmaru {

inline bool FileExists(const std::string& path) {
  const DWORD attrs = GetFileAttributesW(Widen(path).c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace volmaru
