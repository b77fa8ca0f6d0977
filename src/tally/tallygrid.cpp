#include "tally/tallygrid.h"

#include <QSet>
#include <QStringDecoder>

namespace quillet {

namespace {

const QByteArray kLineEnd = "\r\n";

// The text's lines, without their line ends. A line ends at LF; a CR before
// it belongs to the line end. Text after the last LF is one more line.
QList<QByteArrayView> splitLines(QByteArrayView text)
{
    QList<QByteArrayView> lines;
    qsizetype from = 0;
    while (from < text.size()) {
        qsizetype lf = text.indexOf('\n', from);
        const qsizetype end = lf < 0 ? text.size() : lf;
        qsizetype cut = end;
        if (cut > from && text[cut - 1] == '\r')
            --cut;
        lines.append(text.sliced(from, cut - from));
        if (lf < 0)
            break;
        from = lf + 1;
    }
    return lines;
}

QByteArrayView trimmed(QByteArrayView v)
{
    while (!v.isEmpty() && (v.front() == ' ' || v.front() == '\t'))
        v = v.sliced(1);
    while (!v.isEmpty() && (v.back() == ' ' || v.back() == '\t'))
        v.chop(1);
    return v;
}

// Plain decimal, blanks around it allowed; nothing for anything else or a
// value above `max`.
std::optional<qint64> parseCount(QByteArrayView line, qint64 max)
{
    const QByteArrayView t = trimmed(line);
    if (t.isEmpty() || t.size() > 18)
        return std::nullopt;
    qint64 v = 0;
    for (char c : t) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v > max)
        return std::nullopt;
    return v;
}

// Our own files are UTF-8; one written in a single-byte code page still
// reads as Latin-1 rather than as replacement characters.
QString decodeName(QByteArrayView bytes, bool utf8)
{
    return utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

QString shown(QByteArrayView line)
{
    const QString s = QString::fromLatin1(line.first(std::min<qsizetype>(line.size(), 20)));
    return TallyGrid::cleanName(s) + (line.size() > 20 ? "..." : "");
}

} // namespace

TallyGrid::TallyGrid() : rows_(1, Row{QStringLiteral("0"), {}}) {}

QString TallyGrid::cell(int column, int row) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns)
        return QString();
    if (column == 0)
        return rows_[row].name;
    return QString::number(rows_[row].figures[column - 1]);
}

QString TallyGrid::name(int row) const { return cell(0, row); }

qint64 TallyGrid::figure(int column, int row) const
{
    return valid(column, row) ? rows_[row].figures[column - 1] : 0;
}

int TallyGrid::findRow(const QString &name) const
{
    const QString clean = cleanName(name);
    for (int r = 1; r < rowCount(); ++r)
        if (rows_[r].name.compare(clean, Qt::CaseInsensitive) == 0)
            return r;
    return -1;
}

int TallyGrid::addRow(const QString &name)
{
    rows_.append(Row{cleanName(name), {}});
    return rowCount() - 1;
}

qint64 TallyGrid::addit(int column, int row)
{
    if (!valid(column, row))
        return 0;
    qint64 &v = rows_[row].figures[column - 1];
    if (v < kMaxFigure)
        ++v;
    return v;
}

void TallyGrid::moverow(int row)
{
    if (row >= 1 && row < rowCount())
        rows_.removeAt(row);
}

void TallyGrid::clearSession()
{
    for (int r = 1; r < rowCount(); ++r)
        for (int c = 5; c <= 8; ++c)
            rows_[r].figures[c - 1] = 0;
}

void TallyGrid::recordGame(const QStringList &atTable, const QString &winner, bool localPlayerWon)
{
    const QString cleanWinner = cleanName(winner);
    // Two players at the table whose names differ only in letter case share
    // one row; the game still counts once for it.
    QSet<int> counted;
    for (const QString &player : atTable) {
        const int r = findRow(player);
        if (r < 1 || counted.contains(r))
            continue;
        counted.insert(r);
        addit(1, r);
        addit(5, r);
        if (localPlayerWon) {
            addit(3, r);
            addit(7, r);
        } else if (rows_[r].name == cleanWinner) {
            addit(2, r);
            addit(6, r);
        } else {
            addit(4, r);
            addit(8, r);
        }
    }
}

QByteArray TallyGrid::toText() const
{
    QByteArray out;
    out += QByteArray::number(kColumns) + kLineEnd;
    out += QByteArray::number(rowCount()) + kLineEnd;
    for (int c = 0; c < kColumns; ++c)
        for (int r = 0; r < rowCount(); ++r)
            out += cell(c, r).toUtf8() + kLineEnd;
    return out;
}

std::optional<TallyGrid> TallyGrid::fromText(const QByteArray &text, QString *error)
{
    auto fail = [&](const QString &why) -> std::optional<TallyGrid> {
        if (error)
            *error = "The tally file is damaged: " + why;
        return std::nullopt;
    };
    const QList<QByteArrayView> lines = splitLines(text);
    if (lines.size() < 2)
        return fail("it holds no column and row count.");
    const auto columns = parseCount(lines[0], 1000000);
    if (!columns || *columns != kColumns)
        return fail(QString("its column count \"%1\" is not %2.").arg(shown(lines[0])).arg(kColumns));
    const auto rows = parseCount(lines[1], 1000000000);
    if (!rows || *rows < 1)
        return fail(QString("its row count \"%1\" is not a number of rows.").arg(shown(lines[1])));
    const qint64 cells = *rows * kColumns;
    if (cells > lines.size() - 2)
        return fail(QString("it promises %1 rows but holds only %2 cells.").arg(*rows).arg(lines.size() - 2));

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(text); // the check happens on conversion
    Q_UNUSED(decoded);
    const bool isUtf8 = !utf8.hasError();

    TallyGrid g;
    g.rows_ = QList<Row>(*rows);
    for (int c = 0; c < kColumns; ++c) {
        for (int r = 0; r < *rows; ++r) {
            const QByteArrayView line = lines[2 + qsizetype(c) * *rows + r];
            if (c == 0) {
                g.rows_[r].name = cleanName(decodeName(line, isUtf8));
                continue;
            }
            // An empty figure counts as 0, as it would when the game is added.
            std::optional<qint64> v = trimmed(line).isEmpty() ? 0 : parseCount(line, kMaxFigure);
            if (!v)
                return fail(QString("the figure \"%1\" in column %2 of row %3 is not a count.")
                                .arg(shown(line)).arg(c).arg(r));
            g.rows_[r].figures[c - 1] = *v;
        }
    }
    return g;
}

QString TallyGrid::cleanName(const QString &name)
{
    QString out = name;
    for (QChar &ch : out) {
        const char16_t u = ch.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029)
            ch = QLatin1Char(' ');
    }
    return out;
}

} // namespace quillet
