#include "support/test_pictures.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <utility>

#include "support/test_files.h"
#include "support/wine_paths.h"

namespace bex::test {

void WriteTestPicture(const std::string& path, int width, int height, Rgb colour,
                      const std::string& variant) {
  std::string bytes =
      "BEXTEST1 " + std::to_string(width) + " " + std::to_string(height) + " " + variant + "\n";
  for (int i = 0; i < width * height; ++i) {
    bytes += static_cast<char>(colour.r);
    bytes += static_cast<char>(colour.g);
    bytes += static_cast<char>(colour.b);
  }
  WriteFileBytes(path, bytes);
}

PluginTrace::PluginTrace(std::string log, const char* windowClass) : log_(std::move(log)) {
  SetEnvironmentVariableA("BEX_SPI_TRACE", log_.c_str());
  SetEnvironmentVariableA("BEX_SPI_TRACE_WINDOW", windowClass);
}

PluginTrace::~PluginTrace() {
  SetEnvironmentVariableA("BEX_SPI_TRACE", nullptr);
  SetEnvironmentVariableA("BEX_SPI_TRACE_WINDOW", nullptr);
}

namespace {

// The file named in a trace line of call, without its folder.
std::string NameOfCall(const std::string& line, const std::string& call) {
  const std::string path = line.substr(call.size());
  return path.substr(path.find_last_of('\\') + 1);
}

}  // namespace

// The modules are given full paths; the tests name the files of their folder.
std::vector<std::string> PluginTrace::Lines(const std::vector<std::string>& calls) const {
  const std::string decode = "GetPicture ";
  std::vector<std::string> lines;
  for (const std::string& line : NonEmptyLines(ReadFileBytes(log_).value_or(""))) {
    const auto isCall = [&](const std::string& call) { return line.rfind(call, 0) == 0; };
    if (std::none_of(calls.begin(), calls.end(), isCall)) continue;
    lines.push_back(isCall(decode) ? decode + NameOfCall(line, decode) : line);
  }
  return lines;
}

std::vector<std::string> PluginTrace::NamesOf(const std::string& call) const {
  std::vector<std::string> names;
  for (const std::string& line : NonEmptyLines(ReadFileBytes(log_).value_or(""))) {
    if (line.rfind(call, 0) == 0) names.push_back(NameOfCall(line, call));
  }
  return names;
}

// Red and green carry the low eight bits of x and y, blue their high nibbles.
Rgb CoordinateColour(int x, int y) {
  return {static_cast<uint8_t>(x & 0xFF), static_cast<uint8_t>(y & 0xFF),
          static_cast<uint8_t>((x >> 8 & 0x0F) | (y >> 8 & 0x0F) << 4)};
}

POINT CoordinateOf(COLORREF colour) {
  const int high = GetBValue(colour);
  return {GetRValue(colour) | (high & 0x0F) << 8, GetGValue(colour) | (high >> 4) << 8};
}

void WriteCoordinateBmp(const std::string& path, int width, int height) {
  WriteBmp(path, width, height, CoordinateColour);
}

COLORREF ColourRef(Rgb colour) { return RGB(colour.r, colour.g, colour.b); }

std::string TestLabel() {
  std::string label = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::replace(label.begin(), label.end(), '/', '-');
  return label;
}

std::string ScratchFolderForTest() { return NewScratchFolder(TestLabel()); }

}  // namespace bex::test
