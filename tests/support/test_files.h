// Files that tests prepare and read back: raw bytes, lines, and settings files
// written in code page 932 (the test sources' Japanese literals are compiled
// to code page 932, so names and values are written as the bytes given).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace bex::test {

// The bytes of a file; none when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::string& path);
// Writes bytes to path, replacing the file; throws std::runtime_error on failure.
void WriteFileBytes(const std::string& path, const std::string& bytes);
// The same for a path of any characters (UTF-16).
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
bool FileExists(const std::string& path);

// The undo journal "UNDO.DAT" is UTF-8 behind a byte order mark.
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
// content after the mark; a content without it is marked as such, so that
// it never equals what the viewer should have written.
std::string WithoutUtf8Mark(const std::string& content);

// The content of a file that another process replaces whole, once it has
// expected's size, or as it is at the deadline ("(none)" without the file).
// The size is read without opening the file: under Wine an open file cannot
// be replaced, and the reader would make the writer fail.
std::string ContentOnceSized(const std::string& path, const std::string& expected);
// text without its LF characters: a message box breaks a long path into
// lines, which a test need not predict.
std::string WithoutLineBreaks(std::string text);
// The lines of a text with CR LF or LF line ends, empty lines left out.
std::vector<std::string> NonEmptyLines(const std::string& text);

// Names of the files in folder, "." and ".." left out.
std::vector<std::string> FilesIn(const std::string& folder);

// Opens a file without sharing, as another program may hold it: nobody else
// can open it until the holder is reset or ends. Throws std::runtime_error
// when the file cannot be opened.
std::shared_ptr<void> HoldOpen(const std::string& path);

// A settings file as a test writes it: sections and keys in the order they
// were first set, CR LF line ends.
class IniFile {
 public:
  // Sets a key, replacing its value when the section already holds it.
  IniFile& Set(const std::string& section, const std::string& key, const std::string& value);
  IniFile& Set(const std::string& section, const std::string& key, int value);
  bool Has(const std::string& section, const std::string& key) const;
  std::string Text() const;
  void WriteTo(const std::string& path) const;

 private:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> keys;
  };
  std::vector<Section> sections_;
};

}  // namespace bex::test
