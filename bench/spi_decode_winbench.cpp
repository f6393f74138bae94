// Times GetPicture of one Susie plug-in on one file, as the viewer calls it:
// prints each run's milliseconds, then the fastest, the median and the
// slowest (tools/codecbench.sh sets them beside the library's own decode
// of the same file natively).
//   spi_decode_winbench.exe <plug-in> <file> [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using GetPictureFn = int(WINAPI*)(LPCSTR, LONG, UINT, HLOCAL*, HLOCAL*, FARPROC, LONG);

double Now() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return double(count.QuadPart) / double(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::printf("usage: spi_decode_winbench <plug-in> <file> [runs]\n");
    return 2;
  }
  const HMODULE plugin = LoadLibraryA(argv[1]);
  const auto getPicture = plugin ? reinterpret_cast<GetPictureFn>(reinterpret_cast<void*>(
                                       GetProcAddress(plugin, "GetPicture")))
                                 : nullptr;
  if (!getPicture) {
    std::printf("cannot load %s\n", argv[1]);
    return 1;
  }
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    HLOCAL info = nullptr, pixels = nullptr;
    const double start = Now();
    if (getPicture(argv[2], 0, 0, &info, &pixels, nullptr, 0) != 0) {
      std::printf("cannot decode %s\n", argv[2]);
      return 1;
    }
    ms.push_back((Now() - start) * 1e3);
    GlobalFree(pixels);
    GlobalFree(info);
    std::printf("run %d: %.1f ms\n", i + 1, ms.back());
  }
  std::sort(ms.begin(), ms.end());
  std::printf("min %.1f median %.1f max %.1f ms\n", ms.front(), ms[ms.size() / 2], ms.back());
  return 0;
}
