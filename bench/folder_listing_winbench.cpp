// Listing and sorting a folder of 100 000 files, beside the bare directory
// enumeration of the same folder in the same run. Usage:
//   folder_listing_winbench <folder> [files]   (the folder is filled once)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "filelist/file_list.h"
#include "filelist/folder_listing_win.h"

namespace {

void FillFolder(const std::string& folder, int count) {
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string marker = folder + "\\.filled-" + std::to_string(count);
  if (GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES) return;
  for (int i = 0; i < count; ++i) {
    char name[64];
    std::snprintf(name, sizeof(name), "\\IMG_%06d.JPG", (i * 7919) % count);
    HANDLE h = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  CloseHandle(CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}

size_t BareEnumeration() {
  size_t n = 0;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(L"*.*", &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    ++n;
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return n;
}

size_t ListAndSort(int sortKind) {
  std::vector<bex::FileEntry> files = bex::ListCurrentFolder();
  bex::SortFileList(files, sortKind, bex::kSortAscending, bex::PlacesInExplorerOrder);
  return files.size();
}

template <typename F>
double MedianMs(F run, int rounds) {
  std::vector<double> ms;
  LARGE_INTEGER freq, a, b;
  QueryPerformanceFrequency(&freq);
  for (int i = 0; i < rounds; ++i) {
    QueryPerformanceCounter(&a);
    run();
    QueryPerformanceCounter(&b);
    ms.push_back(1000.0 * (b.QuadPart - a.QuadPart) / freq.QuadPart);
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: folder_listing_winbench <folder> [files]\n");
    return 2;
  }
  const int count = argc > 2 ? std::atoi(argv[2]) : 100000;
  FillFolder(argv[1], count);
  SetCurrentDirectoryA(argv[1]);
  BareEnumeration();  // warm the directory cache
  const int rounds = 7;
  // Interleaved rounds, so both see the same machine load.
  std::vector<double> bare, listed, explorer;
  for (int i = 0; i < rounds; ++i) {
    bare.push_back(MedianMs(BareEnumeration, 1));
    listed.push_back(MedianMs([] { ListAndSort(bex::kSortByName); }, 1));
    explorer.push_back(MedianMs([] { ListAndSort(bex::kSortByExplorerOrder); }, 1));
  }
  std::sort(bare.begin(), bare.end());
  std::sort(listed.begin(), listed.end());
  std::sort(explorer.begin(), explorer.end());
  const double b = bare[rounds / 2];
  const double l = listed[rounds / 2];
  const double e = explorer[rounds / 2];
  std::printf("files: %d\nbare enumeration: %.1f ms (median of %d)\n", count, b, rounds);
  std::printf("list and sort by name: %.1f ms (median of %d)\nratio: %.2f (goal <= 1.20)\n", l,
              rounds, l / b);
  std::printf("list and sort in Explorer's order: %.1f ms (median of %d)\nratio: %.2f\n", e, rounds,
              e / b);
  return 0;
}
