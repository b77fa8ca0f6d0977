// A raw protocol peer for server tests: a QTcpSocket that collects the
// messages it receives, cut at 0xFF.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpSocket>
#include <QTest>

#include <string>
#include <vector>

class TestClient : public QObject {
public:
    explicit TestClient(QObject *parent = nullptr) : QObject(parent)
    {
        connect(&sock, &QTcpSocket::readyRead, this, [this] {
            const QByteArray bytes = sock.readAll();
            buffer.append(bytes.constData(), std::size_t(bytes.size()));
            for (std::size_t end; (end = buffer.find('\xFF')) != std::string::npos;) {
                messages.push_back(buffer.substr(0, end));
                buffer.erase(0, end + 1);
            }
        });
        connect(&sock, &QTcpSocket::disconnected, this, [this] { closedByServer = true; });
    }

    // Connects (optionally from a given local address) and waits for the
    // server's first message.
    bool open(int port, const char *fromAddress = nullptr)
    {
        if (fromAddress && !sock.bind(QHostAddress(QString::fromLatin1(fromAddress)), 0))
            return false;
        sock.connectToHost(QHostAddress::LocalHost, quint16(port));
        return sock.waitForConnected(5000);
    }
    bool waitForMessages(std::size_t n, int timeoutMs = 5000)
    {
        return QTest::qWaitFor([&] { return messages.size() >= n; }, timeoutMs);
    }
    bool waitFor(const std::string &message, int timeoutMs = 5000)
    {
        return QTest::qWaitFor([&] { return has(message); }, timeoutMs);
    }
    bool has(const std::string &message) const { return count(message) > 0; }
    int count(const std::string &message) const
    {
        int n = 0;
        for (const auto &m : messages)
            n += m == message;
        return n;
    }
    int countPrefix(const std::string &prefix) const
    {
        int n = 0;
        for (const auto &m : messages)
            n += m.rfind(prefix, 0) == 0;
        return n;
    }
    // The slot from "CMD_sendlogininfo+N", or 0.
    int slot() const
    {
        const std::string prefix = "CMD_sendlogininfo+";
        for (const auto &m : messages)
            if (m.rfind(prefix, 0) == 0)
                return std::atoi(m.c_str() + prefix.size());
        return 0;
    }
    void sendRaw(const std::string &bytes)
    {
        sock.write(bytes.data(), qint64(bytes.size()));
        sock.flush();
    }
    void send(const std::string &message) { sendRaw(message + '\xFF'); }

    QTcpSocket sock;
    std::string buffer;
    std::vector<std::string> messages;
    bool closedByServer = false;
};

