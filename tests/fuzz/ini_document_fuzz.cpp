// Feeds arbitrary bytes to the settings file parser and editor: nothing may
// crash, and an edit must leave what it does not name readable as before.
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/ini_document.h"

using volmaru::settings::IniDocument;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  IniDocument doc = IniDocument::Parse(bytes);
  if (doc.Serialize() != bytes) __builtin_trap();
  (void)doc.Get("KeyBoad", "MainKeyCode");
  (void)doc.Keys("Schedule");
  const auto before = doc.Get("Icon", "Color");
  doc.Set("KeyBoad", "MainKeyCode", "29");
  if (doc.Get("KeyBoad", "MainKeyCode") != std::optional<std::string>("29")) __builtin_trap();
  if (doc.Get("Icon", "Color") != before) __builtin_trap();
  doc.DeleteKey("KeyBoad", "MainKeyCode");
  if (doc.Get("KeyBoad", "MainKeyCode").has_value()) __builtin_trap();
  doc.EraseSection("Icon");
  if (doc.HasSection("Icon")) __builtin_trap();
  IniDocument again = IniDocument::Parse(doc.Serialize());
  if (again.Serialize() != doc.Serialize()) __builtin_trap();
  return 0;
}
