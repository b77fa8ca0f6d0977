#include "client/clientlink.h"

#include "net/guard.h"
#include "net/tsock.h"

namespace quillet {

ClientLink::ClientLink(QObject *parent) : QObject(parent) {}

ClientLink::~ClientLink()
{
    if (sock_) {
        // Ending the program closes quietly: nobody listens any more.
        sock_->OnInfo = nullptr;
        sock_->OnRead = nullptr;
        sock_->OnDisconnect = nullptr;
        sock_->Close();
    }
}

void ClientLink::open(const std::string &host, int port)
{
    if (sock_) {
        sock_->OnInfo = nullptr;
        sock_->OnRead = nullptr;
        sock_->Close();
        sock_->deleteLater();
    }
    sock_ = new TSock(this);
    sock_->setPortName(std::to_string(port));
    sock_->setHostName(host);
    sock_->OnRead = [this](TSock *s, int) {
        const std::string bytes = s->Receive();
        if (onBytes && !bytes.empty())
            onBytes(bytes);
    };
    sock_->OnInfo = [this](TSock *, TSocketInfo kind, const std::string &msg) {
        if (msg == "Socket Closed") {
            if (onClosed)
                onClosed();
        } else if (kind == TSocketInfo::Error && onReport) {
            onReport(msg);
        }
    };
    sock_->Open();
}

void ClientLink::send(const std::string &message)
{
    if (!sock_ || !sock_->HasHandle())
        return;
    sock_->Send(message);
}

void ClientLink::close()
{
    if (sock_)
        sock_->Close();
}

bool ClientLink::isOpen() const { return sock_ && sock_->Connected(); }

} // namespace quillet
