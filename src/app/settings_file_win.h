// The settings file "bex.ini" beside the program, read and written through
// the platform's profile-file functions (case-blind section and key names,
// every write reaching the file at once).
#pragma once

#include <optional>
#include <string>

#include "app/settings_keys.h"

namespace bex {

class SettingsFile {
 public:
  explicit SettingsFile(std::string path) : path_(std::move(path)) {}

  const std::string& Path() const { return path_; }

  std::string ReadString(const SettingKey& key) const;
  // The key's text, or none when the file does not hold the key.
  std::optional<std::string> ReadStored(const SettingKey& key) const;
  int ReadInt(const SettingKey& key) const { return ReadInt(key, key.intDefault); }
  int ReadInt(const SettingKey& key, int def) const;
  bool ReadBool(const SettingKey& key) const;

  // Whether the file holds the key.
  bool Has(const SettingKey& key) const {
    std::string ignored;
    return ReadRaw(key, &ignored);
  }

  // A refused write throws BexError "<path> に書き込めません".
  void WriteString(const SettingKey& key, const std::string& value) const;
  void WriteInt(const SettingKey& key, int value) const;
  void WriteBool(const SettingKey& key, bool value) const;

 private:
  // The raw text of a key, or none when the key is missing.
  bool ReadRaw(const SettingKey& key, std::string* text) const;
  std::string path_;
};

}  // namespace bex
