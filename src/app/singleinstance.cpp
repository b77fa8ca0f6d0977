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

QString SingleInstance::keyFor(const QString &homeDir, const QString &name)
{
    // A home that does not exist yet has no canonical path; every such home
    // must not share one key.
    QString path = QDir(homeDir).canonicalPath();
    if (path.isEmpty())
        path = QDir::cleanPath(QDir(homeDir).absolutePath());
    const QByteArray home = path.toUtf8();
    const QByteArray hash = QCryptographicHash::hash(home, QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("%1-%2-%3").arg(name).arg(::getuid()).arg(QString::fromLatin1(hash));
}

namespace {
QString lockPath(const QString &key) { return QDir::temp().filePath(key + ".lock"); }
} // namespace

bool SingleInstance::isRunning(const QString &key)
{
    QLockFile probe(lockPath(key));
    probe.setStaleLockTime(0);
    if (!probe.tryLock(0))
        return true;
    probe.unlock();
    return false;
}

bool SingleInstance::anotherRuns()
{
    // The running copy is marked by a lock the system frees when its process
    // dies, so a killed copy never blocks the next start.
    lock_ = std::make_unique<QLockFile>(lockPath(key_));
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
