#pragma once

#include <string>
#include <string_view>

#include "platform/ProgramFolder.h"

namespace kg {

// The settings files are named by the folder, the platform's separator and the file name.
inline std::wstring joinPath(std::wstring_view folder, std::wstring_view name) {
    std::wstring path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    path.push_back(platform::pathSeparator());
    path.append(name);
    return path;
}

}  // namespace kg
