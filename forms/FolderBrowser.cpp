// The folder browser: SHBrowseForFolderW with a callback that preselects the start folder,
// and the wide-to-ANSI step with its short-name fallback.
#include "forms/FolderBrowser.h"

#include <shlobj.h>

namespace forms {

namespace {

TFolderBrowser& InstalledBrowser() {
  static TFolderBrowser browser;
  return browser;
}

std::wstring AnsiToWide(const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

// False when a character had no form in the code page (it would come out as '?' or as a
// look-alike that names another file).
bool ConvertExactly(const std::wstring& w, std::string& out) {
  out.clear();
  if (w.empty()) return true;
  UINT cp = GetACP();
  // The UTF-8 code page holds every character and takes neither flag nor default test.
  DWORD flags = cp == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL lossy = FALSE;
  BOOL* lossy_ptr = cp == CP_UTF8 ? nullptr : &lossy;
  int n = WideCharToMultiByte(cp, flags, w.data(), static_cast<int>(w.size()), nullptr, 0,
                              nullptr, lossy_ptr);
  if (n <= 0 || lossy) return false;
  out.resize(static_cast<size_t>(n));
  WideCharToMultiByte(cp, flags, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                      lossy_ptr);
  return !lossy;
}

int CALLBACK BrowseCallback(HWND dialog, UINT msg, LPARAM, LPARAM data) {
  if (msg == BFFM_INITIALIZED && data)
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

}  // namespace

void SetFolderBrowser(TFolderBrowser browser) { InstalledBrowser() = std::move(browser); }

bool ShellBrowseForFolder(const TFolderBrowseRequest& request, std::wstring& folder) {
  // The new-style dialog hosts shell views, which want COM on this thread.
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  PIDLIST_ABSOLUTE root = nullptr;
  if (!request.Root.empty() &&
      FAILED(SHParseDisplayName(request.Root.c_str(), nullptr, &root, 0, nullptr)))
    root = nullptr;
  wchar_t display[MAX_PATH] = L"";
  BROWSEINFOW bi{};
  bi.hwndOwner = request.Owner;
  bi.pidlRoot = root;
  bi.pszDisplayName = display;
  bi.lpszTitle = request.Title.c_str();
  bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  bi.lpfn = BrowseCallback;
  bi.lParam = request.StartFolder.empty() ? 0 : reinterpret_cast<LPARAM>(request.StartFolder.c_str());
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&bi);
  bool ok = false;
  if (chosen) {
    // The browser's path form holds MAX_PATH characters, as the engine's path buffers do.
    wchar_t path[MAX_PATH] = L"";
    if (SHGetPathFromIDListW(chosen, path)) {
      folder.assign(path);
      ok = !folder.empty();
    }
    CoTaskMemFree(chosen);
  }
  if (root) CoTaskMemFree(root);
  if (SUCCEEDED(com)) CoUninitialize();
  return ok;
}

bool WidePathToAnsi(const std::wstring& path, std::string& out) {
  if (ConvertExactly(path, out)) return true;
  DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (n == 0) return false;
  std::wstring shortened(n, L'\0');
  n = GetShortPathNameW(path.c_str(), shortened.data(), n);
  if (n == 0 || n >= shortened.size()) return false;
  shortened.resize(n);
  return ConvertExactly(shortened, out);
}

bool SelectDirectory(const std::string& caption, const std::string& root, std::string& directory,
                     HWND owner) {
  TFolderBrowseRequest request;
  request.Owner = owner ? owner : GetActiveWindow();
  request.Title = AnsiToWide(caption);
  request.Root = AnsiToWide(root);
  request.StartFolder = AnsiToWide(directory);
  std::wstring folder;
  const TFolderBrowser& browser = InstalledBrowser();
  bool chosen = browser ? browser(request, folder) : ShellBrowseForFolder(request, folder);
  if (!chosen || folder.empty()) return false;
  std::string ansi;
  if (!WidePathToAnsi(folder, ansi) || ansi.empty()) return false;
  directory = ansi;
  return true;
}

}  // namespace forms
