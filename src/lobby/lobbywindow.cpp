#include "lobby/lobbywindow.h"

#include "app/singleinstance.h"
#include "lobby/gameprocess.h"
#include "lobby/lobbylistener.h"
#include "lobby/lobbysettings.h"
#include "settings/profile.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QPushButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QVBoxLayout>

namespace quillet::lobby {

namespace {

const QString kInGame = QStringLiteral("In a game");
const QString kNotInGame = QStringLiteral("Not in a game");

// Private ranges first: those are what friends at home or on a LAN can use.
int addressRank(const QHostAddress &a)
{
    const quint32 v = a.toIPv4Address();
    const bool privateRange = (v >> 24) == 10 || (v >> 20) == (172u << 4 | 1) || (v >> 16) == (192u << 8 | 168);
    if (privateRange)
        return 0;
    if ((v >> 16) == (169u << 8 | 254)) // link-local: last resort
        return 2;
    return 1;
}

QPushButton *actionButton(const QString &caption, const char *name, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setMinimumWidth(130);
    b->setAutoDefault(true); // Enter presses the focused button, as Space does
    return b;
}

QLabel *plainLabel(const QString &text, const char *name, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    return l;
}

} // namespace

QStringList localAddresses()
{
    QList<QHostAddress> found;
    for (const QNetworkInterface &nic : QNetworkInterface::allInterfaces()) {
        const auto flags = nic.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning) ||
            (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : nic.addressEntries()) {
            const QHostAddress a = entry.ip();
            if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback() && !found.contains(a))
                found << a;
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const QHostAddress &x, const QHostAddress &y) { return addressRank(x) < addressRank(y); });
    QStringList out;
    for (const QHostAddress &a : found)
        out << a.toString();
    return out;
}

bool portIsFree(int port, QString *error)
{
    // The game's server takes every IPv4 address; so does the trial.
    QTcpServer trial;
    if (trial.listen(QHostAddress::AnyIPv4, quint16(port))) {
        trial.close();
        return true;
    }
    if (error)
        *error = trial.errorString();
    return false;
}

LobbyWindow::LobbyWindow(const LobbyConfig &config, QWidget *parent)
    : QWidget(parent), config_(config), process_(new GameProcess(this)), listener_(new LobbyListener(this))
{
    setObjectName("LobbyWindow");
    setWindowTitle("Zolvex Lobby");

    askPortInUse = [this](const QString &text) {
        QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::NoButton, this);
        QPushButton *retry = box.addButton("Try Again", QMessageBox::AcceptRole);
        QPushButton *goOn = box.addButton("Go On Without It", QMessageBox::AcceptRole);
        box.addButton("Quit", QMessageBox::RejectRole);
        box.setDefaultButton(goOn);
        box.exec();
        if (box.clickedButton() == retry)
            return PortChoice::Retry;
        return box.clickedButton() == goOn ? PortChoice::GoOn : PortChoice::Quit;
    };
    findAddresses = [] { return localAddresses(); };
    testPort = [](int port, QString *error) { return portIsFree(port, error); };

    const LobbySettings saved = readLobbySettings(settingsPath());
    recent_ = saved.recent;

    // Name.
    auto *nameRow = new QFormLayout;
    edit_name = new QLineEdit(saved.name, this);
    edit_name->setObjectName("edit_name");
    edit_name->setMaxLength(kMaxNameLength + 8); // room to see the message about it
    edit_name->setPlaceholderText("The name the other players see");
    nameRow->addRow("Your &name:", edit_name);

    // Host.
    box_host_ = new QGroupBox("Host a game", this);
    spin_port = new QSpinBox(box_host_);
    spin_port->setObjectName("spin_port");
    spin_port->setRange(1, 65535);
    spin_port->setValue(saved.hostPort);
    spin_port->setAccelerated(true);
    button_host = actionButton("&Host a Game", "button_host", box_host_);
    auto *portRow = new QHBoxLayout;
    auto *portLabel = new QLabel("&Port:", box_host_);
    portLabel->setBuddy(spin_port);
    portRow->addWidget(portLabel);
    portRow->addWidget(spin_port);
    portRow->addStretch(1);
    portRow->addWidget(button_host);
    label_addresses = plainLabel(QString(), "label_addresses", box_host_);
    label_addresses->setTextInteractionFlags(Qt::TextSelectableByMouse);
    button_copy = new QPushButton("&Copy", box_host_);
    button_copy->setObjectName("button_copy");
    button_copy->setToolTip("Copy the address and port to give to your friends");
    auto *addressRow = new QHBoxLayout;
    addressRow->addWidget(label_addresses, 1);
    addressRow->addWidget(button_copy, 0, Qt::AlignTop);
    auto *reach = plainLabel("Friends outside your own network need your router's public address, and the port "
                             "must be let through your firewall and forwarded by your router to this computer.",
                             "label_reach", box_host_);
    QFont small = reach->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    reach->setFont(small);
    auto *hostLayout = new QVBoxLayout(box_host_);
    hostLayout->addLayout(portRow);
    hostLayout->addWidget(plainLabel("Tell your friends one of these addresses and the port:", "label_tell",
                                     box_host_));
    hostLayout->addLayout(addressRow);
    hostLayout->addWidget(reach);

    // Join.
    box_join_ = new QGroupBox("Join a game", this);
    combo_address = new QComboBox(box_join_);
    combo_address->setObjectName("combo_address");
    combo_address->setEditable(true);
    combo_address->setInsertPolicy(QComboBox::NoInsert);
    combo_address->addItems(recent_);
    combo_address->setCurrentIndex(recent_.isEmpty() ? -1 : 0);
    combo_address->lineEdit()->setPlaceholderText("e.g. 192.168.1.20 or host:7001");
    combo_address->setMinimumContentsLength(24);
    button_join = actionButton("&Join Game", "button_join", box_join_);
    auto *joinRow = new QHBoxLayout(box_join_);
    auto *addressLabel = new QLabel("&Address:", box_join_);
    addressLabel->setBuddy(combo_address);
    joinRow->addWidget(addressLabel);
    joinRow->addWidget(combo_address, 1);
    joinRow->addWidget(button_join);

    // Solo.
    auto *soloBox = new QGroupBox("Play alone", this);
    button_solo = actionButton("Play &Solo", "button_solo", soloBox);
    auto *soloRow = new QHBoxLayout(soloBox);
    soloRow->addWidget(plainLabel("Against three computer players.", "label_solo", soloBox), 1);
    soloRow->addWidget(button_solo);

    label_status = plainLabel(kNotInGame, "label_status", this);
    QFont bold = label_status->font();
    bold.setBold(true);
    label_status->setFont(bold);
    label_message = plainLabel(QString(), "label_message", this);
    label_message->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(10);
    layout->addLayout(nameRow);
    layout->addWidget(box_host_);
    layout->addWidget(box_join_);
    layout->addWidget(soloBox);
    layout->addWidget(label_status);
    layout->addWidget(label_message);
    layout->addStretch(1);
    setMinimumWidth(460);

    connect(button_host, &QPushButton::clicked, this, &LobbyWindow::hostClick);
    connect(button_join, &QPushButton::clicked, this, &LobbyWindow::joinClick);
    connect(button_solo, &QPushButton::clicked, this, &LobbyWindow::soloClick);
    connect(button_copy, &QPushButton::clicked, this, &LobbyWindow::copyClick);
    connect(combo_address->lineEdit(), &QLineEdit::returnPressed, this, &LobbyWindow::joinClick);
    connect(spin_port, &QSpinBox::valueChanged, this, &LobbyWindow::refreshAddresses);

    connect(process_, &GameProcess::finished, this, &LobbyWindow::gameOver);
    connect(listener_, &LobbyListener::gameConnected, this, &LobbyWindow::gameStarted);
    connect(listener_, &LobbyListener::gameDisconnected, this, &LobbyWindow::gameOver);
    connect(listener_, &LobbyListener::refused, this, [this] {
        showInfo("Another game tried to reach the lobby while this one is open; it was turned away.");
    });

    setTabOrder(edit_name, spin_port);
    setTabOrder(spin_port, button_host);
    setTabOrder(button_host, button_copy);
    setTabOrder(button_copy, combo_address);
    setTabOrder(combo_address, button_join);
    setTabOrder(button_join, button_solo);
    refreshAddresses();
    updateState();
    // A newcomer starts with the name; a returning player can host with Enter.
    if (edit_name->text().isEmpty())
        edit_name->setFocus();
    else
        button_host->setFocus();
}

LobbyWindow::~LobbyWindow() = default;

QString LobbyWindow::settingsPath() const { return settingsFilePath(config_.home); }

bool LobbyWindow::startListening()
{
    for (;;) {
        QString error;
        listening_ = listener_->listen(config_.lobbyPort, &error);
        if (listening_)
            break;
        const QString text =
            QStringLiteral("The lobby cannot use port %1 on this computer (%2). Perhaps another lobby is "
                           "open.\n\nWithout it, the lobby still sees when a game it started ends, but a game "
                           "started another way goes unnoticed.")
                .arg(config_.lobbyPort)
                .arg(error);
        const PortChoice choice = askPortInUse ? askPortInUse(text) : PortChoice::GoOn;
        if (choice == PortChoice::Quit)
            return false;
        if (choice == PortChoice::GoOn)
            break;
    }
    updateState();
    return true;
}

bool LobbyWindow::nameOk()
{
    const QString error = checkName(edit_name->text());
    if (error.isEmpty())
        return true;
    showError(error, edit_name);
    return false;
}

void LobbyWindow::hostClick()
{
    if (gameOpen_ || !nameOk())
        return;
    lastLaunch_ = button_host;
    const int port = spin_port->value();
    if (port == config_.lobbyPort) {
        showError(QStringLiteral("Port %1 is the lobby's own port: choose another port for the game.").arg(port),
                  spin_port);
        return;
    }
    QString error;
    if (testPort && !testPort(port, &error)) {
        showError(QStringLiteral("Port %1 is already in use on this computer (%2). Choose another port, or close "
                                 "the program that uses it.")
                      .arg(port)
                      .arg(error),
                  spin_port);
        return;
    }
    if (launch(hostArguments(edit_name->text(), port, {config_.home, config_.lobbyPort}),
               QStringLiteral("Hosting on port %1. Tell your friends the address and port above.").arg(port)))
        saveSettings();
}

void LobbyWindow::joinClick()
{
    if (gameOpen_ || !nameOk())
        return;
    lastLaunch_ = button_join;
    const JoinAddress address = parseAddress(combo_address->currentText());
    if (!address.ok()) {
        showError(address.error, combo_address);
        return;
    }
    if (!launch(joinArguments(edit_name->text(), address, {config_.home, config_.lobbyPort}),
                QStringLiteral("Joining the game at %1.").arg(address.text())))
        return;
    recent_ = withRecent(recent_, address.text());
    combo_address->clear();
    combo_address->addItems(recent_);
    combo_address->setCurrentIndex(0);
    saveSettings();
}

void LobbyWindow::soloClick()
{
    if (gameOpen_)
        return;
    lastLaunch_ = button_solo;
    if (launch(soloArguments({config_.home, config_.lobbyPort}), QStringLiteral("Playing solo.")))
        saveSettings();
}

bool LobbyWindow::launch(const QStringList &arguments, const QString &startedText)
{
    const QString program = findGameProgram(config_.gameProgram);
    if (program.isEmpty()) {
        if (!config_.gameProgram.isEmpty())
            showError(QStringLiteral("The game program \"%1\" was not found, or cannot be run.")
                          .arg(QDir::toNativeSeparators(config_.gameProgram)));
        else
            showError(QStringLiteral("The game program \"quillet\" was not found beside the lobby (%1) or in "
                                     "PATH. Please install Quillet again.")
                          .arg(QDir::toNativeSeparators(QCoreApplication::applicationDirPath())));
        return false;
    }
    // A game opened some other way would only raise itself and end.
    const QString gameHome =
        config_.home.isEmpty() ? QFileInfo(QFileInfo(program).canonicalFilePath()).absolutePath() : config_.home;
    if (SingleInstance::isRunning(SingleInstance::keyFor(gameHome))) {
        showError("A game of Quillet is already open. Close it first, then try again.");
        return false;
    }
    QString error;
    if (!process_->start(program, arguments, &error)) {
        showError(QStringLiteral("The game could not be started: %1").arg(error));
        return false;
    }
    gameOpen_ = true;
    showInfo(startedText);
    updateState();
    return true;
}

void LobbyWindow::gameStarted()
{
    gameOpen_ = true;
    updateState();
}

void LobbyWindow::gameOver()
{
    // Either sign ends the game; the other one, when it follows, is no news.
    process_->forget();
    listener_->release();
    if (!gameOpen_)
        return;
    gameOpen_ = false;
    label_message->clear();
    updateState();
    // Back where the player left off, not on whatever kept the focus meanwhile.
    if (lastLaunch_)
        lastLaunch_->setFocus();
    comeForward();
    emit gameEnded();
}

void LobbyWindow::comeForward()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void LobbyWindow::updateState()
{
    for (QWidget *w : std::initializer_list<QWidget *>{edit_name, spin_port, button_host, combo_address,
                                                       button_join, button_solo})
        w->setEnabled(!gameOpen_);
    QString status = gameOpen_ ? kInGame : kNotInGame;
    if (!listening_)
        status += QStringLiteral(" (the lobby is not listening on port %1)").arg(config_.lobbyPort);
    label_status->setText(status);
}

void LobbyWindow::refreshAddresses()
{
    const int port = spin_port->value();
    shownAddresses_.clear();
    for (const QString &a : findAddresses ? findAddresses() : QStringList())
        shownAddresses_ << QStringLiteral("%1:%2").arg(a).arg(port);
    if (shownAddresses_.isEmpty()) {
        label_addresses->setText(QStringLiteral("No network address found: only games on this computer "
                                                "(127.0.0.1:%1) are possible.")
                                     .arg(port));
        button_copy->setEnabled(false);
        return;
    }
    label_addresses->setText(shownAddresses_.join(u'\n'));
    button_copy->setEnabled(true);
}

void LobbyWindow::copyClick()
{
    if (shownAddresses_.isEmpty())
        return;
    QApplication::clipboard()->setText(shownAddresses_.join(u'\n'));
    showInfo(shownAddresses_.size() == 1 ? QStringLiteral("The address is copied.")
                                         : QStringLiteral("The addresses are copied."));
}

void LobbyWindow::showError(const QString &text, QWidget *field)
{
    label_message->setStyleSheet(QStringLiteral("color: #b00020;"));
    label_message->setText(text);
    fitHeight();
    if (field) {
        field->setFocus(Qt::OtherFocusReason);
        if (auto *edit = qobject_cast<QLineEdit *>(field))
            edit->selectAll();
        else if (auto *combo = qobject_cast<QComboBox *>(field))
            combo->lineEdit()->selectAll();
        else if (auto *spin = qobject_cast<QSpinBox *>(field))
            spin->selectAll();
    }
}

void LobbyWindow::showInfo(const QString &text)
{
    label_message->setStyleSheet(QString());
    label_message->setText(text);
    fitHeight();
}

void LobbyWindow::saveSettings()
{
    LobbySettings s;
    // A name the game cannot take is not kept over a good one.
    const LobbySettings before = readLobbySettings(settingsPath());
    s.name = checkName(edit_name->text()).isEmpty() ? edit_name->text().trimmed() : before.name;
    s.hostPort = spin_port->value();
    s.recent = recent_;
    QString error;
    if (!writeLobbySettings(settingsPath(), s, &error))
        showError(QStringLiteral("The lobby's settings could not be saved: %1").arg(error));
}

void LobbyWindow::fitHeight()
{
    // Wrapped texts need more height as the window gets narrower (or the
    // text larger); a top-level window does not follow that by itself.
    if (!layout())
        return;
    const int needed = layout()->totalHeightForWidth(width());
    if (needed <= 0)
        return;
    setMinimumHeight(needed);
    if (height() < needed)
        resize(width(), needed);
}

void LobbyWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    fitHeight();
}

void LobbyWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitHeight();
}

void LobbyWindow::closeEvent(QCloseEvent *event)
{
    // A running game goes on: it was started apart from the lobby.
    saveSettings();
    QWidget::closeEvent(event);
}

} // namespace quillet::lobby
