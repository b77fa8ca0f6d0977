#include "client/tchat.h"

#include "client/clientlink.h"
#include "client/labelstyle.h"
#include "client/tablelayout.h"
#include "client/tablemotion.h"
#include "protocol/cards.h"
#include "net/guard.h"
#include "chat/chatinput.h"
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
#include "ui/designgeometry.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

namespace quillet {

namespace {

// The table's text labels: placed in design pixels, plain text, cut short where they
// do not fit.
TableLabel *makeLabel(QWidget *parent, const char *name, const QString &text, QRect geometry,
                      int pixelSize, bool bold, const QColor &colour,
                      Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *l = new TableLabel(text, parent);
    l->setObjectName(name);
    design::place(l, geometry);
    design::setFont(l, pixelSize, bold);
    setTextColour(l, colour);
    l->setAlignment(align);
    return l;
}

TablePicture *makePicture(QWidget *parent, const char *name, QRect geometry)
{
    auto *p = new TablePicture(parent);
    p->setObjectName(name);
    design::place(p, geometry);
    return p;
}

} // namespace

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
    confirm = [this](const QString &question) {
        return QMessageBox::question(this, "Quillet", question, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };

    link_ = new ClientLink(this);
    link_->onBytes = [this](std::string_view bytes) { guarded([&] { sockRead(bytes); }); };
    link_->onClosed = [this] {
        connectionLost_ = true;
        guarded([&] { sockClosed(); });
    };
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
    focusTable();
    refreshView();
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

void Tchat::buildTable()
{
    auto *central = new QWidget(this);
    central->setObjectName("central");
    central->setMinimumSize(layout::kTable + QSize(2, 0));
    // Around a table that cannot fill the window exactly: the felt's dark rim.
    QPalette rim = central->palette();
    rim.setColor(QPalette::Window, QColor(0x12, 0x3a, 0x21));
    central->setPalette(rim);
    central->setAutoFillBackground(true);
    setCentralWidget(central);

    panel_main = new QWidget(central);
    panel_main->setObjectName("panel_main");
    design::makeView(panel_main);
    panel_main->resize(layout::kTable);
    // The table itself takes the keys for playing; the chat box only when asked.
    panel_main->setFocusPolicy(Qt::StrongFocus);
    panel_main->setAccessibleName("Card table");
    panel_main->installEventFilter(this);
    motion_ = new TableMotion(panel_main);

    auto *felt = makePicture(panel_main, "image_background", QRect(QPoint(0, 0), layout::kTable));
    felt->showBackground(pictures::Background::Table);
    felt->setAccessibleName("Table");

    const QColor status = layout::kFeltStatus;
    label_gametype = makeLabel(panel_main, "label_gametype", "Full Game", layout::kGameType, 14, true, status);
    label_round = makeLabel(panel_main, "label_round", "Round: 0", layout::kRound, 14, true, status);
    label_cards = makeLabel(panel_main, "label_cards", "Num of Cards: 0", layout::kNumCards, 14, true, status);
    label_totalbids = makeLabel(panel_main, "label_totalbids", "Total Bids: 0", layout::kTotalBids, 14, true, status);
    label_turn = makeLabel(panel_main, "label_turn", "Good Luck!", layout::kTurnText, 14, true, status);
    label_overunder = makeLabel(panel_main, "label_overunder", "Over +0", layout::kOverUnder, 13, true, status,
                                Qt::AlignCenter);
    trumpcard = makePicture(panel_main, "trumpcard", layout::kTrumpCard);
    trumpcard->setAccessibleName("Trump card: none");
    makeLabel(panel_main, "label_trumpcaption", "Trump Card", layout::kTrumpCaption, 12, true, status,
              Qt::AlignCenter);
    label_end = makeLabel(panel_main, "label_end", " ", layout::kEnd, 18, true, status, Qt::AlignCenter);
    label_status1 = makeLabel(panel_main, "label_status1", " ", layout::kStatus1, 13, true, status);
    label_status2 = makeLabel(panel_main, "label_status2", " ", layout::kStatus2, 13, true, status,
                              Qt::AlignRight | Qt::AlignVCenter);
    label_firstplay = makeLabel(panel_main, "label_firstplay", QString(), layout::kFirstPlay, 13, true,
                                layout::kFeltText, Qt::AlignCenter);
    label_firstplay->hide();

    buildSeatPanels();

    auto *logo = makePicture(panel_main, "image_logo", layout::kLogo);
    logo->showLogo();
    logo->setScaledContents(true);
    logo->setCursor(Qt::PointingHandCursor);
    logo->setAccessibleName("Quillet web site");
    logo->onPress = [this](Qt::MouseButton b) {
        if (b == Qt::LeftButton && windows_ && windows_->about)
            windows_->about->openMakerSite();
    };

    button_start = new PictureButton("Start Game", layout::kStart.size(), panel_main);
    button_start->setObjectName("button_start");
    design::place(button_start, layout::kStart);
    connect(button_start, &PictureButton::clicked, this, [this] { guarded([&] { StartHalfGame1Click(); }); });
    button_start->hide();

    button_scorecard = new PictureButton("Score Card", layout::kScoreCardButton.size(), panel_main);
    button_scorecard->setObjectName("button_scorecard");
    design::place(button_scorecard, layout::kScoreCardButton);
    button_lasttrick = new PictureButton("Last Trick", layout::kLastTrickButton.size(), panel_main);
    button_lasttrick->setObjectName("button_lasttrick");
    design::place(button_lasttrick, layout::kLastTrickButton);
    connect(button_lasttrick, &PictureButton::clicked, this, &Tchat::showLastTrick);
    connect(button_scorecard, &PictureButton::clicked, this, &Tchat::showScoreCard);

    buildBidBox();
    buildTrumpPanel();
    buildChatArea();
    buildSeatMenu();

    outlineTimer_ = new QTimer(this);
    outlineTimer_->setSingleShot(true);
    outlineTimer_->setInterval(1500);
    connect(outlineTimer_, &QTimer::timeout, this, [this] { refreshHandLooks(); });
}

void Tchat::buildBidBox()
{
    label_yourbid = makeLabel(panel_main, "label_bid", "Your Bid:", layout::kYourBid, 19, true, layout::kFeltText,
                              Qt::AlignRight | Qt::AlignVCenter);
    edit_bid = new QLineEdit("0", panel_main);
    edit_bid->setObjectName("edit_bid");
    design::place(edit_bid, layout::kEditBid);
    edit_bid->setAlignment(Qt::AlignCenter);
    edit_bid->setAccessibleName("Your Bid");
    design::setFont(edit_bid, 15, true);
    connect(edit_bid, &QLineEdit::returnPressed, this, [this] { guarded([&] { button_bidClick(); }); });
    edit_bid->installEventFilter(this);
    updown_bid = new UpDown(edit_bid, panel_main);
    updown_bid->setObjectName("updown_bid");
    design::place(updown_bid, layout::kUpDown);
    button_bid = new PictureButton("Set Bid", layout::kSetBid.size(), panel_main);
    button_bid->setObjectName("button_bid");
    design::place(button_bid, layout::kSetBid);
    connect(button_bid, &PictureButton::clicked, this, [this] { guarded([&] { button_bidClick(); }); });
    showBidBox(false);
}

void Tchat::buildTrumpPanel()
{
    panel_trump = new QWidget(panel_main);
    panel_trump->setObjectName("panel_trump");
    design::place(panel_trump, layout::kTrumpPanel);
    panel_trump->setFocusPolicy(Qt::StrongFocus);
    panel_trump->setAccessibleName("Choose a Suit to be Trump");
    panel_trump->installEventFilter(this);
    auto *bg = makePicture(panel_trump, "image_trumpbackground", QRect(QPoint(0, 0), layout::kTrumpPanel.size()));
    bg->showBackground(pictures::Background::Trump);
    bg->setScaledContents(true);
    for (int i = 1; i <= 5; ++i) {
        const QByteArray name = "image_selecttrump" + QByteArray::number(i);
        auto *pic = makePicture(panel_trump, name.constData(),
                                QRect(QPoint(layout::kTrumpChoiceX[i], layout::kTrumpChoiceY), layout::kCard));
        pic->showCard(kTrumpChoices[i]);
        pic->setCursor(Qt::PointingHandCursor);
        pic->setAccessibleName(i == 5 ? QString("No Trump") : pictures::suitWord(suitOf(kTrumpChoices[i])));
        pic->onPress = [this, i](Qt::MouseButton b) {
            if (b == Qt::LeftButton)
                guarded([&] { selectTrump(i); });
        };
        trumpChoices_[std::size_t(i)] = pic;
    }
    makeLabel(panel_trump, "label_choosetrump", "Choose a Suit to be Trump", layout::kTrumpPrompt, 16, true,
              Qt::white, Qt::AlignCenter);
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
    // The keys come back to the table when the box they were in goes.
    if (!visible && (holdsKeys(edit_bid) || holdsKeys(button_bid)))
        focusTable();
    label_yourbid->setVisible(visible);
    edit_bid->setVisible(visible);
    updown_bid->setVisible(visible);
    button_bid->setVisible(visible);
    label_firstplay->setVisible(visible);
}

QLabel *Tchat::labelNamed(const QString &name) const { return panel_main->findChild<QLabel *>(name); }

QWidget *Tchat::control(const QString &name) const { return panel_main->findChild<QWidget *>(name); }

void Tchat::send(const ToServer &message)
{
    std::string bytes;
    encode(bytes, message);
    if (sendHook)
        sendHook(bytes);
    else
        link_->send(bytes);
}

void Tchat::closeWithoutAsking()
{
    closeConfirmed_ = true;
    close();
}

void Tchat::closeEvent(QCloseEvent *event)
{
    // The host's window going means the end of the game for everybody at the table.
    if (!closing_ && !closeConfirmed_ && !connectionLost_ && model_.hosting() && gameRunning()
        && !confirmLosingGame(soloGame_ ? QString("A game is running. Close Quillet and end it?")
                                        : QString("A game is running. Close Quillet and end the game for everybody at "
                                                  "the table?"))) {
        event->ignore();
        return;
    }
    closing_ = true;
    guarded([&] { closeRule(); });
    emit windowClosing();
    // The table is the only primary window: closing it ends the program.
    event->accept();
}

void Tchat::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    applyTableScale();
}

void Tchat::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && windows_ && windows_->lasttrick &&
        !ltontop->isChecked())
        windows_->lasttrick->hide();
}

} // namespace quillet
