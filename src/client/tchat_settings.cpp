// The settings file: read at the own login, written after each option change
// and when the window closes with a new placement.
#include "client/tchat.h"
#include "net/guard.h"
#include "chat/chatinput.h"
#include "chat/chatpane.h"
#include "chat/colortext.h"
#include "settings/profile.h"
#include "settings/settingsvalues.h"
#include "windows/sidewindows.h"
#include "windows/tlasttrick.h"
#include "windows/tscore.h"
#include "ui/designgeometry.h"
#include "ui/pictures.h"

#include <QAction>
#include <QColorDialog>
#include <QGuiApplication>
#include <QScreen>

namespace quillet {

namespace {

// A place that lies on no screen is replaced by the top-left corner.
bool onSomeScreen(const QRect &r)
{
    const auto screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return true;
    for (QScreen *s : screens)
        if (s->availableGeometry().intersects(QRect(r.topLeft(), QSize(std::max(r.width(), 40), 40))))
            return true;
    return false;
}

QRect workArea(const QWidget *w)
{
    if (QScreen *s = w->screen())
        return s->availableGeometry();
    if (QScreen *s = QGuiApplication::primaryScreen())
        return s->availableGeometry();
    return QRect(0, 0, 1 << 15, 1 << 15);
}

} // namespace

QString Tchat::settingsPath() const { return settingsFilePath(homeDir); }

void Tchat::applyTextSize(int points)
{
    chatpane_->setTextSize(points);
    for (auto [item, size] : textSizeItems_)
        item->setChecked(size == points);
}

void Tchat::setChatColour(quint32 colour)
{
    chatColour = colour;
    mychat_->setTextColor(toQColor(colour));
}


void Tchat::loadinifile()
{
    ProfileFile file(settingsPath());
    const QuilletSettings s = readSettings(file);

    QRect place(s.left, s.top, s.width, s.height);
    const QRect area = workArea(this);
    place.setWidth(std::min(place.width(), area.width()));
    place.setHeight(std::min(place.height(), area.height()));
    if (!onSomeScreen(place))
        place.moveTopLeft(QPoint(3, 3));
    remembered_ = QRect(s.left, s.top, s.width, s.height);
    move(place.topLeft());
    resize(place.size());

    (s.turnSoundNew ? New1 : Classic1)->setChecked(true);
    TurnSound1Tag = s.turnSoundNew ? 1 : 0;
    PlayChatterSounds1->setChecked(s.chatterSounds);
    applyTextSize(s.textSize);
    quint32 colour = 0;
    if (!colorFromText(s.textColor, colour))
        colour = 0; // unreadable: black
    setChatColour(colour);
    for (int i = 0; i < 9; ++i)
        if (!s.phrases[i].isEmpty())
            setPhrase(i + 1, s.phrases[i]);
    scontop->setChecked(s.scOnTop);
    ltontop->setChecked(s.ltOnTop);
    if (windows_ && windows_->score && windows_->lasttrick) {
        windows_->score->setKeepOpen(s.scOnTop);
        windows_->lasttrick->setKeepOpen(s.ltOnTop);
    }
    ShowScorecard1->setChecked(s.showScorecard);
    BotSpeed1Tag = s.botSpeed;
    (s.botSpeed == 1000 ? Slow1 : s.botSpeed == 500 ? Fast1 : Normal1)->setChecked(true);
    if (model_.myseat() == 1 && model_.loggedin())
        send(toServer::BotSpeed{1, BotSpeed1Tag});
    PlaySounds1->setChecked(s.playSounds);
    chooseComputerLevel(s.expertComputers);
    ShowPlayable1->setChecked(s.showPlayable);
    FourColour1->setChecked(s.fourColour);
    if (pictures::fourColour() != s.fourColour) {
        pictures::setFourColour(s.fourColour);
        design::redrawPictures(panel_main);
        if (windows_ && windows_->lasttrick)
            windows_->lasttrick->redrawCards();
    }
    refreshHandLooks();
    scTop = s.scTop;
    scLeft = s.scLeft;
    ltTop = s.ltTop;
    ltLeft = s.ltLeft;
    if (windows_ && windows_->score && windows_->lasttrick) {
        // A place off every screen comes back as the top-left corner.
        windows_->score->setPlace(scLeft, scTop);
        windows_->lasttrick->setPlace(ltLeft, ltTop);
        scLeft = windows_->score->place().x();
        scTop = windows_->score->place().y();
        ltLeft = windows_->lasttrick->place().x();
        ltTop = windows_->lasttrick->place().y();
    }
    settingsRead_ = true;
}

void Tchat::saveinifile()
{
    // Before the first read the options are only the design's; writing them
    // would replace what the player stored.
    if (!settingsRead_ || !settingsWritable)
        return;
    ProfileFile file(settingsPath());
    QuilletSettings s;
    s.top = y();
    s.left = x();
    s.width = width();
    s.height = height();
    s.turnSoundNew = TurnSound1Tag == 1;
    s.chatterSounds = PlayChatterSounds1->isChecked();
    s.textSize = chatpane_->textSize();
    s.textColor = colorToText(chatColour);
    s.scOnTop = scontop->isChecked();
    s.ltOnTop = ltontop->isChecked();
    s.showScorecard = ShowScorecard1->isChecked();
    s.botSpeed = BotSpeed1Tag;
    s.playSounds = PlaySounds1->isChecked();
    s.scTop = scTop;
    s.scLeft = scLeft;
    s.ltTop = ltTop;
    s.ltLeft = ltLeft;
    s.expertComputers = expertComputers_;
    s.showPlayable = ShowPlayable1->isChecked();
    s.fourColour = FourColour1->isChecked();
    writeSettings(file, s);
    QString error;
    if (!file.save(&error))
        settingsNotSaved(error);
}

void Tchat::settingsNotSaved(const QString &error)
{
    // A closing table's chat is no longer seen.
    if (closing_)
        messageBox("Settings not saved: " + error);
    else
        systemLine("Settings not saved: " + error);
}

void Tchat::savePhrases()
{
    // Only the nine phrase keys: nothing stored by the player is replaced.
    if (!settingsWritable)
        return;
    ProfileFile file(settingsPath());
    QString phrases[9];
    for (int i = 0; i < 9; ++i)
        phrases[i] = phrase(i + 1);
    writePhrases(file, phrases);
    QString error;
    if (!file.save(&error))
        settingsNotSaved(error);
}

void Tchat::closeRule()
{
    QRect place(x(), y(), width(), height());
    if (place == remembered_)
        return;
    const QRect area = workArea(this);
    if (place.width() > area.width())
        place.setWidth(place.width() - 15);
    if (place.height() > area.height())
        place.setHeight(place.height() - 15);
    remembered_ = place;
    if (!settingsRead_)
        return;
    resize(place.size());
    saveinifile();
}

void Tchat::resetScreenLocation()
{
    move(3, 3);
    resize(790, 520);
}

void Tchat::chooseTextColour()
{
    const QColor chosen = QColorDialog::getColor(toQColor(chatColour), this, "Text Color");
    if (!chosen.isValid())
        return;
    setChatColour(fromQColor(chosen));
    saveinifile();
}

} // namespace quillet
