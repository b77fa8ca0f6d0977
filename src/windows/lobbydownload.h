// One HTTP download of the lobby installer into a file. The body goes to a
// temporary file next to the target and is renamed to the target only when
// the whole body arrived with a 2xx answer, so a failed or stopped download
// never leaves a file that could be taken for the installer.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QSaveFile;

namespace quillet {

class LobbyDownload : public QObject {
    Q_OBJECT
public:
    // Bodies larger than this are refused: no installer is that big, and an
    // endless answer must not fill the disk.
    static constexpr qint64 kMaxBytes = qint64(1) << 30;

    explicit LobbyDownload(QObject *parent = nullptr);
    ~LobbyDownload() override;

    // Starts a GET of an http or https address into `filePath`. False (with a
    // reason) when it cannot start: another download runs, the address is
    // not http(s), or the file cannot be created.
    bool start(const QUrl &url, const QString &filePath, QString *error = nullptr);
    // Stops a running download; finished() follows at once with complete
    // false.
    void abort();
    bool isRunning() const { return !reply_.isNull(); }
    qint64 bytesReceived() const { return received_; }

signals:
    // The answer's header lines arrived (one count per header block).
    void headerLines(int count);
    // The first bytes of a 2xx body arrived.
    void bodyBegins();
    // Body bytes so far.
    void dataArrived(qint64 total);
    // complete: the file is in place with `size` bytes. Otherwise nothing was
    // left behind and `reason` says why ("stopped" after abort()).
    void finished(bool complete, qint64 size, const QString &reason);

private:
    void onMetaData();
    void onReadyRead();
    void onFinished();
    void fail(const QString &reason);
    int statusCode() const;

    QNetworkAccessManager *manager_ = nullptr;
    QPointer<QNetworkReply> reply_;
    std::unique_ptr<QSaveFile> file_;
    QString filePath_;
    QString failure_;
    qint64 received_ = 0;
    bool bodyStarted_ = false;
};

} // namespace quillet
