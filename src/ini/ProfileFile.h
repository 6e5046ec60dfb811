#pragma once

// File-system side of the INI functions: what identifies a file's version,
// reading it whole, and replacing it atomically.
#include <cstdint>
#include <string>

namespace profile::detail
{

// What tells one version of a file from another. Two reads that see equal
// stamps saw the same content, unless the copy was taken within the file
// system's timestamp granularity of the last change (see Settled).
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t mtimeNs = 0, ctimeNs = 0;

    bool operator==(const FileStamp& o) const
    {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
               mtimeNs == o.mtimeNs && ctimeNs == o.ctimeNs;
    }
    bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

std::int64_t NowNs();

// Tests: stamps read from now on carry times rounded down to 2 seconds, as a
// FAT file system keeps them, so that two changes close together look alike.
void SimulateCoarseTimestamps(bool on);

// 0 on success (a missing file gives a stamp with exists false), else errno.
int StatFile(const std::string& path, FileStamp& stamp);

// True when a copy read at `readNs` can be trusted for as long as the stamp
// stays the same: the last change lies far enough before the read that a
// later change cannot share its timestamps (the racy case git guards against).
bool Settled(const FileStamp& stamp, std::int64_t readNs);

// Reads a whole regular file. Returns 0, ENOENT for a missing file, or errno.
int ReadFile(const std::string& path, std::string& bytes, FileStamp& stamp);

// Empty when a write may go ahead, else a short reason. A file that exists
// must carry its owner's write bit (Windows' read-only attribute), even for
// the superuser; the folder must exist.
std::string CheckWritable(const std::string& path);

// Writes a temporary file beside `path`, flushes it to disk, gives it the old
// file's permissions and renames it over `path`. The old file stays whole on
// any failure. Returns an empty text or a short reason.
std::string ReplaceFile(const std::string& path, const std::string& bytes);

} // namespace profile::detail
