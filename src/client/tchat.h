// The table window: it shows the table model and turns clicks into moves.
// Each handler of a server message updates the model, then the controls.
#pragma once

#include "ai/expert.h"
#include "client/seatpanel.h"
#include "client/tablemodel.h"
#include "protocol/message.h"
#include "protocol/messages.h"

#include <QMainWindow>
#include <QPointer>
#include <QRect>

#include <array>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
namespace quillet { class UpDown; }
class QTimer;
class QToolButton;
class SoundPlayer;
class QWidget;

namespace quillet {

class CardImage;
class ChatInput;
class ChatPane;
class ClientLink;
class PictureButton;
class TableLabel;
class TableMotion;
class TablePicture;
struct SideWindows;

class Tchat : public QMainWindow {
    Q_OBJECT
public:
    explicit Tchat(QWidget *parent = nullptr);
    ~Tchat() override;

    // The side windows and the server are created after the table (they are
    // created in a fixed order); the table learns of them here.
    void attach(SideWindows *windows);
    // Set by the composition root before the first showing.
    QString homeDir;   // --home, empty for the default place
    bool settingsWritable = true; // false: the folder cannot be used, nothing is written
    int serverPort = 7772;
    int lobbyPort = 9001; // --lobby-port: where the lobby waits for Sock11
    // Starts the in-process server and returns the port it listens on: a
    // solo game on loopback only, on a port the system picks. Throws the
    // socket's text when the port cannot be used.
    std::function<int(bool solo)> startServer;
    // Sets who plays the computer seats of the in-process server (the host's
    // table only); nothing goes over the wire.
    std::function<void(bool expert)> setExpertComputers;

    // Command line processing of the first showing. `args` are the program's
    // parameters without the program name.
    void processparams(const QStringList &args);
    void hostpress();
    void joinpress();
    // What processparams and hostpress set up; tests without a server set
    // them directly.
    void setPlayerName(const QString &name);
    void setHosting(bool on) { model_.setHosting(on); }
    const QString &loginName() const { return loginName_; }
    const QString &hostaddr() const { return hostaddr_; }

    // The game as the table knows it.
    const TableModel &model() const { return model_; }

    // Incoming bytes of the connection (the socket's read event).
    void sockRead(std::string_view bytes);
    // The connection reported "Socket Closed".
    void sockClosed();
    // A lost connection is being tried again.
    bool reconnecting() const;
    // Dispatches at most one pending message (a tick of Timer1).
    void processsocktimer();
    // Decodes one message text (without terminator) and hands it to its
    // handler at once; a malformed or unknown message is dropped.
    void dispatch(std::string_view entry);
    int pendingCount() const { return static_cast<int>(receivedlist.size()); }

    // Everything the table sends goes out here as one whole message.
    void send(const ToServer &message);
    // Tests may observe or replace the sending, and the modal message boxes.
    std::function<void(const std::string &)> sendHook;
    std::function<void(const QString &)> messageBox;
    // A question with a yes (true) and a no: before a running game is thrown away.
    std::function<bool(const QString &)> confirm;
    // Closes without that question (the session ends; nobody is there to answer).
    void closeWithoutAsking();

    // System line in the chat pane ("0+" + text in the system colour).
    void systemLine(const QString &text);
    void addlinetochat(const QString &text, quint32 colour);

    // Chat and sounds.
    void sendit();
    void b_phrase1Click(int button);     // phrase buttons 1..9
    bool phraseReady() const { return phraseready; }
    QString phrase(int button) const;
    void setPhrase(int button, const QString &text);
    void wave12Click(int n);             // chatter sound menu entry 0..20
    QString chatColourText() const;
    ChatPane *chatPane() const { return chatpane_; }
    ChatInput *chatInput() const { return mychat_; }
    QString lastSound; // the last sound asked for, played or not (tests look)
    // Game sounds by name (respects "Play Sounds").
    void playsounds(const QString &name);

    // Settings.
    QString settingsPath() const;
    void settingsNotSaved(const QString &error); // the chat, or a box while closing
    void loadinifile();
    void saveinifile();
    void savePhrases();
    void closeRule();
    void resetScreenLocation();
    void chooseTextColour();
    void applyTextSize(int points);
    void setChatColour(quint32 colour);
    bool settingsRead() const { return settingsRead_; }

    // Watching and removing players (the host's seat menu).
    void openSeatMenu(int position);     // right click on a seat's name label
    void seatMenuAction(int item);       // 0 remove, 1 set watch, 2 unset watch
    QMenu *seatMenu() const { return popup_kick; }
    void kicking(int slot);

    // Tally helper shared with the tally window.
    void loadchecklist();

    // The controls, and the clicks on them (tests click like the mouse does).
    SeatPanel &seat(int s) { return seats_[static_cast<std::size_t>(s)]; }
    QWidget *panelMain() const { return panel_main; }
    QLabel *labelNamed(const QString &name) const;
    CardImage *cardAtPlace(int place) const;
    CardImage *cardForSlot(int slot) const;
    void cardimagesMouseDown(CardImage *card, Qt::MouseButton button);
    void sortthem();
    void button_bidClick();
    void selectTrump(int pictureIndex); // 1..5, left to right
    void StartHalfGame1Click();
    // Sends the game start for the chosen game type (the game start dialog).
    void startGameWith(const QString &letter);
    QStringList seatNames() const;
    void showScoreCard();
    void showLastTrick();

    // Keyboard play: the card the arrow keys select (a hand place, 0 none), the
    // trump choice the arrows select (1..5), and whether the chat box takes the keys.
    int selectedPlace() const { return selectedPlace_; }
    int selectedTrump() const { return selectedTrump_; }
    bool chatTakesKeys() const;
    // The table grows with the window: its scale against the design size.
    qreal tableScale() const;
    // A picture or label of the table by name (seat controls carry their seat number).
    QWidget *control(const QString &name) const;
    // Where a control's text or picture is drawn, in the table's design pixels; empty
    // when it shows nothing. The layout tests compare these.
    QRect inkRect(const QWidget *w) const;

    // Menu items the tests use like the player does.
    QAction *StartHalfGame1 = nullptr;
    QAction *Exit1 = nullptr;
    QAction *PlaySounds1 = nullptr;
    QAction *PlayChatterSounds1 = nullptr;
    QAction *New1 = nullptr;
    QAction *Slow1 = nullptr;
    QAction *JustWatch1 = nullptr;
    QAction *ShowPlayable1 = nullptr;
    QAction *FourColour1 = nullptr;
    QAction *Content1 = nullptr;

    // Hints and the computer players' level (tchat_hint.cpp).
    void hintClick();
    bool expertComputers() const { return expertComputers_; }
    QAction *Hint1 = nullptr;
    QAction *ComputerClassic1 = nullptr;
    QAction *ComputerExpert1 = nullptr;

signals:
    void loggedIn();
    // A change told to assistive technology (the live status label's description).
    void announced(const QString &text);
    void windowClosing();
    void phraseListRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Handlers; // the dispatch table: message type to handler
    // The trump pictures left to right: clubs, diamonds, spades, hearts, no trump.
    static constexpr int kTrumpChoices[6] = {0, 13, 26, 52, 39, 53};

    // Construction: one builder per menu, so each menu's items are in one place.
    void buildMenus();
    void buildFileMenu();
    void buildOptionsMenu();
    void buildViewMenu();
    void buildHelpMenu();
    void buildTable();
    void buildSeatPanels();
    void buildBidBox();
    void buildTrumpPanel();
    void buildChatArea();
    void buildSeatMenu();
    void buildComputerMenu(QMenu *options);
    void chooseComputerLevel(bool expert);
    void tellComputerLevel();
    void clearHint();
    bool hintKey(QKeyEvent *event);  // H while the own seat must decide
    void resetTable();
    void resetGameLabels();

    // What the model says, shown: the hand's looks, the seats' accessible texts, the
    // title, the start button's place. Run after every message and every own move.
    void refreshView();
    void refreshHandLooks();
    void refreshSeatDescriptions();
    void refreshTitle();
    void placeStartButton();
    void showStartButton();
    void applyTableScale();
    // Tells assistive technology about a change of the game (whose turn, who took the
    // trick) through the live status label.
    void announce(const QString &text);
    // Keyboard.
    bool tableKey(QKeyEvent *event);
    bool trumpKey(QKeyEvent *event);
    void selectPlace(int place);
    void moveSelection(int step);
    void playSelected();
    void selectTrumpChoice(int index);
    void focusTable();
    void giveBidBoxTheKeys();
    // The control the table's keys go to (also while another window is in front).
    bool holdsKeys(const QWidget *w) const { return w && w->window()->focusWidget() == w; }
    // Running games.
    bool gameRunning() const;
    bool confirmLosingGame(const QString &question);
    void outlinePlayable();
    // Connection and login.
    void sendloginfo(const toTable::SendLoginInfo &m);
    void newplayerinfo(const toTable::NewPlayerInfo &m);
    void newplayerinfo(const toTable::ExistingPlayers &m);
    void playerdisconnected(const toTable::PlayerDisconnected &m);
    void armDispatch();

    // Seats.
    void sortstuff(int slot);
    void getnextplayer(const toTable::NextPlayer &m);
    void newplayerstuff(const toTable::NewPlayerStuff &m);
    void stats(const toTable::Stats &m);
    QString seatName(int s) const;
    void showNames();

    // Bidding and trump.
    void mybid(const toTable::Bid &m);
    void hisbid(const toTable::HisBid &m);
    void nobid(const toTable::NoBid &m);
    void trump(const toTable::Trump &m);
    void choosetrump(const toTable::ChooseTrump &m);
    void showBidBox(bool visible);
    void showTrumpCard();

    // Hand and cards.
    void placecard(const toTable::PlaceCard &m);
    void playcard(const toTable::PlayCard &m);
    void needsuit(const toTable::NeedSuit &m);
    void trickwinner(const toTable::TrickWinner &m);
    void showHand();
    void drawFan(int s);
    void showPlayed(int s, int card);
    void clearTrick(int winner);

    // Round and game.
    void startthegame(const toTable::StartGame &m);
    void startround(const toTable::StartRound &m);
    void scoreit(const toTable::Score &m);
    void winner(const toTable::Winner &m);
    void setGameType(GameType type);

    // Chat, sounds and watching relayed by the server.
    void chatrecieved(const toTable::Chat &m);
    void playasound(const toTable::PlayASound &m);
    void justwatching(const toTable::JustWatching &m);

    TableModel model_;
    SideWindows *windows_ = nullptr;
    ClientLink *link_ = nullptr;
    QTimer *Timer1 = nullptr;
    std::deque<std::string> receivedlist;
    MessageFramer framer_;
    QString hostaddr_;
    QString loginName_;
    bool soloGame_ = false;

    QWidget *panel_main = nullptr;
    TableMotion *motion_ = nullptr;
    std::array<SeatPanel, 5> seats_{};
    std::array<CardImage *, 14> handCards_{}; // by hand slot
    ClientLink *lobbyLink_ = nullptr;

    // Table-wide controls.
    TableLabel *label_gametype = nullptr;
    TableLabel *label_round = nullptr;
    TableLabel *label_cards = nullptr;
    TableLabel *label_totalbids = nullptr;
    TableLabel *label_turn = nullptr;
    TableLabel *label_overunder = nullptr;
    TablePicture *trumpcard = nullptr;
    TableLabel *label_end = nullptr;
    TableLabel *label_status1 = nullptr;
    TableLabel *label_status2 = nullptr;
    TableLabel *label_firstplay = nullptr;
    PictureButton *button_start = nullptr;
    PictureButton *button_scorecard = nullptr;
    PictureButton *button_lasttrick = nullptr;

    // Bid box.
    TableLabel *label_yourbid = nullptr;
    QLineEdit *edit_bid = nullptr;
    UpDown *updown_bid = nullptr;
    PictureButton *button_bid = nullptr;

    // Trump panel.
    QWidget *panel_trump = nullptr;
    std::array<TablePicture *, 6> trumpChoices_{};

    // Keyboard and feedback.
    int selectedPlace_ = 0;
    int selectedTrump_ = 1;
    bool chatClicked_ = false;
    QTimer *outlineTimer_ = nullptr;
    bool connectionLost_ = false;
    bool closeConfirmed_ = false;

    // Chat area.
    QWidget *chatArea_ = nullptr;
    QWidget *mainchat = nullptr;
    QLineEdit *mychat = nullptr;
    ChatPane *chatpane_ = nullptr;
    ChatInput *mychat_ = nullptr;
    SoundPlayer *sounds_ = nullptr;
    QTimer *phraseTimer_ = nullptr;
    bool phraseready = true;
    quint32 chatColour = 0;
    std::array<QToolButton *, 11> phraseButtons_{};
    QToolButton *button_smilies = nullptr;
    QMenu *popup_smilies = nullptr;
    QMenu *popup_sounds = nullptr;
    QMenu *popup_kick = nullptr;
    int popupKickTag_ = 0;

    // Options kept with their menus, and the places of the side windows.
    QAction *Classic1 = nullptr;
    QAction *Normal1 = nullptr;
    QAction *Fast1 = nullptr;
    QAction *ShowScorecard1 = nullptr;
    QAction *scontop = nullptr;
    QAction *ltontop = nullptr;
    int TurnSound1Tag = 0;
    int BotSpeed1Tag = 750;
    int scTop = 0, scLeft = 0, ltTop = 0, ltLeft = 0;
    std::vector<std::pair<QAction *, int>> textSizeItems_;
    QRect remembered_;
    bool settingsRead_ = false;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool seatMenuEvent(QObject *watched, QEvent *event);

    ai::Expert hintExpert_;
    QPointer<QWidget> hintOutline_;
    int hintedSlot_ = 0;  // the hand slot a hint raised, 0 for none
    QMenu *computerMenu_ = nullptr;
    bool expertComputers_ = false;

    bool closing_ = false;
    bool connectReported_ = false;

    // Trying again after the connection to the host was lost.
    bool mayReconnect() const;
    void startReconnecting();
    void reconnectTry();
    void stopReconnecting(bool connected);
    void showSeats();
    QTimer *reconnectTimer_ = nullptr;
    int reconnectTries_ = 0;
    QAction *StopReconnecting1 = nullptr;
    bool messageBoxOpen_ = false;
};

} // namespace quillet
