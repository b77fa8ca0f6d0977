// The table's connection: start-up choice, login, the pending list and the
// dispatcher, arrivals and departures.
#include "client/clientlink.h"
#include "net/tsock.h"
#include "client/tchat.h"
#include "client/wiretext.h"
#include "protocol/cards.h"
#include "protocol/commands.h"
#include "windows/sidewindows.h"
#include "windows/smallwindows.h"
#include "windows/tspylist.h"
#include "windows/ttallylist.h"
#include "ui/kit.h"

#include <QLabel>
#include <QTimer>

namespace quillet {

// One entry per message type; the three notices are handled right here.
struct Tchat::Handlers {
    Tchat &t;
    void operator()(const toTable::SendLoginInfo &m) const { t.sendloginfo(m); }
    void operator()(const toTable::Full &) const
    {
        t.messageBox("The Game is full, Disconnecting..");
        t.close();
    }
    void operator()(const toTable::NewPlayerInfo &m) const { t.newplayerinfo(m); }
    void operator()(const toTable::ExistingPlayers &m) const { t.newplayerinfo(m); }
    void operator()(const toTable::HaveWrongVersion &m) const
    {
        t.systemLine(fromWire(m.name) + " has a different version of the game then you.");
    }
    void operator()(const toTable::WrongVersion &) const
    {
        t.systemLine("You have a differnt version of the game then the host.");
    }
    void operator()(const toTable::PlaceCard &m) const { t.placecard(m); }
    void operator()(const toTable::NewPlayerStuff &m) const { t.newplayerstuff(m); }
    void operator()(const toTable::Stats &m) const { t.stats(m); }
    void operator()(const toTable::PlayerDisconnected &m) const { t.playerdisconnected(m); }
    void operator()(const toTable::StartGame &m) const { t.startthegame(m); }
    void operator()(const toTable::StartRound &m) const { t.startround(m); }
    void operator()(const toTable::Trump &m) const { t.trump(m); }
    void operator()(const toTable::Bid &m) const { t.mybid(m); }
    void operator()(const toTable::HisBid &m) const { t.hisbid(m); }
    void operator()(const toTable::NoBid &m) const { t.nobid(m); }
    void operator()(const toTable::ChooseTrump &m) const { t.choosetrump(m); }
    void operator()(const toTable::NextPlayer &m) const { t.getnextplayer(m); }
    void operator()(const toTable::PlayCard &m) const { t.playcard(m); }
    void operator()(const toTable::NeedSuit &m) const { t.needsuit(m); }
    void operator()(const toTable::TrickWinner &m) const { t.trickwinner(m); }
    void operator()(const toTable::Score &m) const { t.scoreit(m); }
    void operator()(const toTable::Winner &m) const { t.winner(m); }
    void operator()(const toTable::Chat &m) const { t.chatrecieved(m); }
    void operator()(const toTable::PlayASound &m) const { t.playasound(m); }
    void operator()(const toTable::JustWatching &m) const { t.justwatching(m); }
};

void Tchat::processparams(const QStringList &args)
{
    StartHalfGame1->setEnabled(false);
    button_start->hide();
    loginName_.clear();
    if (args.isEmpty()) {
        systemLine("Loading Solo Game..Please wait.");
        if (windows_ && windows_->download)
            windows_->download->show();
        hostaddr_ = "127.0.0.1";
        model_.setMyName("You");
        soloGame_ = true;
        hostpress();
        return;
    }
    systemLine("Loading Multi-player Game.. Please Wait.");
    if (args.size() < 3)
        return; // one or two parameters: nothing is started
    model_.setMyName(sanitizeName(toWire(args[0])));
    hostaddr_ = args[1];
    if (args[2] == QLatin1String("true"))
        hostpress();
    else
        joinpress();
    // The lobby expects a connection from a running game; nothing travels on it.
    lobbyLink_ = new ClientLink(this);
    lobbyLink_->open("127.0.0.1", lobbyPort);
}

void Tchat::setPlayerName(const QString &name)
{
    model_.setMyName(toWire(name));
    loginName_ = name;
}

void Tchat::hostpress()
{
    int port = serverPort;
    if (startServer) {
        try {
            port = startServer(soloGame_);
        } catch (const ESockException &) {
            // The table then does not connect; it says why and how to go on.
            const QString text = QString("Port %1 is already in use on this computer, so the game cannot be "
                                         "hosted there: another game or game server may be running. Close it, or "
                                         "host on another port (choose one in the lobby, or start the game with "
                                         "--port N).")
                                     .arg(serverPort);
            systemLine(text);
            messageBox(text);
            return;
        }
    }
    loginName_ = fromWire(model_.myname());
    model_.setHosting(true);
    link_->open("127.0.0.1", port);
    StartHalfGame1->setEnabled(true);
    button_start->show();
    button_start->raise();
    if (windows_ && windows_->spylist)
        windows_->spylist->setRemoveEnabled(true);
}

void Tchat::joinpress()
{
    loginName_ = fromWire(model_.myname());
    link_->open(toWire(hostaddr_), serverPort);
}

void Tchat::sockRead(std::string_view bytes)
{
    const bool idle = receivedlist.empty();
    if (!framer_.append(bytes, receivedlist)) {
        // A server that never terminates a message is not a server we can play with.
        link_->close();
        return;
    }
    // The first message of an idle queue need not wait for a tick.
    if (idle && !receivedlist.empty())
        processsocktimer();
    armDispatch();
}

void Tchat::armDispatch()
{
    if (!receivedlist.empty() && !Timer1->isActive())
        Timer1->start();
}

void Tchat::sockClosed()
{
    if (closing_ || reconnecting())
        return;  // a try that failed: the next one comes with the timer
    // What arrived before the close is handled first: a removed player is
    // told so just before his connection closes.
    while (!receivedlist.empty() && !closing_)
        processsocktimer();
    if (closing_)
        return;
    if (mayReconnect()) {
        startReconnecting();
        return;
    }
    close();
}

void Tchat::processsocktimer()
{
    if (receivedlist.empty()) {
        Timer1->stop();
        return;
    }
    const std::string entry = std::move(receivedlist.front());
    receivedlist.pop_front();
    if (receivedlist.empty())
        Timer1->stop();
    dispatch(entry);
}

void Tchat::dispatch(std::string_view entry)
{
    if (const auto message = decodeToTable(entry)) {
        std::visit(Handlers{*this}, *message);
        refreshView();
    }
}

void Tchat::sendloginfo(const toTable::SendLoginInfo &m)
{
    const int before = model_.myseat();
    if (!model_.sendloginfo(m))
        return;
    if (reconnecting())
        stopReconnecting(true);
    const QString version = (windows_ && windows_->about) ? windows_->about->versionText()
                                                           : QString::fromLatin1(kVersion.data(), kVersion.size());
    send(toServer::LoginInfo{model_.myseat(), toWire(version), toWire(loginName_)});
    sortstuff(model_.myseat());
    if (before != 0 && before != model_.myseat())
        showSeats();  // the panels turned under the labels they show
}

void Tchat::newplayerinfo(const toTable::ExistingPlayers &m) { newplayerinfo(toTable::NewPlayerInfo{m.slot, m.name}); }

void Tchat::newplayerinfo(const toTable::NewPlayerInfo &m)
{
    if (!model_.newplayerinfo(m.slot, m.name))
        return;
    const QString name = fromWire(m.name);
    const bool own = m.slot == model_.myseat();
    if (!isSeat(m.slot)) {
        if (windows_ && windows_->spylist)
            windows_->spylist->addEntry(QString::number(m.slot) + ": " + name);
        systemLine(own ? QString("You are just spying.") : name + " is spying.");
    } else {
        seat(m.slot).label_playername->setText(name);
        if (own) {
            systemLine("You are Connected.");
            emit loggedIn(); // the settings are read now
        } else {
            systemLine(name + " has Connected.");
        }
    }
    loadchecklist();
}

void Tchat::playerdisconnected(const toTable::PlayerDisconnected &m)
{
    const Departure d = model_.playerdisconnected(m);
    if (!d.known)
        return;
    if (d.own) {
        close();
        return;
    }
    if (isSeat(m.slot)) {
        if (d.disconnected)
            systemLine(fromWire(*d.disconnected) + " disconnected.");
        seat(m.slot).label_playername->setText(seatName(m.slot));
        seat(m.slot).image_eyes->hide();
    }
    loadchecklist();
    if (d.watcherLeft) {
        const QString name = fromWire(m.name);
        systemLine(name + " has left.");
        if (windows_ && windows_->spylist)
            windows_->spylist->removeEntry(QString::number(m.slot) + ": " + name);
    }
}

void Tchat::loadchecklist()
{
    if (!windows_ || !windows_->tally)
        return;
    QStringList names;
    for (int s = 1; s <= kSeats; ++s)
        if (s != model_.myseat() && model_.name(s) != TableModel::kWaiting)
            names << seatName(s);
    windows_->tally->setCurrentPlayers(names);
}

} // namespace quillet
