#include "settings/profile.h"

#include "tally/codec/safefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>

#include <cerrno>

namespace {

const QByteArray utf8Bom("\xEF\xBB\xBF");

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype from = 0, to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return text.sliced(from, to - from);
}

// Our own files are UTF-8; a file written elsewhere in a single-byte code page
// still reads as Latin-1 rather than as replacement characters.
QString decodeText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

// The section name of a "[name]" line, or nullopt for any other line.
std::optional<QString> sectionName(QByteArrayView line)
{
    const QByteArrayView t = trimmed(line);
    if (t.isEmpty() || t[0] != '[')
        return std::nullopt;
    const qsizetype close = t.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return decodeText(trimmed(t.sliced(1, close - 1)));
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString lineSafe(const QString &text)
{
    QString safe = text;
    for (QChar &c : safe)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar(0))
            c = QLatin1Char(' ');
    return safe;
}

QString homeDirectory(const QString &homeOverride, QStandardPaths::StandardLocation fallback)
{
    if (!homeOverride.isEmpty()) {
        // --home DIR is created when missing, or nothing could be saved there.
        QDir().mkpath(homeOverride);
        return homeOverride;
    }
    const QString exeDir = QCoreApplication::applicationDirPath();
    // An installed game (/usr/games, /usr/local/games) keeps no files beside itself,
    // even when root runs it.
    const bool systemFolder = exeDir.startsWith(QLatin1String("/usr/"));
    if (!exeDir.isEmpty() && !systemFolder && QFileInfo(exeDir).isWritable())
        return exeDir;
    const QString dir = QStandardPaths::writableLocation(fallback);
    QDir().mkpath(dir);
    return dir;
}

} // namespace

ProfileFile::ProfileFile(const QString &path)
{
    load(path);
}

ProfileFile::ReadResult ProfileFile::readFile(const QString &path)
{
    ReadResult result;
    QFileInfo info(path);
    if (!info.exists())
        return result;
    result.exists = true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.complete = false;
        result.error = file.errorString();
        return result;
    }
    result.bytes = file.read(maxFileBytes);
    if (file.error() != QFileDevice::NoError) {
        result.complete = false;
        result.error = file.errorString();
    } else if (!file.atEnd() || file.size() > maxFileBytes) {
        result.complete = false;
        result.error = QStringLiteral("the file is larger than %1 bytes").arg(maxFileBytes);
    }
    return result;
}

bool ProfileFile::load(const QString &path)
{
    m_path = path;
    m_writes.clear();
    const ReadResult read = readFile(path);
    parse(read);
    return m_complete;
}

void ProfileFile::setContents(const QByteArray &bytes)
{
    ReadResult read;
    read.bytes = bytes;
    read.exists = true;
    m_writes.clear();
    parse(read);
}

void ProfileFile::parse(const ReadResult &read)
{
    m_lines.clear();
    m_bom.clear();
    m_eol = "\r\n";
    m_diskBytes = read.bytes;
    m_diskExists = read.exists;
    m_complete = read.complete;
    m_loadError = read.error;

    QByteArrayView rest(read.bytes);
    if (rest.startsWith("\xFF\xFE") || rest.startsWith("\xFE\xFF")) {
        // UTF-16 profiles exist, but we would not write one back faithfully.
        m_complete = false;
        m_loadError = QStringLiteral("the file is in UTF-16");
        return;
    }
    if (rest.startsWith(utf8Bom)) {
        m_bom = utf8Bom;
        rest = rest.sliced(utf8Bom.size());
    }
    bool eolSeen = false;
    while (!rest.isEmpty()) {
        const qsizetype nl = rest.indexOf('\n');
        Line line;
        if (nl < 0) {
            line.text = rest.toByteArray();
            rest = {};
        } else {
            const bool crlf = nl > 0 && rest[nl - 1] == '\r';
            line.text = rest.first(crlf ? nl - 1 : nl).toByteArray();
            line.eol = crlf ? QByteArray("\r\n") : QByteArray("\n");
            rest = rest.sliced(nl + 1);
            if (!eolSeen) {
                m_eol = line.eol;
                eolSeen = true;
            }
        }
        m_lines.append(line);
    }
}

bool ProfileFile::findSection(const QString &section, qsizetype *header, qsizetype *end) const
{
    qsizetype i = 0;
    for (; i < m_lines.size(); ++i) {
        const auto name = sectionName(m_lines[i].text);
        if (name && sameName(*name, section))
            break;
    }
    if (i == m_lines.size())
        return false;
    *header = i;
    qsizetype j = i + 1;
    while (j < m_lines.size() && !sectionName(m_lines[j].text))
        ++j;
    *end = j;
    return true;
}

qsizetype ProfileFile::findKey(qsizetype from, qsizetype end, const QString &key) const
{
    for (qsizetype i = from; i < end; ++i) {
        const QByteArray &text = m_lines[i].text;
        const qsizetype eq = text.indexOf('=');
        if (eq < 0)
            continue;
        if (sameName(decodeText(trimmed(QByteArrayView(text).first(eq))), key))
            return i;
    }
    return -1;
}

bool ProfileFile::hasKey(const QString &section, const QString &key) const
{
    qsizetype header = 0, end = 0;
    return findSection(section, &header, &end) && findKey(header + 1, end, key) >= 0;
}

QString ProfileFile::readString(const QString &section, const QString &key,
                                const QString &defaultValue) const
{
    qsizetype header = 0, end = 0;
    if (!findSection(section, &header, &end))
        return defaultValue;
    const qsizetype i = findKey(header + 1, end, key);
    if (i < 0)
        return defaultValue;
    const QByteArray &text = m_lines[i].text;
    return decodeText(trimmed(QByteArrayView(text).sliced(text.indexOf('=') + 1)));
}

int ProfileFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    const QString text = readString(section, key).trimmed();
    qsizetype digitsFrom = 0;
    if (text.startsWith(QLatin1Char('+')) || text.startsWith(QLatin1Char('-')))
        digitsFrom = 1;
    if (text.size() == digitsFrom)
        return defaultValue;
    for (qsizetype i = digitsFrom; i < text.size(); ++i)
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9'))
            return defaultValue;
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : defaultValue;
}

void ProfileFile::writeString(const QString &section, const QString &key, const QString &value)
{
    const Write write{lineSafe(section), lineSafe(key), lineSafe(value)};
    m_writes.append(write);
    apply(write);
}

void ProfileFile::writeInteger(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

void ProfileFile::apply(const Write &write)
{
    const QByteArray value = write.value.toUtf8();
    qsizetype header = 0, end = 0;
    if (findSection(write.section, &header, &end)) {
        const qsizetype i = findKey(header + 1, end, write.key);
        if (i >= 0) {
            // Keep the file's own spelling of the key and the blanks before "=".
            QByteArray &text = m_lines[i].text;
            text = text.left(text.indexOf('=') + 1) + value;
            return;
        }
        qsizetype at = end;
        while (at > header + 1 && trimmed(m_lines[at - 1].text).isEmpty())
            --at;
        if (at > 0 && m_lines[at - 1].eol.isEmpty())
            m_lines[at - 1].eol = m_eol;
        m_lines.insert(at, Line{write.key.toUtf8() + '=' + value, m_eol});
        return;
    }
    if (!m_lines.isEmpty() && m_lines.last().eol.isEmpty())
        m_lines.last().eol = m_eol;
    m_lines.append(Line{'[' + write.section.toUtf8() + ']', m_eol});
    m_lines.append(Line{write.key.toUtf8() + '=' + value, m_eol});
}

QByteArray ProfileFile::contents() const
{
    QByteArray out = m_bom;
    for (const Line &line : m_lines)
        out += line.text + line.eol;
    return out;
}

bool ProfileFile::save(QString *error)
{
    auto failed = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (m_path.isEmpty())
        return failed(QStringLiteral("no file name"));
    if (!m_complete)
        return failed(QStringLiteral("%1 was not read completely (%2); it is left unchanged")
                          .arg(QDir::toNativeSeparators(m_path), m_loadError));

    // Another program may have written the file since we read it: put our
    // writes onto its current contents instead of overwriting them.
    const ReadResult now = readFile(m_path);
    if (now.exists != m_diskExists || now.bytes != m_diskBytes || !now.complete) {
        const QList<Write> writes = m_writes;
        parse(now);
        m_writes = writes;
        if (!m_complete)
            return failed(QStringLiteral("%1 was not read completely (%2); it is left unchanged")
                              .arg(QDir::toNativeSeparators(m_path), m_loadError));
        for (const Write &write : writes)
            apply(write);
    }

    const QByteArray out = contents();
    if (now.exists && now.bytes == out)
        return true;
    if (!quillet::safefile::replaceWith(QFile::encodeName(m_path).toStdString(), out.constData(),
                                        std::size_t(out.size()))) {
        const int why = errno;
        return failed(QStringLiteral("cannot write %1: %2")
                          .arg(QDir::toNativeSeparators(m_path), qt_error_string(why)));
    }
    m_diskBytes = out;
    m_diskExists = true;
    m_writes.clear();
    return true;
}

QString settingsFilePath(const QString &homeOverride)
{
    return QDir(homeDirectory(homeOverride, QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("zolvexlobby.ini"));
}

QString dataFilePath(const QString &homeOverride, const QString &fileName)
{
    return QDir(homeDirectory(homeOverride, QStandardPaths::AppDataLocation)).filePath(fileName);
}
