// The shell's folder browser as one call: the user picks a folder, the caller gets its path in
// the ANSI code page (the engine's interface takes ANSI destinations). A test replaces the
// dialog through SetFolderBrowser and answers for the user, so that no window opens.
#pragma once

#include <functional>
#include <string>

#include "forms/Types.h"

namespace forms {

struct TFolderBrowseRequest {
  HWND Owner = nullptr;
  std::wstring Title;       // the text above the folder tree
  std::wstring Root;        // the top of the tree; empty: the desktop
  std::wstring StartFolder; // selected when the dialog opens; empty: none
};

// Shows the browser; true with the chosen folder's path, false when the user cancelled or
// chose something that is no file-system folder.
using TFolderBrowser = std::function<bool(const TFolderBrowseRequest& request, std::wstring& folder)>;

// Replaces the browser for the whole process; an empty function puts the shell's back.
void SetFolderBrowser(TFolderBrowser browser);
// The shell's own browser (SHBrowseForFolderW), whatever SetFolderBrowser installed.
bool ShellBrowseForFolder(const TFolderBrowseRequest& request, std::wstring& folder);

// A wide path in the ANSI code page. A long name with characters the code page lacks goes
// through the path's short (8.3) form, which the file system keeps in plain characters; false
// when neither form converts without loss (the path would name another folder).
bool WidePathToAnsi(const std::wstring& path, std::string& out);

// Asks for a folder with `caption` as the browser's title, the tree rooted at `root` (empty:
// the desktop) and `directory` selected when it names one. True with `directory` set to the
// chosen folder; false (directory unchanged) when cancelled, when the choice is empty, or
// when its path has no ANSI form.
bool SelectDirectory(const std::string& caption, const std::string& root, std::string& directory,
                     HWND owner = nullptr);

}  // namespace forms
