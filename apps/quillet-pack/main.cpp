// quillet-pack: the tally container on the command line.
//   quillet-pack compress [--mode fast|good|auto] IN OUT
//   quillet-pack decompress IN OUT
//   quillet-pack advise IN
// Exit status 0 on success, 1 with the container's text on stderr on
// failure, 2 for a command line it does not understand.
#include "cli/standardoptions.h"
#include "tally/codec/tlzrw1.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

using namespace quillet;

namespace {

const cli::Program kProgram{
    "quillet-pack",
    "Usage: quillet-pack compress [--mode fast|good|auto] IN OUT\n"
    "       quillet-pack decompress IN OUT\n"
    "       quillet-pack advise IN\n"
    "  compress     pack IN into the container file OUT\n"
    "  decompress   unpack the container file IN into OUT\n"
    "  advise       print the mode (fast or good) that suits IN\n"
    "  --mode M     fast (LZRW1/KH), good (LZH, the default) or auto (as advise says)\n"
    "  --version    print the version and end\n"
    "  --help       print this text and end\n"};

int usage(const std::string &reason = {}) { return cli::usageError(kProgram, reason); }

bool parseMode(std::string_view text, TCompressMode &mode)
{
    if (text == "fast")
        mode = TCompressMode::Fast;
    else if (text == "good")
        mode = TCompressMode::Good;
    else if (text == "auto")
        mode = TCompressMode::Auto;
    else
        return false;
    return true;
}

// Progress goes to a terminal only, as one line rewritten in place.
class ProgressLine {
public:
    ProgressLine() : shown_(::isatty(STDERR_FILENO) == 1) {}

    void show(const std::string &caption)
    {
        if (!shown_)
            return;
        std::fprintf(stderr, "\r\033[K%s", caption.c_str());
        std::fflush(stderr);
        open_ = true;
    }

    void end()
    {
        if (open_)
            std::fputs("\n", stderr);
        open_ = false;
    }

private:
    bool shown_;
    bool open_ = false;
};

} // namespace

int main(int argc, char **argv)
{
    if (const auto status = cli::helpOrVersion(kProgram, argc, argv))
        return *status;
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.empty())
        return usage();

    const std::string_view command = args[0];
    TCompressMode mode = TCompressMode::Good;
    std::vector<std::string> files;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (command == "compress" && a == "--mode") {
            if (++i == args.size() || !parseMode(args[i], mode))
                return usage("--mode needs fast, good or auto");
        } else if (command == "compress" && a.starts_with("--mode=")) {
            if (!parseMode(a.substr(7), mode))
                return usage("--mode needs fast, good or auto");
        } else if (a == "--") {
            for (++i; i < args.size(); ++i)
                files.emplace_back(args[i]);
        } else if (a.size() > 1 && a[0] == '-') {
            return usage("unknown option: " + std::string(a));
        } else {
            files.emplace_back(a);
        }
    }

    if (command != "compress" && command != "decompress" && command != "advise")
        return usage((command.starts_with('-') ? "unknown option: " : "unknown command: ") + std::string(command));
    const std::size_t wanted = command == "advise" ? 1 : 2;
    if (files.size() != wanted)
        return usage(std::string(command) + (wanted == 1 ? " needs one file" : " needs two files"));

    ProgressLine progress;
    try {
        Tlzrw1 container;
        container.InputFile = files[0];
        if (wanted == 2)
            container.OutputFile = files[1];
        container.CompressMode = mode;
        container.OnCaption = [&progress](const std::string &caption) { progress.show(caption); };

        if (command == "compress") {
            container.Compress();
        } else if (command == "decompress") {
            container.Decompress();
        } else {
            const TCompressMode answer = container.Advise();
            progress.end();
            std::puts(answer == TCompressMode::Fast ? "fast" : "good");
        }
        progress.end();
    } catch (const std::exception &e) {
        progress.end();
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
