#include "ini/FileAttributes.h"

#include "ini/Profile.h"
#include "ini/ProfileInternal.h"

#include <string>
#include <unordered_map>
#include <unordered_set>

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::unordered_set<std::string>& Written()
{
    static std::unordered_set<std::string> written;
    return written;
}

std::unordered_map<std::string, bool>& Emulated()
{
    static std::unordered_map<std::string, bool> readOnly;
    return readOnly;
}

} // namespace

DWORD GetFileAttributesA(LPCSTR fileName)
{
    struct stat st {
    };
    if (!fileName || ::stat(fileName, &st) != 0)
        return INVALID_FILE_ATTRIBUTES;
    DWORD attributes = 0;
    bool readOnly = !(st.st_mode & S_IWUSR);
    if (S_ISDIR(st.st_mode)) {
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    } else {
        const std::string path = profile::detail::CanonicalPath(fileName);
        if (Written().count(path) || profile::detail::HasPendingWrites(path))
            attributes |= FILE_ATTRIBUTE_ARCHIVE;
        readOnly = fileattr::EmulatedReadOnly(path).value_or(readOnly);
    }
    if (readOnly)
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

BOOL SetFileAttributesA(LPCSTR fileName, DWORD attributes)
{
    struct stat st {
    };
    if (!fileName || ::stat(fileName, &st) != 0)
        return FALSE;
    mode_t mode = st.st_mode & 07777;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        mode &= ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    if (profile::DryRun()) {
        // Only the owner (or the superuser) could change it for real.
        if (st.st_uid != ::geteuid() && ::geteuid() != 0)
            return FALSE;
        Emulated()[profile::detail::CanonicalPath(fileName)] = !(mode & S_IWUSR);
        return TRUE;
    }
    return ::chmod(fileName, mode) == 0 ? TRUE : FALSE;
}

namespace fileattr {

void NoteWritten(const char* fileName)
{
    if (fileName && *fileName)
        Written().insert(profile::detail::CanonicalPath(fileName));
}

void ResetWritten()
{
    Written().clear();
}

std::optional<bool> EmulatedReadOnly(const std::string& canonicalPath)
{
    const auto it = Emulated().find(canonicalPath);
    if (it == Emulated().end())
        return std::nullopt;
    return it->second;
}

void ForgetEmulated()
{
    Emulated().clear();
}

} // namespace fileattr
