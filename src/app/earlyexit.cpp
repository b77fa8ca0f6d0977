#include "app/earlyexit.h"

#include "cli/standardoptions.h"

namespace quillet {

Options readOptions(const QStringList &arguments, const QStringList &withValue)
{
    Options o;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == "--") {
            o.positional << arguments.mid(i + 1);
            break;
        }
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (withValue.contains(a)) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                o.error = a + " needs a value";
                return o;
            }
            o.values[a] = arguments[++i];
        } else if (a.startsWith("--")) {
            o.error = "unknown option: " + a;
            return o;
        } else {
            o.positional << a;
        }
    }
    return o;
}

int portOption(const Options &options, const QString &name, int fallback, QString *error)
{
    if (!options.values.contains(name))
        return fallback;
    bool ok = false;
    const int port = options.values[name].toInt(&ok);
    if (ok && port >= 1 && port <= 65535)
        return port;
    if (error && error->isEmpty())
        *error = name + " needs a number from 1 to 65535";
    return fallback;
}

QStringList argumentsOf(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

std::optional<int> earlyExit(const char *program, const QString &error, bool help, bool version,
                             const QString &usage, const char *versionText)
{
    const cli::Program p{program, usage.toStdString(), versionText};
    if (!error.isEmpty())
        return cli::usageError(p, error.toStdString());
    if (help)
        return cli::printUsage(p);
    if (version)
        return cli::printVersion(p);
    return std::nullopt;
}

} // namespace quillet
