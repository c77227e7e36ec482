#pragma once

#include <string>
#include <string_view>

namespace platform {

// Replaces the file at `path` with `bytes` so that the file never exists half-written:
// the bytes go to a temporary file beside the target (temporaryPathFor), are flushed to the
// disk and the temporary file is then renamed over the target. On any failure the temporary
// file is removed, the target keeps its old contents and false is returned. What the user set
// up around the file stays: a symbolic link is followed and its target replaced (the
// temporary file lies in the target's folder), and the new file gets the old one's mode (on
// Windows its attributes and access list).
bool writeFileAtomic(const std::wstring& path, std::string_view bytes);

// The temporary file writeFileAtomic uses for `path`: in the same folder, so that the final
// rename never crosses file systems.
std::wstring temporaryPathFor(const std::wstring& path);

}  // namespace platform
