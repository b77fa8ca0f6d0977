#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A settings file in the profile (INI) format, shared with other programs.
//
// Section and key names are matched without regard to letter case; values
// are compared exactly (blanks around them are not part of the value). Every
// line that is not one of the keys written here is kept byte for byte,
// comments, blank lines, garbage and line ends included. A file that could
// not be read completely (unreadable, too big, UTF-16) is never written back.
class ProfileFile
{
public:
    // Files larger than this are read only up to here, and never rewritten.
    static constexpr qint64 maxFileBytes = 4 * 1024 * 1024;

    ProfileFile() = default;
    // Loads the file; a missing file is an empty profile that save() creates.
    explicit ProfileFile(const QString &path);

    bool load(const QString &path);
    // Replaces the contents by these bytes (as if read from the file).
    void setContents(const QByteArray &bytes);

    QString path() const { return m_path; }
    // False when the file exists but was not read completely: save() refuses.
    bool isComplete() const { return m_complete; }
    QString loadError() const { return m_loadError; }

    bool hasKey(const QString &section, const QString &key) const;
    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue = QString()) const;
    // Decimal with an optional sign and blanks around it; anything else, or a
    // missing key, gives the default.
    int readInteger(const QString &section, const QString &key, int defaultValue) const;

    // Updates the key's line in place (keeping the file's spelling of the key),
    // or adds the key at the end of its section, or adds the section at the
    // end of the file. Line breaks in the value become blanks.
    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);

    // The bytes save() writes.
    QByteArray contents() const;
    // Replaces the file atomically (safefile: nothing but the complete file
    // is ever left, even by a killed program). If the file changed on disk since it was loaded, the writes made
    // here are applied to the new contents, so other programs' changes stay.
    // Writes nothing when the file already holds these bytes.
    bool save(QString *error = nullptr);

private:
    struct Line {
        QByteArray text;   // without the line end
        QByteArray eol;    // "\r\n", "\n" or "" (last line without one)
    };
    struct Write {
        QString section, key, value;
    };
    struct ReadResult {
        QByteArray bytes;
        bool exists = false;
        bool complete = true;
        QString error;
    };

    static ReadResult readFile(const QString &path);
    void parse(const ReadResult &read);
    void apply(const Write &write);
    // Index range of the first section with this name: [header, end).
    bool findSection(const QString &section, qsizetype *header, qsizetype *end) const;
    qsizetype findKey(qsizetype from, qsizetype end, const QString &key) const;

    QString m_path;
    QList<Line> m_lines;
    QByteArray m_bom;
    QByteArray m_eol = "\r\n";
    QByteArray m_diskBytes;     // what the file held when loaded
    bool m_diskExists = false;
    bool m_complete = true;
    QString m_loadError;
    QList<Write> m_writes;      // made since the load, replayed on a changed file
};

// Where the settings file "zolvexlobby.ini" lives: in homeOverride if given,
// else in the executable's directory when it is writable, else in the
// per-user configuration directory.
QString settingsFilePath(const QString &homeOverride);
// The same rule for other files of ours (the tally file), with the per-user
// data directory as the fallback.
QString dataFilePath(const QString &homeOverride, const QString &fileName);
