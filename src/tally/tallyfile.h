// The tally file: the grid's text in the compressed container (Fast mode).
// The text passes through memory only. A save replaces the file atomically
// (safefile), so the file always holds either the old or the new tally and
// nothing else is left beside it, whatever happens during the save.
#pragma once

#include "tally/tallygrid.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace quillet {

namespace safefile {
class Replacement;
}

class TallyFile {
public:
    // Far beyond any real tally; a larger file or text is refused before
    // anything is allocated for it.
    static constexpr qint64 kMaxFileBytes = 32 * 1024 * 1024;
    static constexpr qint64 kMaxTextBytes = 64 * 1024 * 1024;

    struct Loaded {
        enum class Status { Missing, Ok, Damaged };
        Status status = Status::Missing;
        TallyGrid grid;
        QString error; // Damaged: the text to show
    };

    explicit TallyFile(const QString &path = QString()) : path_(path) {}

    QString path() const { return path_; }
    void setPath(const QString &path) { path_ = path; }
    // A file that could not be read is kept as path + this, or with ".1",
    // ".2", ... after it when that name is taken.
    static constexpr const char *kDamagedSuffix = ".bad";

    Loaded load() const;
    // Moves an unreadable file aside, never over an earlier one, so that a
    // new tally can be written. The name it was kept under, or empty (with
    // the reason) when it stays where it is.
    QString keepDamaged(QString *error) const;
    bool save(const TallyGrid &grid, QString *error) const;

    // The container's coding alone, in memory.
    static QByteArray compress(const QByteArray &text, QString *error);
    static std::optional<QByteArray> decompress(const QByteArray &packed, QString *error);

    // Writes the whole compressed tally to the new file; replaceable so that
    // tests can make a save fail midway. False means the write failed.
    using WriteFn = std::function<bool(safefile::Replacement &, const QByteArray &)>;
    WriteFn write;

private:
    QString path_;
};

} // namespace quillet
