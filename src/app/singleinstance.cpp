#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <unistd.h>

namespace quillet {

SingleInstance::SingleInstance(const QString &key, QObject *parent) : QObject(parent), key_(key) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::keyFor(const QString &homeDir)
{
    const QByteArray home = QDir(homeDir).canonicalPath().toUtf8();
    const QByteArray hash = QCryptographicHash::hash(home, QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("xevloz-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

bool SingleInstance::anotherRuns()
{
    // The running copy is marked by a lock the system frees when its process
    // dies, so a killed copy never blocks the next start.
    lock_ = std::make_unique<QLockFile>(QDir::temp().filePath(key_ + ".lock"));
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        QLocalSocket probe;
        probe.connectToServer(key_);
        if (probe.waitForConnected(1000)) {
            probe.write("raise\n");
            probe.waitForBytesWritten(1000);
            probe.disconnectFromServer();
        }
        lock_.reset();
        return true;
    }
    // A socket file left by a killed copy would refuse the listen.
    QLocalServer::removeServer(key_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *s = server_->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            emit raiseRequested();
        }
    });
    server_->listen(key_);
    return false;
}

} // namespace quillet
