// Files that are replaced whole or not at all, and files kept aside without
// ever covering an older one. Used for every file the program writes: the
// container's output, the tally file and the settings file.
//
// New contents are written to an anonymous file (O_TMPFILE) in the target's
// folder, which the kernel frees if the process dies, and linked in place
// only once complete. Replacing an existing file takes one named step: the
// complete file gets the hidden name ".NAME.PID-N.tmp" and is renamed over
// NAME. Where the file system has no anonymous files the data goes to that
// name from the start. Either way a name of that form is ours, and the next
// writer of NAME removes it once PID no longer runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillet::safefile {

class Replacement {
public:
    // Null, with errno set, when the target cannot be written: an existing
    // target that is not a regular file or that we may not write, or a
    // folder where no file can be made. A symbolic link is followed: the
    // file it points at is replaced, the link stays.
    static std::unique_ptr<Replacement> create(const std::string &path);
    ~Replacement();

    Replacement(const Replacement &) = delete;
    Replacement &operator=(const Replacement &) = delete;

    bool write(const void *data, std::size_t n);
    // Writes out, syncs and puts the file in place. False (errno set) on any
    // error, the target then as it was.
    bool commit();
    // Gives up; nothing of this replacement stays behind.
    void discard();

    // The file that commit() replaces (symbolic links resolved).
    const std::string &target() const { return target_; }
    bool anonymous() const { return anonymous_; }

private:
    Replacement(int fd, std::string target, std::string temp);
    bool flush();
    bool writeAll(const std::uint8_t *data, std::size_t n);
    bool linkInPlace();

    static constexpr std::size_t kBufferSize = 64 * 1024;
    int fd_;
    std::string target_;
    std::string temp_; // the named temporary while it exists
    bool anonymous_;
    std::vector<std::uint8_t> buffer_;
};

// The whole file replaced by these bytes; false with errno set.
bool replaceWith(const std::string &path, const void *data, std::size_t n);

// The name of a temporary of `path` made by process `pid`.
std::string temporaryName(const std::string &path, long pid, unsigned serial);
// Removes the temporaries of `path` whose process no longer runs; returns
// how many went.
int sweepStale(const std::string &path);

// Moves `path` to path + suffix, or, when that name is taken, to
// path + suffix + ".1", ".2", ... : never over an existing file. The new
// name, or nothing (errno set) when it stays where it is.
std::optional<std::string> keepAside(const std::string &path, const std::string &suffix);

// Whether both names lead to one file (same device and inode, links
// followed, so also hard links and symbolic links). False when either is
// missing.
bool sameFile(const std::string &a, const std::string &b);

// For tests: work as on a file system without anonymous files.
void setAnonymousFiles(bool allowed);

} // namespace quillet::safefile
