// The lobby's local port: a running game connects to it and keeps the
// connection open until it ends. Nothing is sent either way.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QTcpServer;
class QTcpSocket;

namespace quillet::lobby {

class LobbyListener : public QObject {
    Q_OBJECT
public:
    explicit LobbyListener(QObject *parent = nullptr);
    ~LobbyListener() override;

    // Listens on 127.0.0.1 only; false with the system's reason when the
    // port is taken.
    bool listen(int port, QString *error = nullptr);
    bool isListening() const;
    int port() const;
    bool hasGame() const { return !game_.isNull(); }
    // Lets the game's connection go without a gameDisconnected(): its game
    // is known to be over.
    void release();

signals:
    void gameConnected();
    void gameDisconnected();
    // A second game connected while one is open; it was turned away.
    void refused();

private:
    void accept();

    QTcpServer *server_ = nullptr;
    QPointer<QTcpSocket> game_;
};

} // namespace quillet::lobby
