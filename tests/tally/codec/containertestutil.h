// Helpers for the container tests: files in a scratch folder and streams
// that misreport their size or fail on demand.
#pragma once

#include "codectestutil.h"
#include "tally/codec/tlzrw1.h"

#include <QDir>
#include <QStringList>

#include <fstream>
#include <iterator>
#include <sstream>
#include <streambuf>

namespace codectest {

inline void writeFile(const std::string &path, const Bytes &data)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char *>(data.data()), std::streamsize(data.size()));
}

inline Bytes readFile(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline bool fileExists(const std::string &path) { return QFileInfo::exists(QString::fromStdString(path)); }

inline QStringList entries(const std::string &dir)
{
    return QDir(QString::fromStdString(dir)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Runs op and returns the text of the ELzrw1Exception it throws, or "" when
// it succeeds.
template <class Op>
std::string failureOf(Op op)
{
    try {
        op();
    } catch (const quillet::ELzrw1Exception &e) {
        return e.what();
    }
    return {};
}

inline Bytes streamCompress(const Bytes &data, quillet::TCompressMode mode)
{
    std::stringstream in(std::string(data.begin(), data.end()));
    std::stringstream out;
    quillet::Tlzrw1 c;
    c.UseStream = true;
    c.InputStream = &in;
    c.OutputStream = &out;
    c.CompressMode = mode;
    c.Compress();
    const std::string s = out.str();
    return Bytes(s.begin(), s.end());
}

inline Bytes streamDecompress(const Bytes &container)
{
    std::stringstream in(std::string(container.begin(), container.end()));
    std::stringstream out;
    quillet::Tlzrw1 c;
    c.UseStream = true;
    c.InputStream = &in;
    c.OutputStream = &out;
    c.Decompress();
    const std::string s = out.str();
    return Bytes(s.begin(), s.end());
}

// An input whose end, when asked for, is `claimed` bytes away, whatever it
// really holds; with failReads every read past its data is an I/O error.
class FakeInput : public std::streambuf {
public:
    FakeInput(Bytes data, std::uint64_t claimed, bool failReads = false)
        : data_(std::move(data)), claimed_(claimed), failReads_(failReads)
    {
        char *base = reinterpret_cast<char *>(data_.data());
        setg(base, base, base + data_.size());
    }

protected:
    int_type underflow() override
    {
        if (failReads_)
            throw std::runtime_error("device error");
        return traits_type::eof();
    }

    pos_type seekoff(off_type off, std::ios::seekdir dir, std::ios::openmode) override
    {
        const off_type here = gptr() - eback() + beyond_;
        const off_type base = dir == std::ios::beg ? 0 : dir == std::ios::cur ? here : off_type(claimed_);
        return seekpos(pos_type(base + off), std::ios::in);
    }

    pos_type seekpos(pos_type pos, std::ios::openmode) override
    {
        const off_type p = off_type(pos);
        if (p < 0)
            return pos_type(off_type(-1));
        const off_type size = off_type(data_.size());
        setg(eback(), eback() + std::min(p, size), egptr());
        beyond_ = p > size ? p - size : 0; // positions past the data read as its end
        return pos;
    }

private:
    Bytes data_;
    std::uint64_t claimed_;
    bool failReads_;
    off_type beyond_ = 0;
};

// An output that takes `room` bytes and then fails, or fails when flushed.
class FailingOutput : public std::streambuf {
public:
    FailingOutput(std::size_t room, bool failFlush) : room_(room), failFlush_(failFlush) {}

protected:
    int_type overflow(int_type ch) override
    {
        if (taken_ >= room_)
            return traits_type::eof();
        ++taken_;
        return ch;
    }

    std::streamsize xsputn(const char *, std::streamsize n) override
    {
        const auto can = std::streamsize(std::min<std::size_t>(std::size_t(n), room_ - taken_));
        taken_ += std::size_t(can);
        return can;
    }

    int sync() override { return failFlush_ ? -1 : 0; }

    pos_type seekoff(off_type, std::ios::seekdir, std::ios::openmode) override
    {
        return pos_type(off_type(taken_));
    }

private:
    std::size_t room_;
    bool failFlush_;
    std::size_t taken_ = 0;
};

} // namespace codectest
