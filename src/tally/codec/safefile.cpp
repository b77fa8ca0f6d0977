#include "tally/codec/safefile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::safefile {

namespace {

std::atomic<bool> anonymousAllowed{true};
std::atomic<unsigned> serialCounter{0};

// Never more kept copies of one file than this; the search stops there.
constexpr unsigned kMaxKept = 10000;

struct Split {
    std::string dir;  // with its trailing '/', or empty for the current folder
    std::string base;
};

Split split(const std::string &path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {std::string(), path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

const char *dirOrDot(const std::string &dir) { return dir.empty() ? "." : dir.c_str(); }

// A rename must reach the disk too before we call the file saved; a file
// system that cannot sync a folder still renamed it.
void syncFolder(const std::string &dir)
{
    const int fd = ::open(dirOrDot(dir), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The PID in a temporary's name, when the name is one of ours for `base`.
std::optional<long> temporaryPid(const std::string &name, const std::string &base)
{
    const std::string prefix = "." + base + ".";
    const std::string suffix = ".tmp";
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return std::nullopt;
    const std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const auto dash = middle.find('-');
    if (dash == 0 || dash == std::string::npos || dash + 1 == middle.size() || dash > 10 ||
        middle.size() - dash - 1 > 10)
        return std::nullopt;
    for (std::size_t i = 0; i < middle.size(); ++i)
        if (i != dash && (middle[i] < '0' || middle[i] > '9'))
            return std::nullopt;
    const long long pid = std::atoll(middle.substr(0, dash).c_str());
    // kill() takes 0 and negative numbers as process groups: only a plain PID.
    if (pid < 2 || pid > INT_MAX)
        return std::nullopt;
    return long(pid);
}

bool processGone(long pid)
{
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

bool renameNoReplace(const std::string &from, const std::string &to)
{
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    // A hard link never replaces anything either.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
        return false;
    // No hard links on this file system: look first, then rename.
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

} // namespace

void setAnonymousFiles(bool allowed) { anonymousAllowed = allowed; }

std::string temporaryName(const std::string &path, long pid, unsigned serial)
{
    const Split s = split(path);
    return s.dir + "." + s.base + "." + std::to_string(pid) + "-" + std::to_string(serial) + ".tmp";
}

int sweepStale(const std::string &path)
{
    const Split s = split(path);
    if (s.base.empty())
        return 0;
    DIR *d = ::opendir(dirOrDot(s.dir));
    if (!d)
        return 0;
    std::vector<std::string> stale;
    const long self = long(::getpid());
    while (const dirent *e = ::readdir(d)) {
        const std::string name = e->d_name;
        const auto pid = temporaryPid(name, s.base);
        if (!pid || *pid == self || !processGone(*pid))
            continue;
        struct stat st;
        if (::fstatat(::dirfd(d), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            stale.push_back(name);
    }
    int removed = 0;
    for (const std::string &name : stale)
        if (::unlinkat(::dirfd(d), name.c_str(), 0) == 0)
            ++removed;
    ::closedir(d);
    return removed;
}

std::unique_ptr<Replacement> Replacement::create(const std::string &path)
{
    if (path.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    // Replace what the name points at, keeping an existing file's mode; an
    // existing file we may not write stays as it is.
    std::string target = path;
    mode_t keepMode = 0;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
            return nullptr;
        }
        if (::access(path.c_str(), W_OK) != 0)
            return nullptr;
        keepMode = st.st_mode & 07777;
        if (char *real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    } else if (errno != ENOENT) {
        return nullptr;
    }
    const Split s = split(target);
    if (s.base.empty()) {
        errno = EISDIR;
        return nullptr;
    }
    sweepStale(target);

    // An anonymous file can only be linked in through /proc without
    // privileges.
    if (anonymousAllowed && ::access("/proc/self/fd", X_OK) == 0) {
        const int fd = ::open(dirOrDot(s.dir), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            if (keepMode != 0)
                ::fchmod(fd, keepMode);
            return std::unique_ptr<Replacement>(new Replacement(fd, target, std::string()));
        }
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temp = temporaryName(target, long(::getpid()), ++serialCounter);
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return nullptr;
        }
        if (keepMode != 0)
            ::fchmod(fd, keepMode);
        return std::unique_ptr<Replacement>(new Replacement(fd, target, temp));
    }
    errno = EEXIST;
    return nullptr;
}

Replacement::Replacement(int fd, std::string target, std::string temp)
    : fd_(fd), target_(std::move(target)), temp_(std::move(temp)), anonymous_(temp_.empty())
{
    buffer_.reserve(kBufferSize);
}

Replacement::~Replacement() { discard(); }

bool Replacement::write(const void *data, std::size_t n)
{
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    const auto *bytes = static_cast<const std::uint8_t *>(data);
    if (buffer_.size() + n > kBufferSize) {
        if (!flush())
            return false;
        if (n >= kBufferSize)
            return writeAll(bytes, n);
    }
    buffer_.insert(buffer_.end(), bytes, bytes + n);
    return true;
}

bool Replacement::flush()
{
    const bool ok = writeAll(buffer_.data(), buffer_.size());
    buffer_.clear();
    return ok;
}

bool Replacement::writeAll(const std::uint8_t *data, std::size_t n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd_, data, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += w;
        n -= std::size_t(w);
    }
    return true;
}

bool Replacement::linkInPlace()
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    // No file there yet: the complete file appears under its name at once.
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target_.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno != EEXIST)
        return false;
    // A link cannot replace a file; a rename can. A kill between the two
    // steps leaves a complete temporary that the next writer removes.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temp = temporaryName(target_, long(::getpid()), ++serialCounter);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temp_ = temp;
            break;
        }
        if (errno != EEXIST)
            return false;
    }
    if (temp_.empty()) {
        errno = EEXIST;
        return false;
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0)
        return false;
    temp_.clear();
    return true;
}

bool Replacement::commit()
{
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    // The data must be on disk before the name points at it.
    bool ok = flush() && ::fsync(fd_) == 0;
    if (ok && anonymous_) {
        ok = linkInPlace();
    } else if (ok) {
        ok = ::close(fd_) == 0;
        fd_ = -1;
        if (ok && ::rename(temp_.c_str(), target_.c_str()) == 0)
            temp_.clear();
        else
            ok = false;
    }
    if (!ok) {
        discard();
        return false;
    }
    if (fd_ >= 0) {
        // Synced and in place: nothing a late close could report is lost.
        ::close(fd_);
        fd_ = -1;
    }
    syncFolder(split(target_).dir);
    return true;
}

void Replacement::discard()
{
    const int err = errno;
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
    buffer_.clear();
    errno = err;
}

bool replaceWith(const std::string &path, const void *data, std::size_t n)
{
    std::unique_ptr<Replacement> r = Replacement::create(path);
    return r && r->write(data, n) && r->commit();
}

std::optional<std::string> keepAside(const std::string &path, const std::string &suffix)
{
    for (unsigned n = 0; n < kMaxKept; ++n) {
        std::string candidate = path + suffix;
        if (n > 0)
            candidate.append(".").append(std::to_string(n));
        if (renameNoReplace(path, candidate))
            return candidate;
        if (errno != EEXIST)
            return std::nullopt;
    }
    errno = EEXIST;
    return std::nullopt;
}

bool sameFile(const std::string &a, const std::string &b)
{
    struct stat sa, sb;
    return !a.empty() && !b.empty() && ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace quillet::safefile
