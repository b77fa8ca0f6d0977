// The lobby's one window: the player's name, host a game, join a game, play
// solo, and whether a game is open.
#pragma once

#include "lobby/lobbyrules.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace quillet::lobby {

class GameProcess;
class LobbyListener;

struct LobbyConfig {
    QString home;                      // --home (absolute); empty: the default place
    int lobbyPort = kDefaultLobbyPort; // --lobby-port
    QString gameProgram;               // --game; empty: look for quillet
};

// This machine's IPv4 addresses that friends might reach, as read from the
// network interfaces (nothing is sent).
QStringList localAddresses();

// Whether the game could listen on `port` on every address: a trial bind,
// closed at once. False with the system's reason.
bool portIsFree(int port, QString *error);

class LobbyWindow : public QWidget {
    Q_OBJECT
public:
    enum class PortChoice { Retry, GoOn, Quit };

    explicit LobbyWindow(const LobbyConfig &config, QWidget *parent = nullptr);
    ~LobbyWindow() override;

    // Listens on the lobby port, asking what to do when it is taken. False
    // when the user chose to quit.
    bool startListening();

    void hostClick();
    void joinClick();
    void soloClick();
    void copyClick();
    // Shows the window in front of the others (restored if minimized).
    void comeForward();
    // Reads this machine's addresses again and shows them with the port.
    void refreshAddresses();

    bool inGame() const { return gameOpen_; }
    QString settingsPath() const;

    QLineEdit *edit_name = nullptr;
    QSpinBox *spin_port = nullptr;
    QPushButton *button_host = nullptr;
    QLabel *label_addresses = nullptr;
    QPushButton *button_copy = nullptr;
    QComboBox *combo_address = nullptr;
    QPushButton *button_join = nullptr;
    QPushButton *button_solo = nullptr;
    QLabel *label_status = nullptr;
    QLabel *label_message = nullptr;

    // Platform hooks; tests replace them.
    std::function<PortChoice(const QString &text)> askPortInUse;
    std::function<QStringList()> findAddresses;
    std::function<bool(int port, QString *error)> testPort;

signals:
    // The game ended and the lobby came forward.
    void gameEnded();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Starts the game; false (with the reason shown) when it cannot start.
    bool launch(const QStringList &arguments, const QString &startedText);
    void gameStarted();
    void gameOver();
    void updateState();
    void showError(const QString &text, QWidget *field = nullptr);
    void showInfo(const QString &text);
    bool nameOk();
    void fitHeight();
    void saveSettings();

    LobbyConfig config_;
    GameProcess *process_ = nullptr;
    LobbyListener *listener_ = nullptr;
    QGroupBox *box_host_ = nullptr;
    QGroupBox *box_join_ = nullptr;
    QStringList recent_;
    QStringList shownAddresses_;
    QWidget *lastLaunch_ = nullptr;
    bool gameOpen_ = false;
    bool listening_ = false;
};

} // namespace quillet::lobby
