#include "tally/codec/containerio.h"

#include "tally/codec/safefile.h"

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

// A file output is a replacement of the target, put in place on commit.
class FileOutput : public Output {
public:
    explicit FileOutput(std::unique_ptr<safefile::Replacement> file) : file_(std::move(file)) {}

    bool write(const std::uint8_t *data, std::size_t n) override { return file_->write(data, n); }
    bool commit() override { return file_->commit(); }
    void discard() override { file_->discard(); }

private:
    std::unique_ptr<safefile::Replacement> file_;
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
    auto file = safefile::Replacement::create(path);
    if (!file)
        return nullptr;
    return std::make_unique<FileOutput>(std::move(file));
}

std::unique_ptr<Output> openStreamOutput(std::ostream &out)
{
    if (out.tellp() == std::ostream::pos_type(-1))
        return nullptr;
    return std::make_unique<StreamOutput>(out);
}

} // namespace quillet::container
