#include "app/settings_file_win.h"

#include <windows.h>

#include "common/bex_error.h"
#include "common/cp932.h"
#include "common/profile_value.h"

namespace bex {
namespace {

// String values are read up to 2047 characters.
constexpr DWORD kValueBuffer = 2048;
// Returned for a missing key: no value the program writes can hold it.
constexpr char kMissing[] = "\x01\x02missing\x02\x01";

}  // namespace

bool SettingsFile::ReadRaw(const SettingKey& key, std::string* text) const {
  char buffer[kValueBuffer];
  GetPrivateProfileStringA(key.section, key.key, kMissing, buffer, kValueBuffer, path_.c_str());
  if (std::string(buffer) == kMissing) return false;
  *text = buffer;
  return true;
}

std::string SettingsFile::ReadString(const SettingKey& key) const {
  return ReadStored(key).value_or(key.textDefault ? key.textDefault : "");
}

std::optional<std::string> SettingsFile::ReadStored(const SettingKey& key) const {
  std::string text;
  if (!ReadRaw(key, &text)) return std::nullopt;
  return text;
}

int SettingsFile::ReadInt(const SettingKey& key, int def) const {
  std::string text;
  return ReadRaw(key, &text) ? ParseProfileInt(text, def) : def;
}

bool SettingsFile::ReadBool(const SettingKey& key) const {
  std::string text;
  const bool def = key.intDefault != 0;
  return ReadRaw(key, &text) ? ParseProfileBool(text, def) : def;
}

void SettingsFile::WriteString(const SettingKey& key, const std::string& value) const {
  if (!WritePrivateProfileStringA(key.section, key.key, value.c_str(), path_.c_str())) {
    throw BexError(path_ + " に書き込めません");
  }
}

void SettingsFile::WriteInt(const SettingKey& key, int value) const {
  WriteString(key, std::to_string(value));
}

void SettingsFile::WriteBool(const SettingKey& key, bool value) const {
  WriteString(key, value ? "1" : "0");
}

}  // namespace bex
