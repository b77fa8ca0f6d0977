// Only one copy of the game runs per user and home directory. A second start
// asks the first copy to come forward and ends.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

namespace quillet {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `key` names the instance (per user and home); the local server and the
    // lock file are derived from it.
    explicit SingleInstance(const QString &key, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when another copy runs; that copy has then been asked to come
    // forward. Otherwise this copy becomes the running one.
    bool anotherRuns();

    // `name` tells the programs apart: the game and the lobby each run once
    // per user and home directory.
    static QString keyFor(const QString &homeDir, const QString &name = QStringLiteral("xevloz"));
    // Whether a copy holding `key` runs now (this process's own included).
    static bool isRunning(const QString &key);

signals:
    void raiseRequested();

private:
    QString key_;
    QLocalServer *server_ = nullptr;
    std::unique_ptr<QLockFile> lock_; // held for the life of the process
};

} // namespace quillet
