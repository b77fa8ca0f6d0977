// The command-line handling every program of ours shares: the options are
// read, and --help and --version answered, before the window system is
// touched, so they work without a display.
#pragma once

#include <QString>
#include <QStringList>

#include <QHash>

#include <optional>

namespace quillet {

struct Options {
    QHash<QString, QString> values; // option -> its value (the last one given)
    QStringList positional;         // everything else, in order
    bool help = false;              // --help or -h
    bool version = false;           // --version
    QString error;                  // non-empty: unusable, and why
};

// Reads --help, -h, --version and the options named in `withValue`, each
// followed by a non-empty value, anywhere on the line. Any other word that
// starts with "--" is an unknown option (an error); one dash is a word, so a
// name such as "-=Bob=-" passes. After "--" every word is positional.
Options readOptions(const QStringList &arguments, const QStringList &withValue);

// The port an option names, 1..65535; `fallback` when it was not given.
// Anything else sets `error`.
int portOption(const Options &options, const QString &name, int fallback, QString *error);

// argv past the program's own name.
QStringList argumentsOf(int argc, char **argv);

// An unusable command line prints `error` and the usage on stderr (exit 2);
// --help prints the usage and --version "program version" on stdout (exit
// 0), worded as by every other program (cli/standardoptions.h). Otherwise
// nullopt: the program goes on.
std::optional<int> earlyExit(const char *program, const QString &error, bool help, bool version,
                             const QString &usage, const char *versionText);

} // namespace quillet
