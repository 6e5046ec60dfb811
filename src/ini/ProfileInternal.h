#pragma once

// What the file-attribute emulation needs to know of the INI functions.
#include <string>

namespace profile::detail
{

// One spelling per file: symbolic links and relative parts resolved, so that
// two names of the same file share one cached parse and one pending write.
const std::string& CanonicalPath(const char* path);

// True when the open transaction holds writes for the file.
bool HasPendingWrites(const std::string& canonicalPath);

} // namespace profile::detail
