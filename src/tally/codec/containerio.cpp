#include "tally/codec/containerio.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::container {

namespace {

class FileInput : public Input {
public:
    explicit FileInput(int fd) : fd_(fd) {}
    ~FileInput() override { ::close(fd_); }

    std::optional<std::size_t> read(std::uint8_t *buf, std::size_t n) override
    {
        std::size_t got = 0;
        while (got < n) {
            const ssize_t r = ::read(fd_, buf + got, n - got);
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                return std::nullopt;
            }
            if (r == 0)
                break;
            got += std::size_t(r);
        }
        return got;
    }

    bool seek(std::uint64_t offset) override
    {
        return offset <= std::uint64_t(LLONG_MAX) && ::lseek(fd_, off_t(offset), SEEK_SET) >= 0;
    }

private:
    int fd_;
};

class StreamInput : public Input {
public:
    StreamInput(std::istream &in, std::istream::pos_type start) : in_(in), start_(start) {}

    std::optional<std::size_t> read(std::uint8_t *buf, std::size_t n) override
    {
        if (n == 0)
            return 0;
        in_.read(reinterpret_cast<char *>(buf), std::streamsize(n));
        const auto got = std::size_t(in_.gcount());
        if (in_.bad())
            return std::nullopt;
        return got;
    }

    bool seek(std::uint64_t offset) override
    {
        in_.clear();
        in_.seekg(start_ + std::streamoff(offset));
        return !in_.fail();
    }

private:
    std::istream &in_;
    std::istream::pos_type start_;
};

// Writes through a buffer to a temporary file that replaces the target on
// commit.
class FileOutput : public Output {
public:
    FileOutput(int fd, std::string temp, std::string target)
        : fd_(fd), temp_(std::move(temp)), target_(std::move(target))
    {
        buffer_.reserve(kBufferSize);
    }
    ~FileOutput() override { discard(); }

    bool write(const std::uint8_t *data, std::size_t n) override
    {
        if (fd_ < 0)
            return false;
        if (buffer_.size() + n > kBufferSize) {
            if (!flush())
                return false;
            if (n >= kBufferSize)
                return writeAll(data, n);
        }
        buffer_.insert(buffer_.end(), data, data + n);
        return true;
    }

    bool commit() override
    {
        if (fd_ < 0 || !flush())
            return false;
        // The data must be on disk before the name points at it.
        const bool synced = ::fsync(fd_) == 0;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        if (!synced || !closed || ::rename(temp_.c_str(), target_.c_str()) != 0)
            return false;
        temp_.clear();
        return true;
    }

    void discard() override
    {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
        if (!temp_.empty()) {
            ::unlink(temp_.c_str());
            temp_.clear();
        }
    }

private:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    bool flush()
    {
        const bool ok = writeAll(buffer_.data(), buffer_.size());
        buffer_.clear();
        return ok;
    }

    bool writeAll(const std::uint8_t *data, std::size_t n)
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

    int fd_;
    std::string temp_;
    std::string target_;
    std::vector<std::uint8_t> buffer_;
};

class StreamOutput : public Output {
public:
    explicit StreamOutput(std::ostream &out) : out_(out) {}

    bool write(const std::uint8_t *data, std::size_t n) override
    {
        out_.write(reinterpret_cast<const char *>(data), std::streamsize(n));
        return out_.good();
    }

    bool commit() override
    {
        out_.flush();
        return out_.good();
    }

    void discard() override {}

private:
    std::ostream &out_;
};

} // namespace

std::optional<std::uint64_t> fileSize(const std::string &path)
{
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode) || st.st_size < 0)
        return std::nullopt;
    return std::uint64_t(st.st_size);
}

std::optional<std::uint64_t> streamSize(std::istream &in)
{
    if (!in.good())
        return std::nullopt;
    const auto here = in.tellg();
    if (here == std::istream::pos_type(-1))
        return std::nullopt;
    in.seekg(0, std::ios::end);
    const auto end = in.tellg();
    in.clear();
    in.seekg(here);
    if (end == std::istream::pos_type(-1) || in.fail() || end < here)
        return std::nullopt;
    return std::uint64_t(end - here);
}

std::unique_ptr<Input> openFileInput(const std::string &path)
{
    if (path.empty())
        return nullptr;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    return std::make_unique<FileInput>(fd);
}

std::unique_ptr<Input> openStreamInput(std::istream &in)
{
    const auto start = in.tellg();
    if (start == std::istream::pos_type(-1))
        return nullptr;
    return std::make_unique<StreamInput>(in, start);
}

std::unique_ptr<Output> createFileOutput(const std::string &path)
{
    if (path.empty())
        return nullptr;
    // Replace what the name points at, keeping an existing file's mode; an
    // existing file we may not write stays as it is.
    std::string target = path;
    mode_t keepMode = 0;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || ::access(path.c_str(), W_OK) != 0)
            return nullptr;
        keepMode = st.st_mode & 07777;
        if (char *real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }

    const auto slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temp = dir + "." + base + "." + std::to_string(::getpid()) + "-" +
                                 std::to_string(++counter) + ".tmp";
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return nullptr;
        }
        if (keepMode != 0)
            ::fchmod(fd, keepMode);
        return std::make_unique<FileOutput>(fd, temp, target);
    }
    return nullptr;
}

std::unique_ptr<Output> openStreamOutput(std::ostream &out)
{
    if (out.tellp() == std::ostream::pos_type(-1))
        return nullptr;
    return std::make_unique<StreamOutput>(out);
}

} // namespace quillet::container
