#include "lobby/lobbylistener.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace quillet::lobby {

LobbyListener::LobbyListener(QObject *parent) : QObject(parent), server_(new QTcpServer(this))
{
    connect(server_, &QTcpServer::newConnection, this, &LobbyListener::accept);
}

LobbyListener::~LobbyListener()
{
    if (game_)
        game_->disconnect(this);
}

bool LobbyListener::listen(int port, QString *error)
{
    if (server_->isListening())
        return true;
    if (server_->listen(QHostAddress::LocalHost, quint16(port)))
        return true;
    if (error)
        *error = server_->errorString();
    return false;
}

bool LobbyListener::isListening() const { return server_->isListening(); }

void LobbyListener::release()
{
    if (!game_)
        return;
    QTcpSocket *s = game_;
    game_ = nullptr;
    s->disconnect(this);
    s->abort();
    s->deleteLater();
}

int LobbyListener::port() const { return server_->serverPort(); }

void LobbyListener::accept()
{
    while (QTcpSocket *s = server_->nextPendingConnection()) {
        if (game_) {
            // One game at a time: a clean close rather than a hanging socket.
            s->disconnectFromHost();
            connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            if (s->state() == QAbstractSocket::UnconnectedState)
                s->deleteLater();
            emit refused();
            continue;
        }
        game_ = s;
        // Nothing is expected on it; whatever comes is dropped unread.
        connect(s, &QTcpSocket::readyRead, s, [s] { s->readAll(); });
        connect(s, &QTcpSocket::disconnected, this, [this, s] {
            s->deleteLater();
            if (game_ == s) {
                game_ = nullptr;
                emit gameDisconnected();
            }
        });
        connect(s, &QTcpSocket::errorOccurred, s, [s] { s->abort(); });
        emit gameConnected();
    }
}

} // namespace quillet::lobby
