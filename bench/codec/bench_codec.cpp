// Ratio and speed of the Fast and Good codecs next to zlib (levels 1 and 9)
// and lz4 on one corpus, and the peak memory of a container operation on a
// small and a large input (it must not grow with the input). The corpus is
// /usr/include, then /usr/bin, in path order, cut at the requested size.
//
//   bench_codec [--mb N] [--quick] [--save FILE]
// --save writes the corpus to FILE, for profiling a codec on its own.
#include "tally/codec/bytestream.h"
#include "tally/codec/tlzh.h"
#include "tally/codec/tlzr.h"

#include <lz4.h>
#include <zlib.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace quillet;
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

namespace {

// Regular files under `root` in path order, appended to `out` until it
// holds `limit` bytes. Streams through a small buffer, so this process stays
// small for the memory figures.
std::size_t appendTree(std::ofstream &out, std::size_t &written, const fs::path &root, std::size_t limit)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        if (it->is_regular_file(ec) && !it->is_symlink(ec))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    std::size_t used = 0;
    std::vector<char> buf(1 << 16);
    for (const auto &f : files) {
        if (written >= limit)
            break;
        std::ifstream in(f, std::ios::binary);
        while (in && written < limit) {
            in.read(buf.data(), std::streamsize(std::min(buf.size(), limit - written)));
            out.write(buf.data(), in.gcount());
            written += std::size_t(in.gcount());
        }
        ++used;
    }
    return used;
}

Bytes readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// CPU time of the process: the machine is shared with builds, so wall time
// would measure the neighbours as much as the codec.
double cpuNow()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double seconds(const std::function<void()> &f, int runs)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double t0 = cpuNow();
        f();
        best = std::min(best, cpuNow() - t0);
    }
    return best;
}

struct Result {
    const char *name;
    std::size_t packed;
    double compressSeconds;
    double decompressSeconds;
    bool ok;
};

Result benchFast(const Bytes &in, int runs)
{
    TLZR lzr;
    Bytes packed;
    packed.reserve(in.size() + in.size() / 1000 + 64);
    Bytes block(TLZR::kBlockSize + TLZR::kSpare);
    const double c = seconds([&] {
        packed.clear();
        for (std::size_t at = 0; at < in.size(); at += TLZR::kBlockSize) {
            const std::size_t n = std::min(TLZR::kBlockSize, in.size() - at);
            const std::size_t len = lzr.Compress({in.data() + at, n}, block);
            packed.push_back(std::uint8_t(len));
            packed.push_back(std::uint8_t(len >> 8));
            packed.insert(packed.end(), block.begin(), block.begin() + long(len));
        }
    }, runs);
    Bytes out(in.size() + TLZR::kSpare);
    bool ok = true;
    const double d = seconds([&] {
        std::size_t at = 0, produced = 0;
        while (at < packed.size()) {
            const std::size_t len = packed[at] | std::size_t(packed[at + 1]) << 8;
            at += 2;
            const auto n = TLZR::Decompress({packed.data() + at, len}, {out.data() + produced, TLZR::kBlockSize + TLZR::kSpare});
            ok = ok && n.has_value();
            produced += n.value_or(0);
            at += len;
        }
        ok = ok && produced == in.size();
    }, runs);
    ok = ok && std::equal(in.begin(), in.end(), out.begin());
    return {"LZRW1/KH (Fast)", packed.size(), c, d, ok};
}

Result benchGood(const Bytes &in, int runs)
{
    TLZH lzh;
    Bytes packed;
    const double c = seconds([&] {
        packed.clear();
        MemorySource src(in.data(), in.size());
        MemorySink sink(packed);
        lzh.Encode(src, sink);
        sink.finish();
    }, runs);
    Bytes out;
    out.reserve(in.size());
    bool ok = true;
    const double d = seconds([&] {
        out.clear();
        MemorySource src(packed.data(), packed.size());
        MemorySink sink(out);
        ok = lzh.Decode(src, sink, in.size()) == TLZH::DecodeResult::Ok;
        sink.finish();
    }, runs);
    return {"LZH (Good)", packed.size(), c, d, ok && out == in};
}

Result benchZlib(const Bytes &in, int level, int runs)
{
    Bytes packed(compressBound(uLong(in.size())));
    uLongf packedSize = 0;
    const double c = seconds([&] {
        packedSize = uLongf(packed.size());
        compress2(packed.data(), &packedSize, in.data(), uLong(in.size()), level);
    }, runs);
    Bytes out(in.size());
    bool ok = true;
    const double d = seconds([&] {
        uLongf outSize = uLongf(out.size());
        ok = uncompress(out.data(), &outSize, packed.data(), packedSize) == Z_OK && outSize == in.size();
    }, runs);
    return {level == 1 ? "zlib -1" : "zlib -9", packedSize, c, d, ok && out == in};
}

Result benchLz4(const Bytes &in, int runs)
{
    Bytes packed(std::size_t(LZ4_compressBound(int(in.size()))));
    int packedSize = 0;
    const double c = seconds([&] {
        packedSize = LZ4_compress_default(reinterpret_cast<const char *>(in.data()),
                                          reinterpret_cast<char *>(packed.data()), int(in.size()), int(packed.size()));
    }, runs);
    Bytes out(in.size());
    bool ok = true;
    const double d = seconds([&] {
        ok = LZ4_decompress_safe(reinterpret_cast<const char *>(packed.data()), reinterpret_cast<char *>(out.data()),
                                 packedSize, int(out.size())) == int(in.size());
    }, runs);
    return {"lz4 (default)", std::size_t(packedSize), c, d, ok && out == in};
}

// lz4 on the container's 32768-byte blocks, for comparison at the same
// granularity as the Fast codec (each block alone, as the container codes).
Result benchLz4Blocks(const Bytes &in, int runs)
{
    const int bound = LZ4_compressBound(int(TLZR::kBlockSize));
    Bytes packed(in.size() / TLZR::kBlockSize * std::size_t(bound + 2) + std::size_t(bound) + 2);
    std::size_t packedSize = 0;
    const double c = seconds([&] {
        packedSize = 0;
        for (std::size_t at = 0; at < in.size(); at += TLZR::kBlockSize) {
            const int n = int(std::min(TLZR::kBlockSize, in.size() - at));
            const int len = LZ4_compress_default(reinterpret_cast<const char *>(in.data() + at),
                                                 reinterpret_cast<char *>(packed.data() + packedSize + 2), n, bound);
            packed[packedSize] = std::uint8_t(len);
            packed[packedSize + 1] = std::uint8_t(len >> 8);
            packedSize += 2 + std::size_t(len);
        }
    }, runs);
    Bytes out(in.size());
    bool ok = true;
    const double d = seconds([&] {
        std::size_t at = 0, produced = 0;
        while (at < packedSize) {
            const int len = packed[at] | packed[at + 1] << 8;
            const int n = LZ4_decompress_safe(reinterpret_cast<const char *>(packed.data() + at + 2),
                                              reinterpret_cast<char *>(out.data() + produced), len,
                                              int(std::min(TLZR::kBlockSize, in.size() - produced)));
            ok = ok && n > 0;
            produced += std::size_t(std::max(n, 0));
            at += 2 + std::size_t(len);
        }
    }, runs);
    return {"lz4 32K blocks", packedSize, c, d, ok && out == in};
}

long highWaterKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// Peak resident size, in KiB, of quillet-pack running one operation: its
// own high-water mark, read while it runs (a new program image starts its
// own count, unlike the resource usage a parent gets back, which keeps the
// forking parent's size).
long packPeakKb(const std::string &pack, const std::vector<std::string> &args)
{
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(pack.c_str()));
    for (const auto &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        execv(pack.c_str(), argv.data());
        _exit(127);
    }
    if (pid < 0)
        return -1;
    long peak = -1;
    int status = 0;
    const fs::path exe = "/proc/" + std::to_string(pid) + "/exe";
    const fs::path image = fs::canonical(pack);
    for (;;) {
        // Until exec the child is still this program, with this one's size.
        std::error_code ec;
        if (fs::read_symlink(exe, ec) == image)
            peak = std::max(peak, highWaterKb(pid));
        if (waitpid(pid, &status, WNOHANG) == pid)
            break;
        usleep(500);
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? peak : -1;
}

void memoryTable(const std::string &corpusPath, std::size_t corpusSize, const std::string &dir)
{
    const std::string pack = (fs::read_symlink("/proc/self/exe").parent_path() / "quillet-pack").string();
    if (!fs::exists(pack)) {
        std::printf("(quillet-pack not found beside bench_codec: no memory figures)\n\n");
        return;
    }
    const std::string small = dir + "/small", packed = dir + "/packed", out = dir + "/out";
    {
        std::ifstream in(corpusPath, std::ios::binary);
        std::ofstream f(small, std::ios::binary | std::ios::trunc);
        std::vector<char> buf(std::min<std::size_t>(corpusSize, 5u << 20));
        in.read(buf.data(), std::streamsize(buf.size()));
        f.write(buf.data(), in.gcount());
    }
    std::printf("Peak resident size of quillet-pack doing one operation, file to file, KiB:\n");
    std::printf("%-22s %10s %10s\n", "operation", "5 MB", "50 MB");
    const std::string inputs[2] = {small, corpusPath};
    for (const char *mode : {"fast", "good"}) {
        long peak[2][2];
        for (int s = 0; s < 2; ++s) {
            peak[0][s] = packPeakKb(pack, {"compress", "--mode", mode, inputs[s], packed});
            peak[1][s] = packPeakKb(pack, {"decompress", packed, out});
        }
        std::printf("%-5s %-16s %10ld %10ld\n", mode, "compress", peak[0][0], peak[0][1]);
        std::printf("%-5s %-16s %10ld %10ld\n", mode, "decompress", peak[1][0], peak[1][1]);
    }
    std::printf("\n");
}

} // namespace

int main(int argc, char **argv)
{
    std::size_t mb = 50;
    bool quick = false;
    const char *save = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--mb") && i + 1 < argc)
            mb = std::size_t(std::max(1, std::atoi(argv[++i])));
        else if (!std::strcmp(argv[i], "--quick"))
            quick = true;
        else if (!std::strcmp(argv[i], "--save") && i + 1 < argc)
            save = argv[++i];
        else {
            std::fprintf(stderr, "usage: bench_codec [--mb N] [--quick] [--save FILE]\n");
            return 2;
        }
    }

    char dir[] = "/tmp/bench_codec.XXXXXX";
    if (!mkdtemp(dir)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string corpusPath = save ? std::string(save) : std::string(dir) + "/corpus";
    const std::size_t limit = mb << 20;
    std::size_t size = 0, headers = 0, programs = 0;
    {
        std::ofstream out(corpusPath, std::ios::binary | std::ios::trunc);
        headers = appendTree(out, size, "/usr/include", limit / 2);
        programs = appendTree(out, size, "/usr/bin", limit);
    }
    std::printf("corpus: %zu bytes (%zu files from /usr/include, %zu from /usr/bin)\n\n", size, headers, programs);
    if (save) {
        fs::remove_all(dir);
        return 0;
    }
    if (!quick)
        memoryTable(corpusPath, size, dir);
    const Bytes corpus = readAll(corpusPath);
    fs::remove_all(dir);

    const int fastRuns = quick ? 1 : 3;
    std::vector<Result> results;
    results.push_back(benchFast(corpus, fastRuns));
    results.push_back(benchGood(corpus, 1));
    results.push_back(benchZlib(corpus, 1, fastRuns));
    results.push_back(benchZlib(corpus, 9, 1));
    results.push_back(benchLz4(corpus, fastRuns));
    results.push_back(benchLz4Blocks(corpus, fastRuns));

    const double mbytes = double(corpus.size()) / 1e6;
    std::printf("MB/s of uncompressed data per CPU second, best of %d runs for the fast codecs\n", fastRuns);
    std::printf("%-16s %8s %14s %16s %s\n", "codec", "ratio", "compress MB/s", "decompress MB/s", "");
    for (const Result &r : results)
        std::printf("%-16s %7.2f%% %14.1f %16.1f %s\n", r.name, 100.0 * double(r.packed) / double(corpus.size()),
                    mbytes / r.compressSeconds, mbytes / r.decompressSeconds, r.ok ? "" : "ROUND TRIP FAILED");
    const Result &fast = results[0], &good = results[1], &lz4 = results[4];
    std::printf("\nFast compress / lz4 compress: %.2fx (target 0.5x); Fast decompress %.0f MB/s (target 1000)\n",
                lz4.compressSeconds / fast.compressSeconds, mbytes / fast.decompressSeconds);
    std::printf("Good encode %.1f MB/s (target 10); Good decode %.1f MB/s (target 20)\n",
                mbytes / good.compressSeconds, mbytes / good.decompressSeconds);

    for (const Result &r : results)
        if (!r.ok)
            return 1;
    return 0;
}
