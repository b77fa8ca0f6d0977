#include "tally/tallyfile.h"

#include "tally/codec/safefile.h"
#include "tally/codec/tlzrw1.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <sstream>
#include <string>

namespace quillet {

namespace {

// Runs one container operation between two memory buffers; the container's
// text of any failure goes to *error.
std::optional<QByteArray> code(bool compress, const QByteArray &input, QString *error)
{
    std::istringstream in(std::string(input.constData(), std::size_t(input.size())), std::ios::binary);
    std::ostringstream out(std::ios::binary);
    Tlzrw1 doit;
    doit.UseStream = true;
    doit.InputStream = &in;
    doit.OutputStream = &out;
    doit.CompressMode = TCompressMode::Fast;
    try {
        if (compress)
            doit.Compress();
        else
            doit.Decompress();
    } catch (const std::exception &e) {
        if (error)
            *error = QString::fromStdString(e.what());
        return std::nullopt;
    }
    const std::string s = out.str();
    return QByteArray(s.data(), qsizetype(s.size()));
}

// The container reports on the memory buffers in its stream-mode words; the
// user is told about the file, in the words it uses for files.
QString asFileText(const QString &text, const QString &path)
{
    if (text == "Lzrw1 decompression : input stream contains no valid header !")
        return path + " : Lzrw1 decompression : this file has no valid header !";
    const QString readError = "Lzrw1 : Error reading from input stream !";
    if (text.startsWith(readError))
        return "Lzrw1 : Error reading from input file : " + path + text.mid(readError.size());
    return text;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

QByteArray TallyFile::compress(const QByteArray &text, QString *error)
{
    return code(true, text, error).value_or(QByteArray());
}

std::optional<QByteArray> TallyFile::decompress(const QByteArray &packed, QString *error)
{
    // The size field says how much the text will take: refuse a huge one
    // before decoding starts to fill memory. Anything that is not a header
    // at all is left to the container to name.
    if (packed.size() >= 8 && (packed.startsWith("WRZL") || packed.startsWith("!HZL"))) {
        const auto *p = reinterpret_cast<const unsigned char *>(packed.constData()) + 4;
        const quint32 size = quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
        if (size > kMaxTextBytes) {
            setError(error, QString("The tally file is damaged: it claims %1 bytes of text, "
                                    "far more than any tally.").arg(size));
            return std::nullopt;
        }
    }
    return code(false, packed, error);
}

TallyFile::Loaded TallyFile::load() const
{
    Loaded result;
    const QFileInfo info(path_);
    if (path_.isEmpty() || (!info.exists() && !info.isSymLink()))
        return result;
    result.status = Loaded::Status::Damaged;
    QFile f(path_);
    if (!info.isFile() || !f.open(QIODevice::ReadOnly)) {
        result.error = "Lzrw1 (de)compression : Failed to open input file : " + path_;
        return result;
    }
    const qint64 size = f.size();
    if (size > kMaxFileBytes) {
        result.error = QString("The tally file is damaged: %1 holds %2 bytes, far more than any tally.")
                           .arg(path_).arg(size);
        return result;
    }
    const QByteArray packed = f.readAll();
    if (packed.size() != size || f.error() != QFileDevice::NoError) {
        result.error = "Lzrw1 : Error reading from input file : " + path_;
        return result;
    }
    const auto text = decompress(packed, &result.error);
    if (!text) {
        result.error = asFileText(result.error, path_);
        return result;
    }
    auto grid = TallyGrid::fromText(*text, &result.error);
    if (!grid)
        return result;
    result.grid = std::move(*grid);
    result.error.clear();
    result.status = Loaded::Status::Ok;
    return result;
}

QString TallyFile::keepDamaged(QString *error) const
{
    const auto kept = safefile::keepAside(QFile::encodeName(path_).toStdString(), kDamagedSuffix);
    if (!kept) {
        const int why = errno;
        setError(error, "Cannot move " + path_ + " aside: " + qt_error_string(why));
        return QString();
    }
    return QFile::decodeName(QByteArray::fromStdString(*kept));
}

bool TallyFile::save(const TallyGrid &grid, QString *error) const
{
    if (path_.isEmpty()) {
        setError(error, "No tally file is set.");
        return false;
    }
    const QByteArray packed = compress(grid.toText(), error);
    if (packed.isEmpty())
        return false;
    // Nothing but a finished save touches the old file.
    auto f = safefile::Replacement::create(QFile::encodeName(path_).toStdString());
    if (!f) {
        const int why = errno;
        setError(error, "Lzrw1 (de)compression : Failed to open output file : " + path_ + " (" +
                            qt_error_string(why) + ")");
        return false;
    }
    const bool written = write ? write(*f, packed) : f->write(packed.constData(), std::size_t(packed.size()));
    if (!written) {
        f->discard();
        setError(error, "Lzrw1 : Error writing to output file : " + path_);
        return false;
    }
    if (!f->commit()) {
        const int why = errno;
        setError(error, "Lzrw1 : Error writing to output file : " + path_ + " (" + qt_error_string(why) + ")");
        return false;
    }
    return true;
}

} // namespace quillet
