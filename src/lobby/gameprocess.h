// The game the lobby started. It runs detached, in a session of its own, so
// closing the lobby never ends a game; the lobby only watches for its end.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QSocketNotifier;
class QTimer;

namespace quillet::lobby {

// The game program: `override` when given, else "quillet" beside the lobby's
// own executable, else "quillet" in PATH. Empty when none is found.
QString findGameProgram(const QString &override = QString());

class GameProcess : public QObject {
    Q_OBJECT
public:
    explicit GameProcess(QObject *parent = nullptr);
    ~GameProcess() override;

    // Starts the program; false with the system's reason when it cannot be
    // started. Only one game at a time: false while one runs.
    bool start(const QString &program, const QStringList &arguments, QString *error);
    bool isRunning() const { return pid_ > 0; }
    // Stops watching the game (it may still be closing); finished() does
    // not follow.
    void forget();

signals:
    void finished();

private:
    void checkEnded();
    void ended();
    void stopWatching();

    qint64 pid_ = 0;
    int pidfd_ = -1;
    QSocketNotifier *notifier_ = nullptr;
    QTimer *poll_ = nullptr; // only where the kernel has no process descriptors
};

} // namespace quillet::lobby
