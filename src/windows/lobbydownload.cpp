#include "windows/lobbydownload.h"

#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>

namespace quillet {

namespace {
const QByteArray kUserAgent = "Mozilla/3.0 (compatible)";
const QByteArray kAccept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
const QString kStopped = QStringLiteral("stopped");

bool isSuccess(int status) { return status >= 200 && status <= 299; }
bool isRedirect(int status) { return status >= 300 && status <= 399; }
} // namespace

LobbyDownload::LobbyDownload(QObject *parent) : QObject(parent) {}

LobbyDownload::~LobbyDownload()
{
    if (reply_) {
        // No signals into a half-destroyed owner; the temporary file goes
        // with file_.
        reply_->disconnect(this);
        reply_->abort();
        delete reply_;
    }
}

bool LobbyDownload::start(const QUrl &url, const QString &filePath, QString *error)
{
    auto refuse = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (isRunning())
        return refuse(QStringLiteral("A download is already running."));
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != "http" && scheme != "https"))
        return refuse(QStringLiteral("Not a web address: %1").arg(url.toString()));

    auto file = std::make_unique<QSaveFile>(filePath);
    if (!file->open(QIODevice::WriteOnly))
        return refuse(QStringLiteral("Cannot create %1: %2").arg(filePath, file->errorString()));

    if (!manager_) {
        manager_ = new QNetworkAccessManager(this);
        manager_->setProxy(QNetworkProxy::NoProxy);
    }
    QNetworkRequest request(url);
    request.setRawHeader("User-Agent", kUserAgent);
    request.setRawHeader("Accept", kAccept);
    // The body exactly as sent: the length check below compares the bytes
    // on the wire with Content-Length.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);

    file_ = std::move(file);
    filePath_ = filePath;
    failure_.clear();
    received_ = 0;
    bodyStarted_ = false;
    reply_ = manager_->get(request);
    connect(reply_, &QNetworkReply::metaDataChanged, this, &LobbyDownload::onMetaData);
    connect(reply_, &QNetworkReply::readyRead, this, &LobbyDownload::onReadyRead);
    connect(reply_, &QNetworkReply::finished, this, &LobbyDownload::onFinished);
    return true;
}

void LobbyDownload::abort()
{
    if (!reply_)
        return;
    failure_ = kStopped;
    // finished() comes from inside abort().
    reply_->abort();
}

int LobbyDownload::statusCode() const
{
    return reply_ ? reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() : 0;
}

void LobbyDownload::fail(const QString &reason)
{
    if (failure_.isEmpty())
        failure_ = reason;
    // Called from the reply's own signals, which must not see it aborted
    // under them: abort on the next turn, unless it ended meanwhile. Nothing
    // more is written once a failure is recorded.
    QPointer<QNetworkReply> reply = reply_;
    QMetaObject::invokeMethod(
        this,
        [this, reply] {
            if (reply && reply == reply_ && reply->isRunning())
                reply->abort();
        },
        Qt::QueuedConnection);
}

void LobbyDownload::onMetaData()
{
    if (!reply_)
        return;
    emit headerLines(int(reply_->rawHeaderPairs().size()));
    const int status = statusCode();
    // An error page is not the installer: stop before reading it. Redirects
    // are followed by the access manager.
    if (status != 0 && !isSuccess(status) && !isRedirect(status)) {
        const QString text = reply_->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().left(80);
        fail(QStringLiteral("The server answered %1 %2").arg(status).arg(text).trimmed());
    }
}

void LobbyDownload::onReadyRead()
{
    if (!reply_ || !failure_.isEmpty() || !file_)
        return;
    if (!isSuccess(statusCode())) {
        fail(QStringLiteral("The server answered %1").arg(statusCode()));
        return;
    }
    const QByteArray block = reply_->readAll();
    if (block.isEmpty())
        return;
    if (!bodyStarted_) {
        bodyStarted_ = true;
        emit bodyBegins();
    }
    if (received_ + block.size() > kMaxBytes) {
        fail(QStringLiteral("The download is larger than %1 bytes.").arg(kMaxBytes));
        return;
    }
    if (file_->write(block) != block.size()) {
        fail(QStringLiteral("Cannot write %1: %2").arg(filePath_, file_->errorString()));
        return;
    }
    received_ += block.size();
    emit dataArrived(received_);
}

void LobbyDownload::onFinished()
{
    QNetworkReply *reply = reply_;
    if (!reply)
        return;
    // Bytes still buffered belong to the body.
    if (failure_.isEmpty() && reply->error() == QNetworkReply::NoError)
        onReadyRead();

    QString reason = failure_;
    if (reason.isEmpty() && reply->error() != QNetworkReply::NoError)
        reason = reply->errorString();
    const int status = statusCode();
    if (reason.isEmpty() && !isSuccess(status))
        reason = QStringLiteral("The server answered %1").arg(status);
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (reason.isEmpty() && length.isValid() && length.toLongLong() != received_)
        reason = QStringLiteral("The connection ended after %1 of %2 bytes.").arg(received_).arg(length.toLongLong());

    reply_ = nullptr;
    reply->disconnect(this);
    reply->deleteLater();

    std::unique_ptr<QSaveFile> file = std::move(file_);
    if (reason.isEmpty() && !file->commit())
        reason = QStringLiteral("Cannot write %1: %2").arg(filePath_, file->errorString());
    if (!reason.isEmpty()) {
        file->cancelWriting();
        file.reset();  // removes the temporary file
        emit finished(false, 0, reason);
        return;
    }
    file.reset();
    emit finished(true, QFileInfo(filePath_).size(), QString());
}

} // namespace quillet
