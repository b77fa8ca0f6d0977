// The container's error texts, in file mode or stream mode.
#pragma once

#include <string>

namespace quillet::container {

struct Texts {
    bool stream;
    std::string in;
    std::string out;

    std::string buffers() const { return "Lzrw1 (de)compression : Failed to get memory for I/O buffers !"; }
    std::string size() const
    {
        return stream ? "Lzrw1 compression : Failed to obtain the size of the input stream !"
                      : "Lzrw1 compression : Failed to obtain the size of : " + in;
    }
    std::string openInput() const
    {
        return stream ? "Lzrw1 (de)compression : Failed to initialize input stream !"
                      : "Lzrw1 (de)compression : Failed to open input file : " + in;
    }
    std::string openOutput() const
    {
        return stream ? "Lzrw1 (de)compression : Failed to initialize output stream !"
                      : "Lzrw1 (de)compression : Failed to open output file : " + out;
    }
    std::string sameFile() const
    {
        return "Lzrw1 (de)compression : the output file " + out + " is the input file " + in +
               " : nothing was written !";
    }
    std::string read() const
    {
        return stream ? "Lzrw1 : Error reading from input stream !"
                      : "Lzrw1 : Error reading from input file : " + in;
    }
    std::string readFast() const { return read() + " (LZRW1/KH)"; }
    std::string readGood() const { return read() + " (LZH)"; }
    std::string write() const
    {
        return stream ? "Lzrw1 : Error writing to output stream !"
                      : "Lzrw1 : Error writing to output file : " + out;
    }
    std::string header() const
    {
        return stream ? "Lzrw1 decompression : input stream contains no valid header !"
                      : in + " : Lzrw1 decompression : this file has no valid header !";
    }
    static std::string mismatchFast()
    {
        return "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
    }
    static std::string mismatchGood()
    {
        return "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !";
    }

    std::string adviseBuffers() const { return "Lzrw1 advise : Error getting I/O buffers"; }
    std::string adviseSize() const
    {
        return stream ? "Lzrw1 advise : can not get size of inputstream !"
                      : "Lzrw1 advise : can not get the size of : " + in;
    }
    std::string adviseOpen() const
    {
        return stream ? "Lzrw1 edvise : can not initialize the input stream!"
                      : "Lzrw1 advise : can open input file : " + in;
    }
    std::string adviseRead() const
    {
        return stream ? "Lzrw1 advise : input stream read error !"
                      : "Lzrw1 advise : read error on input file : " + in;
    }
};

} // namespace quillet::container
