#include "ini/ProfileFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace profile::detail
{

namespace
{

constexpr std::int64_t kMs = 1'000'000;

bool g_coarse = false;

std::int64_t Coarse(std::int64_t ns)
{
    return g_coarse ? ns - ns % (2'000 * kMs) : ns;
}

FileStamp StampOf(const struct stat& st)
{
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.mtimeNs = Coarse(std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec);
    stamp.ctimeNs = Coarse(std::int64_t(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec);
    return stamp;
}

std::string Reason(int error)
{
    return std::strerror(error);
}

std::string DirName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const std::string& bytes)
{
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

void SimulateCoarseTimestamps(bool on)
{
    g_coarse = on;
}

std::int64_t NowNs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return std::int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

int StatFile(const std::string& path, FileStamp& stamp)
{
    struct stat st {
    };
    if (::stat(path.c_str(), &st) != 0) {
        stamp = FileStamp{};
        return errno == ENOENT || errno == ENOTDIR ? 0 : errno;
    }
    stamp = StampOf(st);
    return 0;
}

bool Settled(const FileStamp& stamp, std::int64_t readNs)
{
    // Kernels stamp files from a clock that ticks every few milliseconds, so
    // two changes within one tick carry the same times. Times in whole
    // milliseconds point to a coarse file system (FAT keeps 2 seconds).
    const bool coarse = stamp.mtimeNs % kMs == 0 && stamp.ctimeNs % kMs == 0;
    const std::int64_t granularity = coarse ? 2'000 * kMs : 50 * kMs;
    const std::int64_t lastChange = std::max(stamp.mtimeNs, stamp.ctimeNs);
    return readNs - lastChange > granularity;
}

int ReadFile(const std::string& path, std::string& bytes, FileStamp& stamp)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOTDIR ? ENOENT : errno;
    struct stat st {
    };
    int error = 0;
    if (::fstat(fd, &st) != 0)
        error = errno;
    else if (!S_ISREG(st.st_mode))
        error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    if (error) {
        ::close(fd);
        return error;
    }
    stamp = StampOf(st);
    bytes.clear();
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size())
            bytes.resize(bytes.size() + 4096); // the file grew while we read it
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = errno;
            ::close(fd);
            return error;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    ::close(fd);
    return 0;
}

std::string CheckWritable(const std::string& path)
{
    struct stat st {
    };
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return "Is a folder";
        if (!(st.st_mode & S_IWUSR))
            return "File is read-only";
        if (::access(path.c_str(), W_OK) != 0)
            return Reason(errno);
        return {};
    }
    if (errno != ENOENT)
        return Reason(errno);
    struct stat dir {
    };
    if (::stat(DirName(path).c_str(), &dir) != 0 || !S_ISDIR(dir.st_mode))
        return "Folder not found";
    return {};
}

std::string ReplaceFile(const std::string& path, const std::string& bytes)
{
    if (std::string reason = CheckWritable(path); !reason.empty())
        return reason;
    struct stat old {
    };
    const bool existed = ::stat(path.c_str(), &old) == 0;

    const std::string dir = DirName(path);
    const std::size_t slash = path.rfind('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = dir + "/." + base + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return Reason(errno);

    int error = 0;
    if (existed && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
        (void)::fchown(fd, old.st_uid, old.st_gid); // best effort: only root may
    if (::fchmod(fd, existed ? (old.st_mode & 07777) : NewFileMode()) != 0)
        error = errno;
    if (!error && !WriteAll(fd, bytes))
        error = errno;
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && ::rename(temp.c_str(), path.c_str()) != 0)
        error = errno;
    if (error) {
        ::unlink(temp.c_str());
        return Reason(error);
    }
    // Make the rename itself durable.
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

} // namespace profile::detail
