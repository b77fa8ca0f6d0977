// The table's menu bar: one builder per menu, so every item of a menu is added in one
// place (and the next item goes there too).
#include "client/tablehint.h"
#include "client/tchat.h"
#include "net/guard.h"
#include "chat/chatpane.h"
#include "protocol/cards.h"
#include "sound/soundplayer.h"
#include "windows/sidewindows.h"
#include "windows/smallwindows.h"
#include "windows/tlasttrick.h"
#include "windows/tscore.h"
#include "windows/tspylist.h"
#include "windows/ttallylist.h"
#include "ui/designgeometry.h"
#include "ui/pictures.h"

#include <QAction>
#include <QActionGroup>
#include <QMenuBar>

namespace quillet {

void Tchat::buildMenus()
{
    buildFileMenu();
    buildOptionsMenu();
    buildViewMenu();
    buildHelpMenu();
}

void Tchat::buildFileMenu()
{
    QMenu *file = menuBar()->addMenu("&File");
    StartHalfGame1 = file->addAction("&Start Game");
    StartHalfGame1->setObjectName("StartHalfGame1");
    StartHalfGame1->setShortcut(QKeySequence::New);
    StartHalfGame1->setEnabled(false);
    connect(StartHalfGame1, &QAction::triggered, this, [this] { guarded([&] { StartHalfGame1Click(); }); });
    // H on the table is handled with the table's keys (tchat_keys.cpp): it hints
    // while the own seat must decide and starts a chat line otherwise.
    Hint1 = file->addAction("&Hint\tH");
    Hint1->setObjectName("Hint1");
    connect(file, &QMenu::aboutToShow, this, [this] { Hint1->setEnabled(awaitedDecision(model_) != Hint::Kind::none); });
    connect(Hint1, &QAction::triggered, this, [this] { guarded([&] { hintClick(); }); });
    file->addSeparator();
    // The download window's way to the lobby, also from a running game.
    QAction *playWithOthers = file->addAction("Play with &Others\u2026");
    playWithOthers->setObjectName("PlayWithOthers1");
    connect(playWithOthers, &QAction::triggered, this, [this] {
        if (windows_ && windows_->download)
            guarded([&] { windows_->download->Button2Click(); });
    });
    StopReconnecting1 = file->addAction("Stop &Reconnecting");
    StopReconnecting1->setObjectName("StopReconnecting1");
    StopReconnecting1->setVisible(false);
    connect(StopReconnecting1, &QAction::triggered, this, [this] { guarded([&] { stopReconnecting(false); }); });
    file->addSeparator();
    Exit1 = file->addAction("E&xit");
    Exit1->setObjectName("Exit1");
    Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(Exit1, &QAction::triggered, this, &QWidget::close);
}

void Tchat::buildOptionsMenu()
{
    QMenu *options = menuBar()->addMenu("&Options");
    PlaySounds1 = options->addAction("Play &Sounds");
    PlaySounds1->setShortcut(QKeySequence("Ctrl+P"));
    PlaySounds1->setCheckable(true);
    PlaySounds1->setChecked(true);
    PlayChatterSounds1 = options->addAction("Play &Chatter Sounds");
    PlayChatterSounds1->setCheckable(true);
    QMenu *turnSound = options->addMenu("&Turn Sound");
    auto *turnGroup = new QActionGroup(this);
    Classic1 = turnSound->addAction("&Classic");
    New1 = turnSound->addAction("&New");
    for (QAction *a : {Classic1, New1}) {
        a->setCheckable(true);
        turnGroup->addAction(a);
    }
    Classic1->setChecked(true);
    connect(Classic1, &QAction::triggered, this, [this] {
        TurnSound1Tag = 0;
        saveinifile();
    });
    connect(New1, &QAction::triggered, this, [this] {
        TurnSound1Tag = 1;
        saveinifile();
    });
    connect(PlaySounds1, &QAction::triggered, this, &Tchat::saveinifile);
    connect(PlayChatterSounds1, &QAction::triggered, this, &Tchat::saveinifile);
    // Switched off, a kind of sound falls silent at once, not at its end.
    connect(PlaySounds1, &QAction::toggled, sounds_, [this](bool on) {
        if (!on)
            sounds_->stop(SoundPlayer::Kind::Game);
    });
    connect(PlayChatterSounds1, &QAction::toggled, sounds_, [this](bool on) {
        if (!on)
            sounds_->stop(SoundPlayer::Kind::Chatter);
    });
    QMenu *botSpeed = options->addMenu("&Bot Speed");
    auto *botGroup = new QActionGroup(this);
    Slow1 = botSpeed->addAction("&Slow");
    Normal1 = botSpeed->addAction("&Normal");
    Fast1 = botSpeed->addAction("&Fast");
    const std::pair<QAction *, int> speeds[] = {{Slow1, 1000}, {Normal1, 750}, {Fast1, 500}};
    for (auto [a, ms] : speeds) {
        a->setCheckable(true);
        botGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, ms = ms] {
            BotSpeed1Tag = ms;
            if (model_.loggedin())
                send(toServer::BotSpeed{model_.myseat(), ms});
            saveinifile();
        });
    }
    Normal1->setChecked(true);
    options->addSeparator();
    ShowScorecard1 = options->addAction("Show Scorecard at &end of round");
    ShowScorecard1->setCheckable(true);
    connect(ShowScorecard1, &QAction::triggered, this, &Tchat::saveinifile);
    scontop = options->addAction("Score Card Window - &Keep Open");
    scontop->setCheckable(true);
    ltontop = options->addAction("&Last Trick Window - Keep Open");
    ltontop->setCheckable(true);
    connect(scontop, &QAction::triggered, this, [this](bool on) {
        if (windows_ && windows_->score)
            windows_->score->setKeepOpen(on);
        saveinifile();
    });
    connect(ltontop, &QAction::triggered, this, [this](bool on) {
        if (windows_ && windows_->lasttrick)
            windows_->lasttrick->setKeepOpen(on);
        saveinifile();
    });
    options->addSeparator();
    QAction *resetScore = options->addAction("&Reset Score Card Window Location");
    connect(resetScore, &QAction::triggered, this, [this] {
        scTop = scLeft = 3;
        if (windows_ && windows_->score)
            windows_->score->resetPlace();
    });
    QAction *resetLast = options->addAction("Reset Last Tr&ick Window Location");
    connect(resetLast, &QAction::triggered, this, [this] {
        ltTop = ltLeft = 3;
        if (windows_ && windows_->lasttrick)
            windows_->lasttrick->resetPlace();
    });
    options->addSeparator();
    QAction *textColour = options->addAction("Text C&olor");
    connect(textColour, &QAction::triggered, this, [this] { guarded([&] { chooseTextColour(); }); });
    QMenu *textSize = options->addMenu("Text Si&ze");
    for (int size : {8, 10, 12, 14}) {
        QAction *a = textSize->addAction(QString::number(size));
        a->setObjectName(QStringLiteral("N%1").arg(size));
        a->setCheckable(true);
        textSizeItems_.emplace_back(a, size);
        connect(a, &QAction::triggered, this, [this, size] {
            applyTextSize(size);
            saveinifile();
        });
    }
    options->addSeparator();
    options->addAction(chatpane_->scrollOffAction());
    options->addAction(chatpane_->clearAction());
    QAction *resetScreen = options->addAction("Reset Screen Loc&ation");
    connect(resetScreen, &QAction::triggered, this, &Tchat::resetScreenLocation);
    buildComputerMenu(options);
    options->addSeparator();
    JustWatch1 = options->addAction("&Just Watch");
    JustWatch1->setCheckable(true);
    connect(JustWatch1, &QAction::triggered, this, [this] {
        // The mark follows the server's answer only.
        JustWatch1->setChecked(!JustWatch1->isChecked());
        if (model_.loggedin() && isSeat(model_.myseat()))
            send(toServer::JustWatch{model_.myseat(), !JustWatch1->isChecked()});
    });
}

void Tchat::buildViewMenu()
{
    QMenu *view = menuBar()->addMenu("&View");
    QAction *viewScore = view->addAction("View &Scorecard");
    connect(viewScore, &QAction::triggered, this, &Tchat::showScoreCard);
    QAction *spy = view->addAction("S&py List");
    connect(spy, &QAction::triggered, this, [this] {
        if (windows_ && windows_->spylist)
            windows_->spylist->show();
    });
    QAction *tally = view->addAction("&Tally List");
    connect(tally, &QAction::triggered, this, [this] {
        if (windows_ && windows_->tally) {
            loadchecklist();
            windows_->tally->show();
        }
    });
    QAction *phraseList = view->addAction("P&hrase List");
    connect(phraseList, &QAction::triggered, this, [this] { emit phraseListRequested(); });
    view->addSeparator();
    ShowPlayable1 = view->addAction("Show Pla&yable Cards");
    ShowPlayable1->setObjectName("ShowPlayable1");
    ShowPlayable1->setCheckable(true);
    ShowPlayable1->setChecked(true);
    connect(ShowPlayable1, &QAction::triggered, this, [this] {
        refreshHandLooks();
        saveinifile();
    });
    FourColour1 = view->addAction("&Four-Colour Deck");
    FourColour1->setObjectName("FourColour1");
    FourColour1->setCheckable(true);
    connect(FourColour1, &QAction::triggered, this, [this](bool on) {
        pictures::setFourColour(on);
        design::redrawPictures(panel_main);
        if (windows_ && windows_->lasttrick)
            windows_->lasttrick->redrawCards();
        saveinifile();
    });
}

void Tchat::buildHelpMenu()
{
    QMenu *help = menuBar()->addMenu("&Help");
    Content1 = help->addAction("&Content");
    Content1->setObjectName("Content1");
    Content1->setShortcut(QKeySequence::HelpContents);
    connect(Content1, &QAction::triggered, this, [this] {
        if (windows_ && windows_->help)
            windows_->help->show();
    });
    help->addSeparator();
    QAction *about = help->addAction("&About");
    connect(about, &QAction::triggered, this, [this] {
        if (windows_ && windows_->about)
            windows_->about->show();
    });
}

} // namespace quillet
