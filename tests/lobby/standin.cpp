// A stand-in for the game in the lobby's tests. It reports its command line
// to the test over a control connection (127.0.0.1, port from
// LOBBY_STANDIN_CONTROL) and obeys one command a line:
//   connect N   open a connection to 127.0.0.1 port N and keep it ("connected" / "failed")
//   drop        close that connection ("dropped")
//   exit        end the process
// It ends when the control connection closes, and after two minutes anyway.
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpSocket>
#include <QTimer>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    bool ok = false;
    const int controlPort = qEnvironmentVariableIntValue("LOBBY_STANDIN_CONTROL", &ok);
    if (!ok || controlPort < 1 || controlPort > 65535)
        return 0;

    QTimer::singleShot(120000, &app, &QCoreApplication::quit);
    QTcpSocket control;
    QTcpSocket lobby;
    QObject::connect(&control, &QTcpSocket::connected, &control, [&] {
        QJsonArray args;
        for (const QString &a : app.arguments().mid(1))
            args << a;
        control.write(QJsonDocument(args).toJson(QJsonDocument::Compact) + '\n');
    });
    QObject::connect(&control, &QTcpSocket::disconnected, &app, &QCoreApplication::quit);
    QObject::connect(&control, &QTcpSocket::errorOccurred, &app, &QCoreApplication::quit);
    QObject::connect(&lobby, &QTcpSocket::connected, &control, [&] { control.write("connected\n"); });
    QObject::connect(&lobby, &QTcpSocket::errorOccurred, &control, [&] {
        if (lobby.state() != QAbstractSocket::ConnectedState)
            control.write("failed\n");
    });
    QObject::connect(&control, &QTcpSocket::readyRead, &control, [&] {
        while (control.canReadLine()) {
            const QByteArray line = control.readLine().trimmed();
            if (line.startsWith("connect ")) {
                lobby.connectToHost(QHostAddress::LocalHost, quint16(line.mid(8).toInt()));
            } else if (line == "drop") {
                lobby.disconnectFromHost();
                control.write("dropped\n");
            } else if (line == "exit") {
                app.quit();
            }
        }
    });
    control.connectToHost(QHostAddress::LocalHost, quint16(controlPort));
    return app.exec();
}
