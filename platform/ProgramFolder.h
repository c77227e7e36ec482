#pragma once

#include <string>

namespace platform {

// The folder that holds the running executable, without a trailing separator. Empty when
// the system does not tell us.
std::wstring programFolder();

// The separator between a folder and a name in a path: '\\' on Windows, '/' elsewhere.
wchar_t pathSeparator();

// Where the settings files the program writes go. The program folder when it is writable
// (a build tree, a copied or unpacked program folder); when it is not (an install under
// Program Files or /usr), on Windows %LOCALAPPDATA%\KeyGlow, on Linux $XDG_CONFIG_HOME/keyglow
// or ~/.config/keyglow, created on demand. Falls back to the program folder when neither can be
// used.
std::wstring writableConfigFolder();

// The same choice made for a given program folder.
std::wstring writableConfigFolderFor(const std::wstring& programFolder);

}  // namespace platform
