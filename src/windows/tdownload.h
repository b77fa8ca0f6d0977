// The lobby download window: download and start the lobby's installer, play
// solo, or leave for an installed lobby.
#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>

class QLabel;
class QPushButton;

namespace quillet {

class LobbyDownload;

// Where the installer comes from unless the settings file's "LobbyURL" key
// (section "Quillet") names another address.
inline constexpr char kDefaultLobbyUrl[] = "https://www.zolvex.com/lobby/ZolvexLobbySetup.exe";
inline constexpr char kLobbyUrlKey[] = "LobbyURL";
// The installer's name when the address does not end in a usable one.
inline constexpr char kDefaultInstallerName[] = "ZolvexLobbySetup.exe";

// Where an installed lobby program is looked for, in order: "zolvexlobby"
// beside this program (a build tree or an installed tree), in PATH,
// ~/.local/bin/zolvexlobby, /opt/zolvex/zolvexlobby,
// /opt/zolvex/bin/zolvexlobby.
QStringList lobbyProgramCandidates();
// The first candidate that is an executable file, or empty.
QString findInstalledLobby();
// The last part of the address's path when it can name a file, else the
// default installer name.
QString installerFileName(const QUrl &url);

class Tdownload : public QDialog {
    Q_OBJECT
public:
    explicit Tdownload(QWidget *parent = nullptr);
    ~Tdownload() override;

    // The address of the next download; set, it replaces the setting.
    void setUrl(const QUrl &url);
    // The address set, else "LobbyURL" from the settings file, else the
    // default. The file is read at each download, so an edited address
    // needs no restart.
    QUrl url() const;
    // --home: where the settings file is read and the installer written
    // when the program's own directory cannot take it.
    void setHome(const QString &home) { home_ = home; }
    // The installer's path: next to the program when that directory is
    // writable, else the per-user data directory (or the --home directory).
    QString targetPath(const QString &fileName) const;

    // infolabel's tag: 1 while a download runs normally, 2 once it failed or
    // was stopped, 0 before the first one.
    int tag() const { return tag_; }
    bool downloading() const;

    void getbuttonClick();
    void abortbuttonClick();
    void Button1Click();
    void Button2Click();

    QPushButton *getbutton = nullptr;
    QPushButton *abortbutton = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QLabel *infolabel = nullptr;
    QLabel *infolabel2 = nullptr;
    QLabel *infolabel3 = nullptr;

    // Platform hooks; tests replace them.
    // Opens the downloaded installer with the desktop.
    std::function<bool(const QUrl &)> openUrl;
    // Finds the installed lobby program (path or empty).
    std::function<QString()> findLobby;
    // Starts a program detached from this one.
    std::function<bool(const QString &program, const QStringList &arguments)> startProgram;
    // A modal message.
    std::function<void(const QString &text)> messageBox;
    // Ends the program the way the table's "Exit" does; the table sets it.
    std::function<void()> exitProgram;

protected:
    void setVisible(bool visible) override;

private:
    void downloadFinished(bool complete, qint64 size, const QString &reason);
    void showMessage(const QString &text);

    LobbyDownload *download_ = nullptr;
    QUrl url_;
    QString home_;
    QString filePath_;
    int tag_ = 0;
    bool stopped_ = false;
};

} // namespace quillet
