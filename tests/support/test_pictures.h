// Pictures and folders for the end-to-end tests: files in the test plug-ins'
// own format and what the trace plug-in records about them, and a coordinate
// picture whose every pixel names its own position, so that one pixel on the
// screen tells how far a picture has been scrolled.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/bmp_writer.h"

namespace bex::test {

// A one-coloured picture in the test plug-ins' format:
// "BEXTEST1 <width> <height> <variant>\n" and the RGB triples, top row first.
void WriteTestPicture(const std::string& path, int width, int height, Rgb colour,
                      const std::string& variant = "plain");

// What the trace plug-in (testspi/trace.spi) records in the viewers started
// while this object lives: it names the log in BEX_SPI_TRACE and, given a
// window class, asks for a "Shown <caption> <RRGGBB>" line before each decode
// and a "Loaded <caption> <RRGGBB>" line when a plug-in helper loads it.
class PluginTrace {
 public:
  explicit PluginTrace(std::string log, const char* windowClass = nullptr);
  ~PluginTrace();
  PluginTrace(const PluginTrace&) = delete;
  PluginTrace& operator=(const PluginTrace&) = delete;

  // The "Shown" and "GetPicture <name>" lines, in order, each name without
  // its folder.
  std::vector<std::string> Decodes() const { return Lines({"Shown ", "GetPicture "}); }
  // The lines that start with one of the calls, in order, the names of
  // "GetPicture" lines without their folders.
  std::vector<std::string> Lines(const std::vector<std::string>& calls) const;
  // The names GetPicture was called with, without their folders.
  std::vector<std::string> DecodedNames() const { return NamesOf("GetPicture "); }
  // The names whose GetPicture got as far as handing the picture over
  // (unruly.spi alone says so).
  std::vector<std::string> FinishedNames() const { return NamesOf("Finished "); }

 private:
  std::vector<std::string> NamesOf(const std::string& call) const;
  std::string log_;
};

// The colour of pixel (x, y) of a coordinate picture (x and y below 4096).
Rgb CoordinateColour(int x, int y);
// The position whose coordinate colour is the given screen colour.
POINT CoordinateOf(COLORREF colour);
// A coordinate picture of the given size as a Windows bitmap.
void WriteCoordinateBmp(const std::string& path, int width, int height);

// 0x00BBGGRR, as the screen's pixels compare.
COLORREF ColourRef(Rgb colour);

// The running test's name, fit for a folder name (parameterised names hold "/").
std::string TestLabel();
// A new scratch folder named after the running test.
std::string ScratchFolderForTest();

}  // namespace bex::test
