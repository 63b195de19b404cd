// The save path's Win32 side: files and folders through wide paths, volume names, and the
// destination's cluster size and free bytes for GetSaveSize.
#include "engine/win/save_win32.h"

#include <string>
#include <vector>

#include "engine/save_size.h"

namespace scavrel {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

class Win32OutputFile : public OutputFile {
 public:
  explicit Win32OutputFile(HANDLE handle) : handle_(handle) {}
  ~Win32OutputFile() override { CloseHandle(handle_); }
  Win32OutputFile(const Win32OutputFile&) = delete;
  Win32OutputFile& operator=(const Win32OutputFile&) = delete;

  bool Write(const void* bytes, size_t length, uint32_t* error) override {
    const auto* at = static_cast<const uint8_t*>(bytes);
    while (length > 0) {
      DWORD part = length > 0x40000000u ? 0x40000000u : static_cast<DWORD>(length);
      DWORD written = 0;
      if (!WriteFile(handle_, at, part, &written, nullptr)) {
        *error = GetLastError();
        return false;
      }
      if (written == 0) {
        *error = ERROR_WRITE_FAULT;
        return false;
      }
      at += written;
      length -= written;
    }
    return true;
  }

 private:
  HANDLE handle_;
};

// Where the folders of a path begin: after "X:\", after "\\server\share\", after
// "\\?\Volume{...}\" or "\\?\X:\".
size_t FirstFolderStart(const std::u16string& path) {
  if (path.size() >= 3 && path[1] == u':' && path[2] == u'\\') return 3;
  if (path.compare(0, 4, u"\\\\?\\") == 0) {
    size_t end = path.find(u'\\', 4);
    return end == std::u16string::npos ? path.size() : end + 1;
  }
  if (path.compare(0, 2, u"\\\\") == 0) {
    size_t server_end = path.find(u'\\', 2);
    if (server_end == std::u16string::npos) return path.size();
    size_t share_end = path.find(u'\\', server_end + 1);
    return share_end == std::u16string::npos ? path.size() : share_end + 1;
  }
  return path.empty() || path[0] != u'\\' ? 0 : 1;
}

}  // namespace

// Plain Win32 paths stop at MAX_PATH (248 characters for a folder): a deep tree saved below
// a deep destination would lose every file past that. The "\\?\" form reaches 32,767
// characters, but the system no longer tidies it (no "." or ".." resolved, no '/' taken for
// '\'), so the path is made full and tidy first, then given the prefix. Volume-name and
// device paths already carry it.
std::u16string LongPathForm(const std::u16string& path) {
  if (path.compare(0, 4, u"\\\\?\\") == 0 || path.compare(0, 4, u"\\\\.\\") == 0) return path;
  std::u16string full = path;
  std::vector<wchar_t> buffer(path.size() + MAX_PATH + 1, L'\0');
  DWORD length = GetFullPathNameW(Wide(path), static_cast<DWORD>(buffer.size()), buffer.data(),
                                  nullptr);
  if (length >= buffer.size()) {
    buffer.assign(length + 1, L'\0');
    length = GetFullPathNameW(Wide(path), static_cast<DWORD>(buffer.size()), buffer.data(),
                              nullptr);
  }
  if (length > 0 && length < buffer.size()) {
    full.assign(reinterpret_cast<const char16_t*>(buffer.data()), length);
  }
  if (full.compare(0, 2, u"\\\\") == 0) return u"\\\\?\\UNC\\" + full.substr(2);
  if (full.size() >= 3 && full[1] == u':' && full[2] == u'\\') return u"\\\\?\\" + full;
  return full;  // relative or odd: as the system takes it
}

namespace {

bool IsFolder(const std::u16string& path) {
  DWORD attributes = GetFileAttributesW(Wide(LongPathForm(path)));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool Win32SaveOutput::Exists(const std::u16string& path) {
  return GetFileAttributesW(Wide(LongPathForm(path))) != INVALID_FILE_ATTRIBUTES;
}

// MakeSureDirectoryPathExists, in wide text: the ANSI one cannot create folders whose names
// the code page does not hold.
bool Win32SaveOutput::MakeFolders(const std::u16string& path, uint32_t* error,
                                  bool* made_last) {
  if (made_last != nullptr) *made_last = false;
  size_t end = path.find(u'\\', FirstFolderStart(path));
  while (end != std::u16string::npos) {
    if (end > 0 && path[end - 1] != u'\\') {
      std::u16string folder = path.substr(0, end);
      const bool made = CreateDirectoryW(Wide(LongPathForm(folder)), nullptr) != 0;
      if (!made) {
        DWORD code = GetLastError();
        if (code != ERROR_ALREADY_EXISTS || !IsFolder(folder)) {
          *error = code;
          return false;
        }
      }
      if (made_last != nullptr) *made_last = made;
    }
    end = path.find(u'\\', end + 1);
  }
  return true;
}

// A save creates its files folder by folder: the folder's path is made full once, and each
// file's name (a safe output name: no separators, no trailing dots or spaces, nothing that
// tidying would change) is put after it.
std::u16string Win32SaveOutput::LongFilePath(const std::u16string& path) {
  const size_t slash = path.rfind(u'\\');
  if (slash == std::u16string::npos || slash + 1 == path.size()) return LongPathForm(path);
  const std::u16string name = path.substr(slash + 1);
  // A relative path is left whole: it depends on the current folder, which may change.
  const bool absolute = (path.size() >= 3 && path[1] == u':' && path[2] == u'\\') ||
                        path.compare(0, 2, u"\\\\") == 0;
  const bool plain = absolute && name != u"." && name != u".." &&
                     name.find(u'/') == std::u16string::npos && name.back() != u'.' &&
                     name.back() != u' ';
  if (!plain) return LongPathForm(path);
  std::lock_guard<std::mutex> hold(folder_lock_);
  if (path.compare(0, slash + 1, folder_) != 0 || folder_.size() != slash + 1) {
    folder_ = path.substr(0, slash + 1);
    long_folder_ = LongPathForm(folder_);
    if (long_folder_.empty() || long_folder_.back() != u'\\') long_folder_ += u'\\';
  }
  return long_folder_ + name;
}

std::unique_ptr<OutputFile> Win32SaveOutput::Create(const std::u16string& path, bool replace,
                                                    uint32_t* error) {
  HANDLE handle = CreateFileW(Wide(LongFilePath(path)), FILE_ALL_ACCESS, FILE_SHARE_WRITE, nullptr,
                              replace ? CREATE_ALWAYS : CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *error = GetLastError();
    return nullptr;
  }
  return std::make_unique<Win32OutputFile>(handle);
}

bool Win32SaveOutput::VolumeNameOf(const std::u16string& root, std::u16string* name,
                                   uint32_t* error) {
  wchar_t buffer[1000] = {};
  if (!GetVolumeNameForVolumeMountPointW(Wide(root), buffer, 1000)) {
    *error = GetLastError();
    return false;
  }
  buffer[999] = L'\0';
  name->assign(reinterpret_cast<const char16_t*>(buffer));
  return !name->empty();
}

bool Win32SaveOutput::PathOfVolume(const std::u16string& volume_name, std::u16string* path) {
  std::vector<wchar_t> buffer(1000, L'\0');
  DWORD needed = 0;
  if (!GetVolumePathNamesForVolumeNameW(Wide(volume_name), buffer.data(),
                                        static_cast<DWORD>(buffer.size()), &needed)) {
    if (GetLastError() != ERROR_MORE_DATA || needed == 0 || needed > 1 << 20) return false;
    buffer.assign(needed + 1, L'\0');
    if (!GetVolumePathNamesForVolumeNameW(Wide(volume_name), buffer.data(),
                                          static_cast<DWORD>(buffer.size()), &needed)) {
      return false;
    }
  }
  buffer.back() = L'\0';
  // A list of zero-terminated paths; the first is the drive root when the volume has one.
  path->assign(reinterpret_cast<const char16_t*>(buffer.data()));
  return !path->empty();
}

Win32SaveOutput& TheWin32SaveOutput() {
  static Win32SaveOutput output;
  return output;
}

namespace {
const bool g_save_output_installed = [] {
  SetSaveOutput(&TheWin32SaveOutput());
  return true;
}();
}  // namespace

bool GetSaveSizeWin32(const Engine& engine, const char* destination, const FoundNode* node,
                      uint64_t* size) {
  if (destination == nullptr || size == nullptr) return false;
  char volume_path[1000] = {};
  if (!GetVolumePathNameA(destination, volume_path, sizeof(volume_path))) return false;
  DWORD sectors_per_cluster = 0, bytes_per_sector = 0, free_clusters = 0, clusters = 0;
  if (!GetDiskFreeSpaceA(volume_path, &sectors_per_cluster, &bytes_per_sector, &free_clusters,
                         &clusters)) {
    return false;
  }
  ULARGE_INTEGER free_to_caller{}, total{}, total_free{};
  if (!GetDiskFreeSpaceExA(volume_path, &free_to_caller, &total, &total_free)) return false;
  DestinationSpace space;
  space.sectors_per_cluster = sectors_per_cluster;
  space.bytes_per_sector = bytes_per_sector;
  space.free_to_caller = free_to_caller.QuadPart;
  return CheckSaveSize(engine, space, node, size);
}

}  // namespace scavrel
