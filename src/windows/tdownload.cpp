#include "windows/tdownload.h"

#include "net/guard.h"
#include "windows/lobbydownload.h"
#include "settings/profile.h"
#include "settings/settingsvalues.h"
#include "windows/windowplace.h"
#include "ui/pictures.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace quillet {

namespace {

constexpr char kLobbyProgram[] = "zolvexlobby";
const QString kNoLobby = QStringLiteral("Please close the game and open the Zolvex Lobby using the icon on your "
                                        "desktop or using the your Window's start-up menu.");

QFrame *panel(QWidget *parent, const char *name)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    // A light sheet over the linen keeps the text easy to read.
    frame->setStyleSheet(QStringLiteral("QFrame#%1 { background: rgba(255, 255, 255, 140);"
                                        " border: 1px solid #9aa79a; border-radius: 6px; }")
                             .arg(QLatin1String(name)));
    return frame;
}

QLabel *text(const QString &s, QWidget *parent, bool bold = false)
{
    auto *label = new QLabel(s, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    if (bold) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    return label;
}

QPushButton *button(const QString &caption, const char *name, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    b->setMinimumHeight(28);
    return b;
}

} // namespace

QStringList lobbyProgramCandidates()
{
    QStringList list{QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(kLobbyProgram))};
    const QString inPath = QStandardPaths::findExecutable(QLatin1String(kLobbyProgram));
    if (!inPath.isEmpty())
        list << inPath;
    list << QDir::home().filePath(QStringLiteral(".local/bin/%1").arg(QLatin1String(kLobbyProgram)))
         << QStringLiteral("/opt/zolvex/%1").arg(QLatin1String(kLobbyProgram))
         << QStringLiteral("/opt/zolvex/bin/%1").arg(QLatin1String(kLobbyProgram));
    return list;
}

QString findInstalledLobby()
{
    for (const QString &path : lobbyProgramCandidates()) {
        const QFileInfo info(path);
        if (info.isFile() && info.isExecutable())
            return info.absoluteFilePath();
    }
    return QString();
}

QString installerFileName(const QUrl &url)
{
    const QString name = url.fileName(QUrl::FullyDecoded);
    bool usable = !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\\');
    for (const QChar c : name)
        usable = usable && c.isPrint();
    return usable ? name : QString::fromLatin1(kDefaultInstallerName);
}

Tdownload::Tdownload(QWidget *parent) : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName("Tdownload");
    setWindowTitle("Download The Zolvex Lobby");
    useSideBackground(this);

    openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    findLobby = [] { return findInstalledLobby(); };
    startProgram = [](const QString &program, const QStringList &arguments) {
        return QProcess::startDetached(program, arguments);
    };
    messageBox = [this](const QString &t) { QMessageBox::information(this, "Quillet", t); };

    // Download.
    QFrame *download = panel(this, "panel_download");
    auto *logo = new QLabel(download);
    logo->setPixmap(pictures::logo());
    logo->setFixedSize(64, 64);
    auto *pitch = text("Download The Zolvex Lobby Now to play this  and other exciting games online with other "
                       "players! ",
                       download, true);
    pitch->setObjectName("label_download");
    auto *pitchRow = new QHBoxLayout;
    pitchRow->setSpacing(12);
    pitchRow->addWidget(logo, 0, Qt::AlignTop);
    pitchRow->addWidget(pitch, 1);
    getbutton = button("Download And Install The Zolvex Lobby Now", "getbutton", download);
    abortbutton = button("Stop Download", "abortbutton", download);
    abortbutton->setEnabled(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(getbutton, 1);
    buttons->addWidget(abortbutton);
    infolabel = text(QString(), download);
    infolabel->setObjectName("infolabel");
    infolabel3 = text(QString(), download);
    infolabel3->setObjectName("infolabel3");
    infolabel2 = text(QString(), download);
    infolabel2->setObjectName("infolabel2");
    infolabel2->hide();
    auto *downloadLayout = new QVBoxLayout(download);
    downloadLayout->addLayout(pitchRow);
    downloadLayout->addLayout(buttons);
    downloadLayout->addWidget(infolabel);
    downloadLayout->addWidget(infolabel3);
    downloadLayout->addWidget(infolabel2);

    // Solo.
    QFrame *solo = panel(this, "panel_solo");
    auto *soloText = text("To proceed to the game without the ability to play against others click the button "
                          "below.",
                          solo);
    soloText->setObjectName("label_solo");
    auto *note = text("Note: Even if you are playing offline, you will need to configure your FIREWALL to allow "
                      "the game to access the internet components.",
                      solo);
    note->setObjectName("label_firewall");
    Button1 = button("Play Solo Game", "Button1", solo);
    Button1->setDefault(true);
    auto *soloLayout = new QVBoxLayout(solo);
    soloLayout->addWidget(soloText);
    soloLayout->addWidget(note);
    soloLayout->addWidget(Button1, 0, Qt::AlignHCenter);

    // Lobby.
    QFrame *lobby = panel(this, "panel_lobby");
    auto *lobbyText = text("If you already have The Zolvex Lobby and you wish to play with others then click the "
                           "button below to close this game and open The Zolvex Lobby.",
                           lobby);
    lobbyText->setObjectName("label_lobby");
    Button2 = button("Play with Others", "Button2", lobby);
    auto *lobbyLayout = new QVBoxLayout(lobby);
    lobbyLayout->addWidget(lobbyText);
    lobbyLayout->addWidget(Button2, 0, Qt::AlignHCenter);

    for (QPushButton *b : {Button1, Button2})
        b->setMinimumWidth(160);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addWidget(download);
    layout->addWidget(solo);
    layout->addWidget(lobby);
    setFixedWidth(480);
    setFixedHeight(heightForWidth(480) > 0 ? heightForWidth(480) : sizeHint().height());

    download_ = new LobbyDownload(this);
    connect(download_, &LobbyDownload::headerLines, this,
            [this](int count) { infolabel->setText(infolabel->text() + QString(count, QLatin1Char('.'))); });
    connect(download_, &LobbyDownload::bodyBegins, this,
            [this] { infolabel3->setText("Downloading: " + infolabel2->text()); });
    connect(download_, &LobbyDownload::dataArrived, this,
            [this](qint64 total) { infolabel->setText(QString::number(total) + " bytes"); });
    connect(download_, &LobbyDownload::finished, this, &Tdownload::downloadFinished);

    connect(getbutton, &QPushButton::clicked, this, [this] { guarded([&] { getbuttonClick(); }); });
    connect(abortbutton, &QPushButton::clicked, this, [this] { guarded([&] { abortbuttonClick(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([&] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([&] { Button2Click(); }); });
}

Tdownload::~Tdownload() = default;

void Tdownload::setUrl(const QUrl &url) { url_ = url; }

QUrl Tdownload::url() const
{
    if (!url_.isEmpty())
        return url_;
    const ProfileFile settings(settingsFilePath(home_));
    QString address = settings.readString(QLatin1String(settingsSection), QLatin1String(kLobbyUrlKey)).trimmed();
    if (address.isEmpty())
        address = QString::fromLatin1(kDefaultLobbyUrl);
    return QUrl(address);
}

QString Tdownload::targetPath(const QString &fileName) const { return dataFilePath(home_, fileName); }

bool Tdownload::downloading() const { return download_->isRunning(); }

void Tdownload::getbuttonClick()
{
    if (download_->isRunning())
        return;
    tag_ = 1;
    stopped_ = false;
    const QUrl address = url();
    const QString name = installerFileName(address);
    infolabel2->setText(name);
    infolabel3->clear();
    filePath_ = targetPath(name);
    QString error;
    if (!download_->start(address, filePath_, &error)) {
        infolabel->setText("Download Aborted");
        tag_ = 2;
        showMessage(error);
        return;
    }
    getbutton->setEnabled(false);
    abortbutton->setEnabled(true);
    infolabel->setText("Loading");
}

void Tdownload::abortbuttonClick()
{
    if (!download_->isRunning())
        return;
    stopped_ = true;
    infolabel->setText("Download has been aborted.");
    tag_ = 2;
    infolabel3->setText("Download Aborted");
    // The download reports its end at once ("Download Aborted").
    download_->abort();
}

void Tdownload::downloadFinished(bool complete, qint64 size, const QString &reason)
{
    getbutton->setEnabled(true);
    abortbutton->setEnabled(false);
    if (!complete) {
        infolabel->setText("Download Aborted");
        tag_ = 2;
        if (!stopped_)
            infolabel3->setText(reason);
        return;
    }
    infolabel->setText(QStringLiteral("Received %1 bytes").arg(size));
    infolabel3->setText("Installing");
    bool opened = false;
    guarded([&] { opened = openUrl && openUrl(QUrl::fromLocalFile(filePath_)); });
    if (!opened) {
        showMessage("An Error has Occurred.");
        return;
    }
    guarded([&] {
        if (exitProgram)
            exitProgram();
    });
}

void Tdownload::Button1Click() { hide(); }

void Tdownload::Button2Click()
{
    const QString lobby = findLobby ? findLobby() : QString();
    // The lobby keeps its settings where the game does.
    const QStringList arguments = home_.isEmpty() ? QStringList() : QStringList{"--home", home_};
    if (!lobby.isEmpty() && startProgram && startProgram(lobby, arguments)) {
        if (exitProgram)
            exitProgram();
        return;
    }
    showMessage(kNoLobby);
}

void Tdownload::showMessage(const QString &t)
{
    guarded([&] {
        if (messageBox)
            messageBox(t);
    });
}

void Tdownload::setVisible(bool visible)
{
    // Opens centred on the desktop, not on the table.
    if (visible && !isVisible())
        centreOn(this, nullptr);
    QDialog::setVisible(visible);
}

} // namespace quillet
