// The table's public game state, apart from any widget: the own connection,
// who sits and who watches, bids, tricks and scores, the own hand and its
// order, the face-down counts, the cards on the table and the round's play
// history. The typed server messages update it; the rules the table needs
// (the cards the own seat may play now, the bid box checks) are read from it.
//
// Every method that takes a message checks the numbers it indexes with, so a
// message built by hand can do no harm either; one that names nothing known
// changes nothing and returns false.
#pragma once

#include "protocol/cards.h"
#include "protocol/messages.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// One card played this round, in play order.
struct PlayedCard {
    int seat = 0;
    int card = 0;
    int trick = 0;  // 1 for the round's first trick
    bool operator==(const PlayedCard &) const = default;
};

// A trick of the round: open until its winner is known.
struct Trick {
    int number = 0;
    int leader = 0;  // 0: not known (a late login that saw no lead)
    int winner = 0;
    std::array<int, 5> cards{};  // by seat 1..4; 0 = none yet
    int count() const;
    bool operator==(const Trick &) const = default;
};

// The bid box's verdict on a typed bid.
struct BidCheck {
    bool ok = false;
    int bid = 0;
    std::string refusal;  // the message box text when not ok
};

// What a departure means for the table.
struct Departure {
    bool known = false;                        // a slot that exists
    bool own = false;                          // the own slot: the table closes
    std::optional<std::string> disconnected;   // a player's name worth a line
    bool watcherLeft = false;                  // the spy list entry went
};

class TableModel {
public:
    static constexpr std::string_view kWaiting = "<Waiting>";
    // "You", "Klot", "Klick", "Kling" for seats 1..4; empty for anything else.
    static std::string_view defaultName(int seat);

    // ---- the own connection, from start-up -------------------------------
    void setMyName(std::string name) { myname_ = std::move(name); }
    void setHosting(bool on) { hosting_ = on; }

    int myseat() const { return myseat_; }
    const std::string &myname() const { return myname_; }
    bool loggedin() const { return loggedin_; }
    // A game has started (or was found running at login) and not ended.
    bool gameRunning() const { return gameRunning_; }
    // The connection closed while the table stays: what the server will tell
    // again at the next login (the own hand, the cards on the table, the
    // watchers) is forgotten; names and scores stay until it does.
    void connectionLost();
    bool hosting() const { return hosting_; }
    bool watcher() const { return myseat_ > kSeats; }

    // ---- the server's messages -------------------------------------------
    // Any message; false when it changes nothing here (chat, sounds,
    // version notices, or a message that names nothing known).
    bool apply(const ToTable &message);

    bool sendloginfo(const toTable::SendLoginInfo &m);  // false once logged in
    bool newplayerinfo(int slot, const std::string &name);
    Departure playerdisconnected(const toTable::PlayerDisconnected &m);
    bool startthegame(const toTable::StartGame &m);
    bool startround(const toTable::StartRound &m);
    bool placecard(const toTable::PlaceCard &m);
    bool newplayerstuff(const toTable::NewPlayerStuff &m);
    bool stats(const toTable::Stats &m);
    bool mybid(const toTable::Bid &m);
    bool hisbid(const toTable::HisBid &m);  // false for seat 0: only the bid box closes
    bool choosetrump(const toTable::ChooseTrump &m);
    bool trump(const toTable::Trump &m);
    bool getnextplayer(const toTable::NextPlayer &m);
    bool playcard(const toTable::PlayCard &m);
    bool needsuit(const toTable::NeedSuit &m);
    bool trickwinner(const toTable::TrickWinner &m);
    bool scoreit(const toTable::Score &m);
    bool winner(const toTable::Winner &m);
    bool justwatching(const toTable::JustWatching &m);

    // ---- the own moves ---------------------------------------------------
    // The bid box's checks, in the order the player meets them.
    BidCheck checkBid(std::string_view text) const;
    // The own cards that may be played now, left to right: those of the led
    // suit, or all when void or leading; none unless it is the own turn.
    // A card the server refused this turn is left out.
    std::vector<int> playableSlots() const;
    // A card was sent: the turn is over until the server answers.
    bool cardSent(int slot);
    // Ascending by card number, as the hand reads left to right.
    void sortthem();

    // ---- seats -----------------------------------------------------------
    const std::string &name(int seat) const;
    int score(int seat) const { return at(scores_, seat); }
    int bid(int seat) const { return at(bids_, seat); }
    bool hasBid(int seat) const { return isSeat(seat) && hasBid_[std::size_t(seat)]; }
    int tricks(int seat) const { return at(tricks_, seat); }
    int roundScore(int seat) const { return at(roundScores_, seat); }
    int faceDown(int seat) const { return at(faceDown_, seat); }  // may go below 0
    int played(int seat) const { return at(played_, seat); }      // card on the table, 0 none
    bool watching(int seat) const { return isSeat(seat) && watching_[std::size_t(seat)]; }
    // Watchers as the spy list shows them, in arrival order.
    struct Watcher {
        int slot = 0;
        std::string name;
        bool operator==(const Watcher &) const = default;
    };
    const std::vector<Watcher> &watchers() const { return watchers_; }
    // Seats whose total is the winning score.
    std::array<bool, 5> winningSeats(int winningScore) const;
    // Whether the own player is among the winners: by seat for a player,
    // by name for a watcher.
    bool iWon(const toTable::Winner &m) const;

    // ---- round and game --------------------------------------------------
    std::optional<GameType> gameType() const { return gameType_; }
    int scoreround() const { return scoreround_; }
    int cardsPerHand() const { return cardsPerHand_; }
    int trumpcard() const { return trumpcard_; }  // 53 no trump, 0 none yet
    int trumpSuit() const { return suitOf(trumpcard_); }

    // ---- bidding ---------------------------------------------------------
    int bidder() const { return bidder_; }      // the seat asked to bid, 0 none
    int maxbid() const { return maxbid_; }
    int totalSoFar() const { return totalSoFar_; }
    int lastBidder() const { return lastBidder_; }
    int firstPlayer() const { return firstPlayer_; }  // who leads the first trick
    int chooser() const { return chooser_; }
    int totalBids() const { return totalBids_; }

    // ---- play ------------------------------------------------------------
    int currentplayer() const { return currentplayer_; }
    bool myturn() const { return myturn_; }
    // The own hand: the card of each hand slot 1..13 (0 none), and the
    // places of the hand row 1..13 holding a slot (0 free), no gaps.
    const std::array<int, 14> &hand() const { return hand_; }
    const std::array<int, 14> &handplaces() const { return handplaces_; }
    int handSize() const;
    int cardAt(int slot) const { return isHandSlot(slot) ? hand_[std::size_t(slot)] : 0; }
    // The trick being played (no cards between tricks), its led suit (0 when
    // leading or not known), the tricks of the round that are done, and
    // every card of the round in play order.
    const Trick &currentTrick() const { return current_; }
    int ledSuit() const;
    const std::vector<Trick> &roundTricks() const { return roundTricks_; }
    const std::vector<PlayedCard> &history() const { return history_; }

    bool operator==(const TableModel &) const = default;

private:
    static int at(const std::array<int, 5> &a, int seat) { return isSeat(seat) ? a[std::size_t(seat)] : 0; }

    void clearHand();
    void createcard(int slot, int card);
    void movecards(int slot);
    void clearRoundPlay();
    void defaultNamesForWaiting();
    int completedTricks() const;
    void record(int seat, int card);
    void restoreOpenTrick();

    // The own connection.
    int myseat_ = 0;
    std::string myname_;
    bool loggedin_ = false;
    bool hosting_ = false;

    // Seats 1..4 (index 0 unused).
    std::array<std::string, 5> names_{"", "<Waiting>", "<Waiting>", "<Waiting>", "<Waiting>"};
    std::array<int, 5> scores_{};
    std::array<int, 5> bids_{};
    std::array<bool, 5> hasBid_{};
    std::array<int, 5> tricks_{};
    std::array<int, 5> roundScores_{};
    std::array<int, 5> faceDown_{};
    std::array<int, 5> played_{};
    std::array<bool, 5> watching_{};
    std::vector<Watcher> watchers_;

    // Round and game.
    std::optional<GameType> gameType_;
    bool gameRunning_ = false;
    int scoreround_ = 0;
    int cardsPerHand_ = 0;
    int trumpcard_ = 0;

    // Bidding.
    int bidder_ = 0;
    int maxbid_ = 0;
    int totalSoFar_ = 0;
    int lastBidder_ = 0;
    int firstPlayer_ = 0;
    int chooser_ = 0;
    int totalBids_ = 0;

    // Play.
    int currentplayer_ = 0;
    bool myturn_ = false;
    int pendingSlot_ = 0;               // sent, not yet answered
    std::array<bool, 14> refused_{};    // refused this turn, by hand slot
    std::array<int, 14> hand_{};
    std::array<int, 14> handplaces_{};
    Trick current_;
    std::vector<Trick> roundTricks_;
    std::vector<PlayedCard> history_;
};

} // namespace quillet
