#include "lobby/gameprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <sys/syscall.h>
#include <unistd.h>

namespace quillet::lobby {

namespace {

bool isProgram(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// Gone, or ended and not yet reaped by whoever adopted it.
bool processGone(qint64 pid)
{
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return true;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.read(512);
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && line.size() > close + 2 && line[close + 2] == 'Z';
}

} // namespace

QString findGameProgram(const QString &override)
{
    if (!override.isEmpty())
        return isProgram(override) ? QFileInfo(override).absoluteFilePath() : QString();
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("quillet"));
    if (isProgram(beside))
        return beside;
    return QStandardPaths::findExecutable(QStringLiteral("quillet"));
}

GameProcess::GameProcess(QObject *parent) : QObject(parent) {}

GameProcess::~GameProcess() { stopWatching(); }

bool GameProcess::start(const QString &program, const QStringList &arguments, QString *error)
{
    if (isRunning()) {
        if (error)
            *error = QStringLiteral("A game is already running.");
        return false;
    }
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    qint64 pid = 0;
    if (!process.startDetached(&pid) || pid <= 0) {
        if (error)
            *error = process.errorString();
        return false;
    }
    pid_ = pid;
    // A process descriptor becomes readable when the game ends: no polling.
    pidfd_ = int(::syscall(SYS_pidfd_open, pid_t(pid), 0));
    if (pidfd_ >= 0) {
        notifier_ = new QSocketNotifier(pidfd_, QSocketNotifier::Read, this);
        // Readable means ended, reaped or not.
        connect(notifier_, &QSocketNotifier::activated, this, &GameProcess::ended);
    } else {
        poll_ = new QTimer(this);
        poll_->setInterval(500);
        connect(poll_, &QTimer::timeout, this, &GameProcess::checkEnded);
        poll_->start();
    }
    // It may have ended before the watch was set up.
    QTimer::singleShot(0, this, &GameProcess::checkEnded);
    return true;
}

void GameProcess::checkEnded()
{
    if (isRunning() && processGone(pid_))
        ended();
}

void GameProcess::ended()
{
    if (!isRunning())
        return;
    stopWatching();
    pid_ = 0;
    emit finished();
}

void GameProcess::forget()
{
    stopWatching();
    pid_ = 0;
}

void GameProcess::stopWatching()
{
    // Called from their own signals: disarm now, delete later.
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    if (poll_) {
        poll_->stop();
        poll_->deleteLater();
        poll_ = nullptr;
    }
    if (pidfd_ >= 0)
        ::close(pidfd_);
    pidfd_ = -1;
}

} // namespace quillet::lobby
