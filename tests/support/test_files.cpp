#include "support/test_files.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "support/desktop.h"

namespace bex::test {

std::optional<std::string> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path) { return std::ifstream(path).good(); }

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  const bool ok =
      file != INVALID_HANDLE_VALUE &&
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size();
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (!ok) throw std::runtime_error("cannot write a file of a wide name");
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string WithoutLineBreaks(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
  return text;
}

std::vector<std::string> NonEmptyLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

std::shared_ptr<void> HoldOpen(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot hold " + path + " open");
  return std::shared_ptr<void>(file, CloseHandle);
}

IniFile& IniFile::Set(const std::string& section, const std::string& key,
                      const std::string& value) {
  auto s = std::find_if(sections_.begin(), sections_.end(),
                        [&](const Section& each) { return each.name == section; });
  if (s == sections_.end()) s = sections_.insert(sections_.end(), Section{section, {}});
  auto k = std::find_if(s->keys.begin(), s->keys.end(),
                        [&](const auto& each) { return each.first == key; });
  if (k == s->keys.end()) {
    s->keys.emplace_back(key, value);
  } else {
    k->second = value;
  }
  return *this;
}

IniFile& IniFile::Set(const std::string& section, const std::string& key, int value) {
  return Set(section, key, std::to_string(value));
}

bool IniFile::Has(const std::string& section, const std::string& key) const {
  return std::any_of(sections_.begin(), sections_.end(), [&](const Section& s) {
    return s.name == section &&
           std::any_of(s.keys.begin(), s.keys.end(), [&](const auto& k) { return k.first == key; });
  });
}

std::string IniFile::Text() const {
  std::string text;
  for (const Section& s : sections_) {
    text += "[" + s.name + "]\r\n";
    for (const auto& [key, value] : s.keys) text += key + "=" + value + "\r\n";
  }
  return text;
}

void IniFile::WriteTo(const std::string& path) const { WriteFileBytes(path, Text()); }

std::string WithoutUtf8Mark(const std::string& content) {
  const std::string mark = kUtf8Mark;
  return content.compare(0, mark.size(), mark) == 0 ? content.substr(mark.size())
                                                    : "(no UTF-8 mark) " + content;
}

std::string ContentOnceSized(const std::string& path, const std::string& expected) {
  std::optional<std::string> content;
  const bool sized = WaitUntil([&] {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        data.nFileSizeHigh != 0 || data.nFileSizeLow != expected.size()) {
      return false;
    }
    // The new file can refuse a reader for a moment, while the writer still
    // holds it to end the replacement: the read is tried again.
    content = ReadFileBytes(path);
    return content.has_value();
  });
  if (!sized) content = ReadFileBytes(path);
  return content.value_or("(none)");
}

}  // namespace bex::test
