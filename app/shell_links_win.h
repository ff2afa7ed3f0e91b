// Shortcut files and special folders of the shell, for the startup
// registration.
#pragma once

#include <string>
#include <vector>

#include "app/startup.h"

namespace volmaru::app {

// Folders by CSIDL, without a trailing "\"; "" when unknown.
std::string SpecialFolder(int csidl);
std::vector<FolderEntry> ListFolderEntries(const std::string& folder);
// The target path stored in a shortcut, or "" (also for files that are not
// shortcuts).
std::string ResolveShortcutTarget(const std::string& linkPath);
// Writes a shortcut file to `target` that starts in `workingDir`; true when
// it was saved.
bool SaveShortcut(const std::string& linkPath, const std::string& target, const std::string& workingDir);

}  // namespace volmaru::app
