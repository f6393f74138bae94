#include "move/recycle_bin_win.h"

#include <oleauto.h>
#include <shellapi.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <optional>
#include <vector>

#include "common/files_win.h"
#include "move/recycled_files.h"
#include "shared/com_scope_win.h"

namespace bex {
namespace {

// The verb of the restore command on Windows. Wine's bin ignores verbs,
// answers success all the same, and takes its own menu command number
// instead, as a number, not as an offset from the first command.
constexpr char kRestoreVerb[] = "undelete";
constexpr UINT kWineRestoreCommand = 301;
constexpr UINT kFirstCommand = 1;

template <typename Interface>
class Held {
 public:
  Held() = default;
  ~Held() {
    if (pointer_) pointer_->Release();
  }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;

  Interface* operator->() const { return pointer_; }
  Interface* Get() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  void** Out() { return reinterpret_cast<void**>(&pointer_); }
  Interface** OutTyped() { return &pointer_; }

 private:
  Interface* pointer_ = nullptr;
};

std::wstring TextOf(STRRET& text, LPCITEMIDLIST item) {
  wchar_t* owned = nullptr;
  if (FAILED(StrRetToStrW(&text, item, &owned))) return {};
  std::wstring result(owned);
  CoTaskMemFree(owned);
  return result;
}

// PID_STG_SIZE of FMTID_Storage.
constexpr DWORD kSizeProperty = 12;

// The entry's time and size as the bin would tell them; none for an entry
// recorded without them.
std::optional<DeletionMark> MarkOf(const UndoEntry& entry) {
  SYSTEMTIME t = {};
  if (entry.deletedAt.empty() ||
      sscanf(entry.deletedAt.c_str(), "%hu-%hu-%hu %hu:%hu:%hu", &t.wYear, &t.wMonth, &t.wDay,
             &t.wHour, &t.wMinute, &t.wSecond) != 6) {
    return std::nullopt;
  }
  DeletionMark mark;
  if (!SystemTimeToVariantTime(&t, &mark.deletedAt)) return std::nullopt;
  mark.size = entry.size;
  wchar_t text[64];
  if (StrFormatKBSizeW(static_cast<LONGLONG>(entry.size), text, 64)) mark.sizeText = text;
  return mark;
}

// Windows writes dates with direction marks around their parts.
std::wstring WithoutMarks(const std::wstring& text) {
  std::wstring plain;
  for (const wchar_t c : text) {
    if (c != 0x200E && c != 0x200F) plain += c;
  }
  return plain;
}

// Deletes a file restored by mistake again, as quietly as it came back.
bool PutBackIntoTheBin(const std::wstring& path) {
  const std::wstring list = path + L'\0';
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = list.c_str();
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  return SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted && !PathExists(path);
}

}  // namespace

// The files of the bin with their item ids, which belong to this object.
class RecycleBinItems {
 public:
  RecycleBinItems() {
    Held<IShellFolder> desktop;
    LPITEMIDLIST bin = nullptr;
    if (FAILED(SHGetDesktopFolder(desktop.OutTyped())) ||
        FAILED(SHGetFolderLocation(nullptr, CSIDL_BITBUCKET, nullptr, 0, &bin))) {
      return;
    }
    desktop->BindToObject(bin, nullptr, IID_IShellFolder2, folder_.Out());
    CoTaskMemFree(bin);
    if (folder_) ReadItems();
  }
  ~RecycleBinItems() {
    for (LPITEMIDLIST item : items_) CoTaskMemFree(item);
  }
  RecycleBinItems(const RecycleBinItems&) = delete;
  RecycleBinItems& operator=(const RecycleBinItems&) = delete;

  // The items that may be the entry's file, the likeliest first.
  std::vector<LPCITEMIDLIST> Candidates(const UndoEntry& entry) const {
    const std::wstring& path = entry.original;
    const std::optional<DeletionMark> mark = MarkOf(entry);
    std::vector<size_t> found;
    if (mark) {
      found = MarkedDeletedFrom(files_, path, *mark);
    } else if (const std::optional<size_t> newest = NewestDeletedFrom(files_, path)) {
      found.push_back(*newest);
    }
    std::vector<LPCITEMIDLIST> items;
    for (const size_t i : found) items.push_back(items_[i]);
    return items;
  }

  // Runs the item's restore command: the verb, then Wine's command number.
  void Restore(HWND owner, LPCITEMIDLIST item, const std::wstring& path) const {
    Held<IContextMenu> menu;
    if (FAILED(folder_->GetUIObjectOf(owner, 1, &item, IID_IContextMenu, nullptr, menu.Out())) ||
        !menu) {
      return;
    }
    HMENU popup = CreatePopupMenu();
    menu->QueryContextMenu(popup, 0, kFirstCommand, 0x7FFF, CMF_NORMAL);
    Invoke(menu.Get(), owner, kRestoreVerb);
    if (!PathExists(path) &&
        GetMenuState(popup, kFirstCommand + kWineRestoreCommand, MF_BYCOMMAND) != UINT(-1)) {
      Invoke(menu.Get(), owner, MAKEINTRESOURCEA(kWineRestoreCommand));
    }
    DestroyMenu(popup);
  }

 private:
  static void Invoke(IContextMenu* menu, HWND owner, LPCSTR verb) {
    CMINVOKECOMMANDINFO command = {};
    command.cbSize = sizeof(command);
    command.fMask = CMIC_MASK_FLAG_NO_UI;
    command.hwnd = owner;
    command.lpVerb = verb;
    command.nShow = SW_SHOWNORMAL;
    menu->InvokeCommand(&command);
  }

  void ReadItems() {
    Held<IEnumIDList> list;
    if (folder_->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                             list.OutTyped()) != S_OK ||
        !list) {
      return;
    }
    const std::optional<UINT> fromColumn = ColumnOf(FMTID_Displaced, PID_DISPLACED_FROM);
    const std::optional<UINT> dateColumn = ColumnOf(FMTID_Displaced, PID_DISPLACED_DATE);
    const std::optional<UINT> sizeColumn = ColumnOf(FMTID_Storage, kSizeProperty);
    if (!fromColumn) return;
    LPITEMIDLIST item = nullptr;
    while (list->Next(1, &item, nullptr) == S_OK) {
      items_.push_back(item);
      RecycledFile file{Detail(item, *fromColumn), Name(item, SHGDN_INFOLDER),
                        Name(item, SHGDN_INFOLDER | SHGDN_FORPARSING), DeletedAt(item, dateColumn)};
      file.size = Size(item);
      if (!file.size && sizeColumn) file.sizeText = Detail(item, *sizeColumn);
      files_.push_back(std::move(file));
    }
  }

  std::optional<UINT> ColumnOf(const GUID& format, DWORD property) const {
    for (UINT column = 0; column < 64; ++column) {
      SHCOLUMNID id;
      if (FAILED(folder_->MapColumnToSCID(column, &id))) return std::nullopt;
      if (id.fmtid == format && id.pid == property) return column;
    }
    return std::nullopt;
  }

  // The size in bytes, where the bin gives it as a number.
  std::optional<uint64_t> Size(LPCITEMIDLIST item) const {
    const SHCOLUMNID id = {FMTID_Storage, kSizeProperty};
    VARIANT value;
    VariantInit(&value);
    std::optional<uint64_t> size;
    if (SUCCEEDED(folder_->GetDetailsEx(item, &id, &value)) &&
        SUCCEEDED(VariantChangeType(&value, &value, 0, VT_UI8))) {
      size = value.ullVal;
    }
    VariantClear(&value);
    return size;
  }

  std::wstring Detail(LPCITEMIDLIST item, UINT column) const {
    SHELLDETAILS details = {};
    if (FAILED(folder_->GetDetailsOf(item, column, &details))) return {};
    return TextOf(details.str, item);
  }

  std::wstring Name(LPCITEMIDLIST item, SHGDNF form) const {
    STRRET name = {};
    if (FAILED(folder_->GetDisplayNameOf(item, form, &name))) return {};
    return TextOf(name, item);
  }

  // The deletion time as a date value, or from its column's text where the
  // bin gives no value (Wine).
  double DeletedAt(LPCITEMIDLIST item, const std::optional<UINT>& dateColumn) const {
    const SHCOLUMNID id = {FMTID_Displaced, PID_DISPLACED_DATE};
    VARIANT value;
    VariantInit(&value);
    if (SUCCEEDED(folder_->GetDetailsEx(item, &id, &value)) && value.vt == VT_DATE) {
      return value.date;
    }
    VariantClear(&value);
    if (!dateColumn) return 0;
    std::wstring text = WithoutMarks(Detail(item, *dateColumn));
    DATE date = 0;
    return SUCCEEDED(VarDateFromStr(text.data(), LOCALE_USER_DEFAULT, 0, &date)) ? date : 0;
  }

  Held<IShellFolder2> folder_;
  std::vector<LPITEMIDLIST> items_;
  std::vector<RecycledFile> files_;
};

RecycleBin::RecycleBin() : items_(std::make_unique<RecycleBinItems>()) {}

RecycleBin::~RecycleBin() = default;

bool RecycleBin::Holds(const UndoEntry& entry) const { return !items_->Candidates(entry).empty(); }

// Files deleted from one path with the same size within the time the bin
// tells (a minute under Wine) are told apart by their content, which only
// shows once a file is back: one that is not the entry's goes into the bin
// again, and the next is tried.
RecycleBin::Restored RecycleBin::Restore(HWND owner, const UndoEntry& entry) const {
  for (LPCITEMIDLIST item : items_->Candidates(entry)) {
    items_->Restore(owner, item, entry.original);
    if (!PathExists(entry.original)) return Restored::kFailed;
    // A file that cannot be read now is taken for the entry's, as before fingerprints.
    const std::optional<uint64_t> fingerprint = ContentFingerprintOf(entry.original);
    if (!entry.fingerprint || !fingerprint || *fingerprint == *entry.fingerprint) {
      return Restored::kRestored;
    }
    if (!PutBackIntoTheBin(entry.original)) return Restored::kFailed;
  }
  return Restored::kNotInTheBin;
}

}  // namespace bex
