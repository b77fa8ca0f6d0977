// The table's connection: start-up choice, login, the pending list and the
// dispatcher, arrivals and departures.
#include "client/clientlink.h"
#include "client/tchat.h"
#include "protocol/cards.h"
#include "protocol/commands.h"
#include "windows/sidewindows.h"
#include "windows/smallwindows.h"
#include "windows/tspylist.h"
#include "windows/ttallylist.h"
#include "ui/kit.h"

#include <QLabel>
#include <QTimer>

#include <unordered_map>

namespace quillet {

namespace {
QString fromWire(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
} // namespace

void Tchat::processparams(const QStringList &args)
{
    StartHalfGame1->setEnabled(false);
    button_start->hide();
    loginName.clear();
    if (args.isEmpty()) {
        systemLine("Loading Solo Game..Please wait.");
        if (windows_ && windows_->download)
            windows_->download->show();
        hostaddr = "127.0.0.1";
        myname = "You";
        soloGame = true;
        hostpress();
        return;
    }
    systemLine("Loading Multi-player Game.. Please Wait.");
    if (args.size() < 3)
        return; // one or two parameters: nothing is started
    myname = QString::fromUtf8(sanitizeName(args[0].toStdString()));
    hostaddr = args[1];
    if (args[2] == QLatin1String("true"))
        hostpress();
    else
        joinpress();
    // The lobby expects a connection from a running game; nothing travels on it.
    lobbyLink_ = new ClientLink(this);
    lobbyLink_->open("127.0.0.1", lobbyPort);
}

void Tchat::hostpress()
{
    if (startServer)
        startServer(soloGame); // throws when the port is taken: the table then does not connect
    loginName = myname;
    hosting = true;
    link_->open("127.0.0.1", serverPort);
    StartHalfGame1->setEnabled(true);
    button_start->show();
    button_start->raise();
    if (windows_ && windows_->spylist)
        windows_->spylist->setRemoveEnabled(true);
}

void Tchat::joinpress()
{
    loginName = myname;
    link_->open(hostaddr.toStdString(), serverPort);
}

void Tchat::sockRead(std::string_view bytes)
{
    if (!framer_.append(bytes, receivedlist)) {
        // A server that never terminates a message is not a server we can play with.
        link_->close();
        return;
    }
    armDispatch();
}

void Tchat::armDispatch()
{
    if (!receivedlist.empty() && !Timer1->isActive())
        Timer1->start();
}

void Tchat::sockClosed()
{
    if (closing_)
        return;
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
    using Handler = void (Tchat::*)(std::string_view);
    static const std::unordered_map<std::string_view, Handler> handlers = {
        {cmd::sendlogininfo, &Tchat::sendloginfo},
        {cmd::chat, &Tchat::chatrecieved},
        {cmd::me, &Tchat::chatrecieved},
        {cmd::action, &Tchat::chatrecieved},
        {cmd::newplayerinfo, &Tchat::newplayerinfo},
        {cmd::existingplayers, &Tchat::newplayerinfo},
        {cmd::playerdisconnected, &Tchat::playerdisconnected},
        {cmd::startgame, &Tchat::startthegame},
        {cmd::nextplayer, &Tchat::getnextplayer},
        {cmd::winner, &Tchat::winner},
        {cmd::placecard, &Tchat::placecard},
        {cmd::startround, &Tchat::startround},
        {cmd::playcard, &Tchat::playcard},
        {cmd::needsuit, &Tchat::needsuit},
        {cmd::trickwinner, &Tchat::trickwinner},
        {cmd::trump, &Tchat::trump},
        {cmd::bid, &Tchat::mybid},
        {cmd::hisbid, &Tchat::hisbid},
        {cmd::score, &Tchat::scoreit},
        {cmd::newplayerstuff, &Tchat::newplayerstuff},
        {cmd::stats, &Tchat::stats},
        {cmd::justwatching, &Tchat::justwatching},
        {cmd::playasound, &Tchat::playasound},
        {cmd::choosetrump, &Tchat::choosetrump},
        {cmd::nobid, &Tchat::nobid},
    };
    std::string_view command, fields;
    if (!splitCommand(entry, command, fields))
        return;
    if (command == cmd::havewrongversion) {
        systemLine(fromWire(fields) + " has a different version of the game then you.");
    } else if (command == cmd::wrongversion) {
        systemLine("You have a differnt version of the game then the host.");
    } else if (command == cmd::full) {
        messageBox("The Game is full, Disconnecting..");
        close();
    } else if (auto it = handlers.find(command); it != handlers.end()) {
        (this->*(it->second))(fields);
    }
}

void Tchat::sendloginfo(std::string_view fields)
{
    int slot = 0;
    if (!parseNumber(fields, slot) || !isSlot(slot) || loggedin)
        return;
    myseat = slot;
    loggedin = true;
    const QString version = (windows_ && windows_->about) ? windows_->about->versionText()
                                                           : QString::fromLatin1(kVersion.data(), kVersion.size());
    sendMessage(makeMessage(cmd::logininfo, myseat, version.toStdString(), loginName.toStdString()));
    sortstuff(myseat);
}

void Tchat::newplayerinfo(std::string_view fields)
{
    FieldReader r(fields);
    int slot = 0;
    if (!r.nextInt(slot) || !isSlot(slot))
        return;
    const QString name = fromWire(r.rest());
    if (slot >= 5) {
        if (windows_ && windows_->spylist)
            windows_->spylist->addEntry(QString::number(slot) + ": " + name);
        systemLine(slot == myseat ? QString("You are just spying.") : name + " is spying.");
    } else {
        seat(slot).label_playername->setText(name);
        if (slot == myseat) {
            systemLine("You are Connected.");
            emit loggedIn(); // the settings are read now
        } else {
            systemLine(name + " has Connected.");
        }
    }
    loadchecklist();
}

void Tchat::playerdisconnected(std::string_view fields)
{
    FieldReader r(fields);
    int slot = 0;
    if (!r.nextInt(slot) || !isSlot(slot))
        return;
    const QString name = fromWire(r.rest());
    if (slot == myseat) {
        loggedin = false;
        close();
        return;
    }
    if (isSeat(slot)) {
        QLabel *label = seat(slot).label_playername;
        const QString text = label->text();
        if (text != "<Waiting>" && text != defaultnames[slot])
            systemLine(text + " disconnected.");
        label->setText(defaultnames[slot]);
        seat(slot).image_eyes->hide();
    }
    loadchecklist();
    if (windows_ && windows_->spylist) {
        const QString entry = QString::number(slot) + ": " + name;
        if (windows_->spylist->contains(entry)) {
            systemLine(name + " has left.");
            windows_->spylist->removeEntry(entry);
        }
    }
}

void Tchat::loadchecklist()
{
    if (!windows_ || !windows_->tally)
        return;
    QStringList names;
    for (int s = 1; s <= 4; ++s) {
        if (s == myseat)
            continue;
        const QString text = seat(s).label_playername->text();
        if (text != "<Waiting>")
            names << text;
    }
    windows_->tally->setCurrentPlayers(names);
}

} // namespace quillet
