#include "client/tchat.h"

#include "client/clientlink.h"
#include "client/labelstyle.h"
#include "protocol/cards.h"
#include "net/guard.h"
#include "chat/chatpane.h"
#include "sound/soundplayer.h"
#include "windows/sidewindows.h"
#include "windows/smallwindows.h"
#include "windows/tgamestart.h"
#include "windows/tlasttrick.h"
#include "windows/tphrases.h"
#include "windows/tscore.h"
#include "windows/tspylist.h"
#include "windows/ttallylist.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

namespace quillet {

namespace {

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, QRect geometry,
                  int pixelSize, bool bold, const QColor &colour,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText);
    l->setGeometry(geometry);
    QFont f = l->font();
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    l->setFont(f);
    setTextColour(l, colour);
    l->setAlignment(align);
    return l;
}

} // namespace

// Status lines and table texts are drawn in 0x804000 (blue 128, green 64).
const QColor kSystemColour(0, 64, 128);

Tchat::Tchat(QWidget *parent) : QMainWindow(parent)
{
    setObjectName("Tchat");
    setWindowTitle("Quillet");
    messageBox = [this](const QString &text) {
        // One notice at a time: a misbehaving peer must not stack them up.
        if (messageBoxOpen_)
            return;
        messageBoxOpen_ = true;
        QMessageBox::information(this, "Quillet", text);
        messageBoxOpen_ = false;
    };

    link_ = new ClientLink(this);
    link_->onBytes = [this](std::string_view bytes) { guarded([&] { sockRead(bytes); }); };
    link_->onClosed = [this] { guarded([&] { sockClosed(); }); };
    // A connection that cannot be made leaves the window open; say why.
    link_->onReport = [this](const std::string &text) {
        if (!model_.loggedin() && !connectReported_) {
            connectReported_ = true;
            systemLine("Could not connect to the game at " + (model_.hosting() ? QString("127.0.0.1") : hostaddr_) + " (" +
                       QString::fromStdString(text) + ").");
        }
    };

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1);
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([&] { processsocktimer(); }); });

    buildTable();
    buildMenus();
    connect(this, &Tchat::loggedIn, this, [this] { guarded([&] { loadinifile(); }); });
    resize(790, 520);
    resetTable();
}

Tchat::~Tchat() = default;

void Tchat::attach(SideWindows *windows)
{
    windows_ = windows;
    if (windows_->gamestart)
        windows_->gamestart->onChoose = [this](const QString &letter) { guarded([&] { startGameWith(letter); }); };
    if (windows_->spylist)
        windows_->spylist->onKick = [this](int slot) { guarded([&] { kicking(slot); }); };
    if (windows_->score)
        connect(windows_->score, &PlacedWindow::placeChanged, this, [this](int left, int top) {
            scLeft = left;
            scTop = top;
            saveinifile();
        });
    if (windows_->lasttrick)
        connect(windows_->lasttrick, &PlacedWindow::placeChanged, this, [this](int left, int top) {
            ltLeft = left;
            ltTop = top;
            saveinifile();
        });
    if (windows_->help && windows_->about)
        connect(windows_->help, &Thelp::aboutRequested, windows_->about, &QWidget::show);
    if (windows_->phrases) {
        windows_->phrases->onDone = [this](const QStringList &phrases) {
            for (int i = 0; i < 9 && i < phrases.size(); ++i)
                setPhrase(i + 1, phrases[i]);
            savePhrases();
        };
        connect(this, &Tchat::phraseListRequested, this, [this] {
            QStringList current;
            for (int i = 1; i <= 9; ++i)
                current << phrase(i);
            windows_->phrases->editPhrases(current);
        });
    }
}

void Tchat::buildMenus()
{
    QMenu *file = menuBar()->addMenu("File");
    StartHalfGame1 = file->addAction("Start Game");
    StartHalfGame1->setObjectName("StartHalfGame1");
    StartHalfGame1->setEnabled(false);
    connect(StartHalfGame1, &QAction::triggered, this, [this] { guarded([&] { StartHalfGame1Click(); }); });
    file->addSeparator();
    // The download window's way to the lobby, also from a running game.
    QAction *playWithOthers = file->addAction("Play with Others\u2026");
    playWithOthers->setObjectName("PlayWithOthers1");
    connect(playWithOthers, &QAction::triggered, this, [this] {
        if (windows_ && windows_->download)
            guarded([&] { windows_->download->Button2Click(); });
    });
    StopReconnecting1 = file->addAction("Stop Reconnecting");
    StopReconnecting1->setObjectName("StopReconnecting1");
    StopReconnecting1->setVisible(false);
    connect(StopReconnecting1, &QAction::triggered, this, [this] { guarded([&] { stopReconnecting(false); }); });
    file->addSeparator();
    QAction *exit = file->addAction("Exit");
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu *options = menuBar()->addMenu("Options");
    PlaySounds1 = options->addAction("Play Sounds");
    PlaySounds1->setShortcut(QKeySequence("Ctrl+P"));
    PlaySounds1->setCheckable(true);
    PlaySounds1->setChecked(true);
    PlayChatterSounds1 = options->addAction("Play Chatter Sounds");
    PlayChatterSounds1->setCheckable(true);
    QMenu *turnSound = options->addMenu("Turn Sound");
    auto *turnGroup = new QActionGroup(this);
    Classic1 = turnSound->addAction("Classic");
    New1 = turnSound->addAction("New");
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
    QMenu *botSpeed = options->addMenu("Bot Speed");
    auto *botGroup = new QActionGroup(this);
    Slow1 = botSpeed->addAction("Slow");
    Normal1 = botSpeed->addAction("Normal");
    Fast1 = botSpeed->addAction("Fast");
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
    ShowScorecard1 = options->addAction("Show Scorecard at end of round");
    ShowScorecard1->setCheckable(true);
    connect(ShowScorecard1, &QAction::triggered, this, &Tchat::saveinifile);
    scontop = options->addAction("Score Card Window - Keep Open");
    scontop->setCheckable(true);
    ltontop = options->addAction("Last Trick Window - Keep Open");
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
    QAction *resetScore = options->addAction("Reset Score Card Window Location");
    connect(resetScore, &QAction::triggered, this, [this] {
        scTop = scLeft = 3;
        if (windows_ && windows_->score)
            windows_->score->resetPlace();
    });
    QAction *resetLast = options->addAction("Reset Last Trick Window Location");
    connect(resetLast, &QAction::triggered, this, [this] {
        ltTop = ltLeft = 3;
        if (windows_ && windows_->lasttrick)
            windows_->lasttrick->resetPlace();
    });
    options->addSeparator();
    QAction *textColour = options->addAction("Text Color");
    connect(textColour, &QAction::triggered, this, [this] { guarded([&] { chooseTextColour(); }); });
    QMenu *textSize = options->addMenu("Text Size");
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
    QAction *resetScreen = options->addAction("Reset Screen Location");
    connect(resetScreen, &QAction::triggered, this, &Tchat::resetScreenLocation);
    options->addSeparator();
    JustWatch1 = options->addAction("Just Watch");
    JustWatch1->setCheckable(true);
    connect(JustWatch1, &QAction::triggered, this, [this] {
        // The mark follows the server's answer only.
        JustWatch1->setChecked(!JustWatch1->isChecked());
        if (model_.loggedin() && isSeat(model_.myseat()))
            send(toServer::JustWatch{model_.myseat(), !JustWatch1->isChecked()});
    });

    QMenu *view = menuBar()->addMenu("View");
    QAction *viewScore = view->addAction("View Scorecard");
    connect(viewScore, &QAction::triggered, this, &Tchat::showScoreCard);
    QAction *spy = view->addAction("Spy List");
    connect(spy, &QAction::triggered, this, [this] {
        if (windows_ && windows_->spylist)
            windows_->spylist->show();
    });
    QAction *tally = view->addAction("Tally List");
    connect(tally, &QAction::triggered, this, [this] {
        if (windows_ && windows_->tally) {
            loadchecklist();
            windows_->tally->show();
        }
    });
    QAction *phraseList = view->addAction("Phrase List");
    connect(phraseList, &QAction::triggered, this, [this] { emit phraseListRequested(); });

    QMenu *help = menuBar()->addMenu("Help");
    QAction *content = help->addAction("Content");
    connect(content, &QAction::triggered, this, [this] {
        if (windows_ && windows_->help)
            windows_->help->show();
    });
    help->addSeparator();
    QAction *about = help->addAction("About");
    connect(about, &QAction::triggered, this, [this] {
        if (windows_ && windows_->about)
            windows_->about->show();
    });
}

void Tchat::buildTable()
{
    auto *central = new QWidget(this);
    central->setObjectName("central");
    central->setMinimumSize(784, 474);
    setCentralWidget(central);

    panel_main = new QWidget(central);
    panel_main->setObjectName("panel_main");
    panel_main->setFixedSize(782, 474);

    auto *felt = new QLabel(panel_main);
    felt->setObjectName("image_background");
    felt->setGeometry(0, 0, 782, 474);
    felt->setPixmap(pictures::background(pictures::Background::Table));
    felt->setScaledContents(true);

    label_gametype = makeLabel(panel_main, "label_gametype", "Full Game", {7, 4, 180, 18}, 14, true, kSystemColour);
    label_round = makeLabel(panel_main, "label_round", "Round: 0", {7, 23, 180, 18}, 14, true, kSystemColour);
    label_cards = makeLabel(panel_main, "label_cards", "Num of Cards: 0", {7, 42, 180, 18}, 14, true, kSystemColour);
    label_totalbids = makeLabel(panel_main, "label_totalbids", "Total Bids: 0", {7, 60, 180, 18}, 14, true, kSystemColour);
    label_turn = makeLabel(panel_main, "label_turn", "Good Luck!", {7, 79, 180, 18}, 14, true, kSystemColour);
    label_overunder = makeLabel(panel_main, "label_overunder", "Over +0", {21, 293, 76, 18}, 13, true,
                                kSystemColour, Qt::AlignCenter);
    trumpcard = new QLabel(panel_main);
    trumpcard->setObjectName("trumpcard");
    trumpcard->setGeometry(23, 314, 71, 96);
    trumpcard->setScaledContents(true);
    makeLabel(panel_main, "label_trumpcaption", "Trump Card", {13, 411, 91, 16}, 12, true, kSystemColour,
              Qt::AlignCenter);
    label_end = makeLabel(panel_main, "label_end", " ", {6, 280, 509, 22}, 18, true, kSystemColour,
                          Qt::AlignCenter);
    label_status1 = makeLabel(panel_main, "label_status1", " ", {3, 451, 334, 18}, 13, true, kSystemColour);
    label_status2 = makeLabel(panel_main, "label_status2", " ", {336, 451, 169, 18}, 13, true, kSystemColour,
                              Qt::AlignRight | Qt::AlignVCenter);
    label_firstplay = makeLabel(panel_main, "label_firstplay", QString(), {138, 251, 255, 18}, 13, true,
                                Qt::black, Qt::AlignCenter);
    label_firstplay->hide();

    buildSeatPanels();

    auto *logo = new ClickablePicture(panel_main);
    logo->setObjectName("image_logo");
    logo->setGeometry(446, 2, 60, 60);
    logo->setScaledContents(true);
    logo->setPixmap(pictures::logo());
    logo->setCursor(Qt::PointingHandCursor);
    logo->onPress = [this](Qt::MouseButton b) {
        if (b == Qt::LeftButton && windows_ && windows_->about)
            windows_->about->openMakerSite();
    };

    button_start = new PictureButton("Start Game", QSize(91, 28), panel_main);
    button_start->setObjectName("button_start");
    button_start->move(221, 180);
    connect(button_start, &PictureButton::clicked, this, [this] { guarded([&] { StartHalfGame1Click(); }); });
    button_start->hide();

    button_scorecard = new PictureButton("Score Card", QSize(85, 22), panel_main);
    button_scorecard->setObjectName("button_scorecard");
    button_scorecard->move(330, 424);
    button_lasttrick = new PictureButton("Last Trick", QSize(85, 22), panel_main);
    button_lasttrick->setObjectName("button_lasttrick");
    button_lasttrick->move(420, 424);
    connect(button_lasttrick, &PictureButton::clicked, this, &Tchat::showLastTrick);
    connect(button_scorecard, &PictureButton::clicked, this, &Tchat::showScoreCard);

    buildBidBox();
    buildTrumpPanel();
    buildChatArea();
    buildSeatMenu();
}

void Tchat::buildBidBox()
{
    label_yourbid = makeLabel(panel_main, "label_bid", "Your Bid:", {153, 274, 128, 24}, 19, true, Qt::black,
                              Qt::AlignRight | Qt::AlignVCenter);
    edit_bid = new QLineEdit("0", panel_main);
    edit_bid->setObjectName("edit_bid");
    edit_bid->setGeometry(284, 272, 34, 28);
    edit_bid->setAlignment(Qt::AlignCenter);
    QFont f = edit_bid->font();
    f.setPixelSize(15);
    f.setBold(true);
    edit_bid->setFont(f);
    connect(edit_bid, &QLineEdit::returnPressed, this, [this] { guarded([&] { button_bidClick(); }); });
    updown_bid = new UpDown(edit_bid, panel_main);
    updown_bid->setObjectName("updown_bid");
    updown_bid->setGeometry(318, 272, 17, 28);
    button_bid = new PictureButton("Set Bid", QSize(91, 28), panel_main);
    button_bid->setObjectName("button_bid");
    button_bid->move(337, 272);
    connect(button_bid, &PictureButton::clicked, this, [this] { guarded([&] { button_bidClick(); }); });
    showBidBox(false);
}

void Tchat::buildTrumpPanel()
{
    panel_trump = new QWidget(panel_main);
    panel_trump->setObjectName("panel_trump");
    panel_trump->setGeometry(48, 134, 417, 133);
    auto *bg = new QLabel(panel_trump);
    bg->setGeometry(0, 0, 417, 133);
    bg->setPixmap(pictures::background(pictures::Background::Trump));
    bg->setScaledContents(true);
    const int xs[6] = {0, 13, 93, 173, 253, 333};
    for (int i = 1; i <= 5; ++i) {
        auto *pic = new ClickablePicture(panel_trump);
        pic->setObjectName(QStringLiteral("image_selecttrump%1").arg(i));
        pic->setGeometry(xs[i], 7, 71, 96);
        pic->setScaledContents(true);
        pic->setPixmap(pictures::card(kTrumpChoices[i]));
        pic->setCursor(Qt::PointingHandCursor);
        pic->onPress = [this, i](Qt::MouseButton b) {
            if (b == Qt::LeftButton)
                guarded([&] { selectTrump(i); });
        };
    }
    auto *caption = makeLabel(panel_trump, "label_choosetrump", "Choose a Suit to be Trump", {0, 108, 417, 22},
                              16, true, Qt::white, Qt::AlignCenter);
    Q_UNUSED(caption);
    panel_trump->hide();
}

void Tchat::showScoreCard()
{
    if (!windows_ || !windows_->score)
        return;
    windows_->score->updatenames(seatNames());
    windows_->score->show();
    windows_->score->raise();
}

void Tchat::showLastTrick()
{
    if (!windows_ || !windows_->lasttrick)
        return;
    windows_->lasttrick->updatenames(seatNames());
    windows_->lasttrick->show();
    windows_->lasttrick->raise();
}

void Tchat::resetTable()
{
    for (int s = 1; s <= kSeats; ++s) {
        seat(s).label_score->setText("0");
        seat(s).label_bid->setText("0");
        seat(s).image_cards->clear();
    }
    showHand();
}

void Tchat::showBidBox(bool visible)
{
    label_yourbid->setVisible(visible);
    edit_bid->setVisible(visible);
    updown_bid->setVisible(visible);
    button_bid->setVisible(visible);
    label_firstplay->setVisible(visible);
}

QLabel *Tchat::labelNamed(const QString &name) const { return panel_main->findChild<QLabel *>(name); }

void Tchat::send(const ToServer &message)
{
    std::string bytes;
    encode(bytes, message);
    if (sendHook)
        sendHook(bytes);
    else
        link_->send(bytes);
}

void Tchat::closeEvent(QCloseEvent *event)
{
    closing_ = true;
    guarded([&] { closeRule(); });
    emit windowClosing();
    // The table is the only primary window: closing it ends the program.
    event->accept();
}

void Tchat::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    // The panel keeps its place in the middle as the window grows.
    if (auto *central = centralWidget()) {
        const int x = std::max(0, (central->width() - panel_main->width()) / 2);
        const int y = std::max(0, (central->height() - panel_main->height()) / 2);
        panel_main->move(x, y);
    }
}

void Tchat::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && windows_ && windows_->lasttrick &&
        !ltontop->isChecked())
        windows_->lasttrick->hide();
}

} // namespace quillet
