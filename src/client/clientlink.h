// The table's connection to a server: a thin seam over the stream socket so
// the table's logic does not depend on socket details.
#pragma once

#include <QObject>

#include <functional>
#include <string>
#include <string_view>

class TSock;

namespace quillet {

class ClientLink : public QObject {
    Q_OBJECT
public:
    explicit ClientLink(QObject *parent = nullptr);
    ~ClientLink() override;

    // Connects without blocking; the outcome arrives as bytes or a close.
    void open(const std::string &host, int port);
    // Sends one whole message (terminator included). Dropped when not open.
    void send(const std::string &message);
    void close();
    bool isOpen() const;

    std::function<void(std::string_view bytes)> onBytes;
    // The connection is over ("Socket Closed").
    std::function<void()> onClosed;
    // Anything else the socket reports (errors, refusals), for a status line.
    std::function<void(const std::string &text)> onReport;

private:
    TSock *sock_ = nullptr;
};

} // namespace quillet
