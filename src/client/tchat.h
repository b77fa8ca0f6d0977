// The table window: the connection to the server, the seats around the
// table, bidding, the own hand and the cards played, round and game end.
#pragma once

#include "client/seatpanel.h"

#include <QMainWindow>
#include <QPointer>
#include <QRect>

#include <vector>

#include <array>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "protocol/message.h"

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSpinBox;
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
struct SideWindows;

class Tchat : public QMainWindow {
    Q_OBJECT
public:
    explicit Tchat(QWidget *parent = nullptr);
    ~Tchat() override;

    // The side windows and the server are created after the table (they are
    // created in a fixed order); the table learns of them here.
    void attach(SideWindows *windows);

    // Command line processing of the first showing. `args` are the program's
    // parameters without the program name.
    void processparams(const QStringList &args);
    void hostpress();
    void joinpress();

    // Incoming bytes of the connection (the socket's read event).
    void sockRead(std::string_view bytes);
    // The connection reported "Socket Closed".
    void sockClosed();
    // Dispatches at most one pending message.
    void processsocktimer();
    // Dispatches one message text (without terminator) at once; for tests.
    void dispatch(std::string_view entry);

    // Sends one whole message if logged in.
    void sendMessage(const std::string &message);
    // Everything sent goes through here; tests may observe or replace it.
    std::function<void(const std::string &)> sendHook;
    // Modal message boxes; tests replace them to observe the text.
    std::function<void(const QString &)> messageBox;

    // System line in the chat pane ("0+" + text in the system colour).
    void systemLine(const QString &text);
    void addlinetochat(const QString &text, quint32 colour);

    // Chat and sounds.
    void sendit();
    void b_phrase1Click(int button);     // phrase buttons 1..9
    QString phrase(int button) const;
    void setPhrase(int button, const QString &text);
    void wave12Click(int n);             // chatter sound menu entry 0..20
    QString chatColourText() const;
    ChatPane *chatPane() const { return chatpane_; }
    ChatInput *chatInput() const { return mychat_; }
    bool phraseready = true;
    quint32 chatColour = 0;
    QString lastSound; // the last sound asked for, played or not

    // Settings.
    QString homeDir;   // --home, empty for the default place
    bool settingsWritable = true; // false: the folder cannot be used, nothing is written
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
    int scTop = 0, scLeft = 0, ltTop = 0, ltLeft = 0;

    // Watching and removing players (the host's seat menu).
    void openSeatMenu(int position);     // right click on a seat's name label
    void seatMenuAction(int item);       // 0 remove, 1 set watch, 2 unset watch
    QMenu *seatMenu() const { return popup_kick; }

    // Tally helper shared with the tally window.
    void loadchecklist();

    // Game sounds by name (respects "Play Sounds").
    void playsounds(const QString &name);

    // State (names of the system).
    int myseat = 0;
    QString myname;
    QString hostaddr;
    bool loggedin = false;
    bool hosting = false;
    int currentplayer = 0;
    bool myturn = false;
    QString loginName;
    bool soloGame = false;
    int serverPort = 7772;
    int lobbyPort = 9001; // --lobby-port: where the lobby waits for Sock11
    // Starts the in-process server (solo: loopback only). Throws the
    // socket's text when the port cannot be used.
    std::function<void(bool solo)> startServer;
    std::array<QString, 5> defaultnames{QString(), "You", "Klot", "Klick", "Kling"};

    // Recorded values kept with their controls.
    int maxbid = 0;
    int totalSoFar = 0;
    int lastBidder = 0;
    int chooser = 0;
    int trumpCardNumber = 0;
    int totalBidsShown = 0;
    int cardsPerHand = 0;
    int scoreround = 0;
    QString gameType;      // "h", "f", "m" of the running game
    int ledoffPosition = 0; // the last-trick window's leader position, 0 = unset

    SeatPanel &seat(int s) { return seats_[static_cast<std::size_t>(s)]; }
    QWidget *panelMain() const { return panel_main; }
    QLabel *labelNamed(const QString &name) const;
    int pendingCount() const { return static_cast<int>(receivedlist.size()); }
    // The hand row: places 1..13 holding a hand slot, 0 = free.
    const std::array<int, 14> &handplaces() const { return handplaces_; }
    CardImage *cardAtPlace(int place) const;
    CardImage *cardForSlot(int slot) const;
    // Mouse on a card of the own hand (tests call it like the mouse does).
    void cardimagesMouseDown(CardImage *card, Qt::MouseButton button);
    void button_bidClick();
    void selectTrump(int pictureIndex); // 1..5, left to right
    void kicking(int slot);
    void StartHalfGame1Click();
    // Sends CMD_startgame for the chosen game type (the game start dialog).
    void startGameWith(const QString &letter);
    QStringList seatNames() const;
    void showScoreCard();
    void showLastTrick();
    void sortthem();
    void movecards(int slot);

    // Menu items other parts use.
    QAction *StartHalfGame1 = nullptr;
    QAction *PlaySounds1 = nullptr;
    QAction *PlayChatterSounds1 = nullptr;
    QAction *Classic1 = nullptr;
    QAction *New1 = nullptr;
    QAction *Slow1 = nullptr;
    QAction *Normal1 = nullptr;
    QAction *Fast1 = nullptr;
    QAction *ShowScorecard1 = nullptr;
    QAction *scontop = nullptr;
    QAction *ltontop = nullptr;
    QAction *JustWatch1 = nullptr;
    int TurnSound1Tag = 0;
    int BotSpeed1Tag = 750;

signals:
    void loggedIn();
    void windowClosing();
    void phraseListRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Construction.
    void buildMenus();
    void buildTable();
    void buildSeatPanels();
    void buildBidBox();
    void buildTrumpPanel();
    void buildChatArea();
    void buildSeatMenu();
    void resetTable();

    // Connection and login.
    void sendloginfo(std::string_view fields);
    void newplayerinfo(std::string_view fields);
    void playerdisconnected(std::string_view fields);

    // Seats.
    void sortstuff(int slot);
    void getnextplayer(std::string_view fields);
    void newplayerstuff(std::string_view fields);
    void stats(std::string_view fields);
    QString seatName(int s) const;

    // Bidding and trump.
    void mybid(std::string_view fields);
    void hisbid(std::string_view fields);
    void nobid(std::string_view fields);
    void trump(std::string_view fields);
    void choosetrump(std::string_view fields);
    void showBidBox(bool visible);

    // Hand and cards.
    void placecard(std::string_view fields);
    void createcard(int slot, int card);
    void playcard(std::string_view fields);
    void needsuit(std::string_view fields);
    void trickwinner(std::string_view fields);
    void clearHand();
    void drawFan(int s, int count);
    void showPlayed(int s, int card);

    // Round and game.
    void startthegame(std::string_view fields);
    void startround(std::string_view fields);
    void scoreit(std::string_view fields);
    void winner(std::string_view fields);
    void setGameType(const QString &letter);

    // Chat, sounds and watching relayed by the server.
    void chatrecieved(std::string_view fields);
    void playasound(std::string_view fields);
    void justwatching(std::string_view fields);

    void armDispatch();

    SideWindows *windows_ = nullptr;
    ClientLink *link_ = nullptr;
    QTimer *Timer1 = nullptr;
    std::deque<std::string> receivedlist;
    MessageFramer framer_;

    QWidget *panel_main = nullptr;
    std::array<SeatPanel, 5> seats_{};
    std::array<int, 14> handplaces_{};
    std::array<CardImage *, 14> handCards_{}; // by hand slot
    ClientLink *lobbyLink_ = nullptr;

    // Table-wide controls.
    QLabel *label_gametype = nullptr;
    QLabel *label_round = nullptr;
    QLabel *label_cards = nullptr;
    QLabel *label_totalbids = nullptr;
    QLabel *label_turn = nullptr;
    QLabel *label_overunder = nullptr;
    QLabel *trumpcard = nullptr;
    QLabel *label_end = nullptr;
    QLabel *label_status1 = nullptr;
    QLabel *label_status2 = nullptr;
    QLabel *label_firstplay = nullptr;
    PictureButton *button_start = nullptr;
    PictureButton *button_scorecard = nullptr;
    PictureButton *button_lasttrick = nullptr;

    // Bid box.
    QLabel *label_yourbid = nullptr;
    QLineEdit *edit_bid = nullptr;
    UpDown *updown_bid = nullptr;
    PictureButton *button_bid = nullptr;

    // Trump panel.
    QWidget *panel_trump = nullptr;

    // Chat area.
    QWidget *chatArea_ = nullptr;
    QWidget *mainchat = nullptr;
    QLineEdit *mychat = nullptr;
    ChatPane *chatpane_ = nullptr;
    ChatInput *mychat_ = nullptr;
    SoundPlayer *sounds_ = nullptr;
    QTimer *phraseTimer_ = nullptr;
    std::array<QToolButton *, 11> phraseButtons_{};
    QToolButton *button_smilies = nullptr;
    QMenu *popup_smilies = nullptr;
    QMenu *popup_sounds = nullptr;
    QMenu *popup_kick = nullptr;
    int popupKickTag_ = 0;
    std::vector<std::pair<QAction *, int>> textSizeItems_;
    QRect remembered_;
    bool settingsRead_ = false;
    bool eventFilter(QObject *watched, QEvent *event) override;

    bool closing_ = false;
    bool connectReported_ = false;
    bool messageBoxOpen_ = false;
};

} // namespace quillet
