// A scripted peer for whole-game tests: it logs in as the host, starts a game
// and plays seat 1 by the protocol, checking every message the server sends
// on the way (order, seats, cards, bids, tricks, scores and the winner).
#pragma once

#include "testclient.h"

#include <QElapsedTimer>

#include <array>
#include <string>
#include <vector>

class ScriptedPlayer : public QObject {
public:
    // `type` is the game type letter "h", "f" or "m"; `name` the login name.
    ScriptedPlayer(char type, int port, std::string name);

    bool open() { return client_.open(port_); }
    // The game has reached CMD_winner and nothing followed it, or a check failed.
    bool finished() const { return phase_ == Phase::done || !error_.empty(); }
    // The first failed check and where it happened; empty while all is well.
    const std::string &error() const { return error_; }

    qint64 elapsedMs() const { return elapsedMs_; }  // CMD_startgame to CMD_winner
    int roundsPlayed() const { return round_; }
    int tricksPlayed() const { return totalTricks_; }
    int ownBidsMade() const { return ownBidsMade_; }
    int nobids() const { return nobids_; }
    int noTrumpRounds() const { return noTrumpRounds_; }
    const std::string &winnerMessage() const { return winnerMessage_; }

private:
    using Fields = std::vector<std::string>;  // the command, then each field

    enum class Phase {
        login, announced, started, roundStart, deal, trump, bidding, bidAnswer,
        choosing, chosen, lead, turn, played, scored, ending, done
    };

    // The peer.
    void drain();
    void send(const std::string &message) { client_.send(message); }
    void fail(const std::string &what);
    bool shape(const Fields &f, std::size_t fields, bool trailingPlus);
    bool number(const Fields &f, std::size_t i, int &out);
    std::string expectedCommand() const;
    void handle(const Fields &f);
    int expectedRounds() const { return type_ == 'h' ? 10 : type_ == 'f' ? 20 : 23; }

    // The deal.
    void onStartround(const Fields &f);
    void onPlacecard(const Fields &f);
    void onTurnedTrump(const Fields &f);

    // Bidding and trump.
    int firstBidder() const;
    int askedSeat() const;
    void onBidRequest(const Fields &f);
    int chooseBid(int refused) const;
    void onNobid(const Fields &f);
    void onHisbid(const Fields &f);
    void onChoosetrump(const Fields &f);
    int chooseTrump();
    void onChosenTrump(const Fields &f);

    // Tricks.
    void startPlay();
    void onNextplayer(const Fields &f);
    void playOwnCard();
    void onPlaycard(const Fields &f);
    int trickWinner() const;
    void onTrickwinner(const Fields &f);

    // Scores and the end.
    void onScore(const Fields &f);
    void onWinner();

    const char type_;
    const int port_;
    const std::string name_;
    TestClient client_;
    std::size_t next_ = 0;  // the first message not handled yet
    std::string current_;
    std::string error_;
    Phase phase_ = Phase::login;
    QElapsedTimer clock_;
    qint64 elapsedMs_ = 0;

    // What the current round has shown; CMD_startround starts it afresh.
    struct RoundState {
        int dealtSeats = 0;
        std::array<int, 14> hand{};                      // own hand by slot, 0 = empty
        std::array<bool, 53> seen{};                     // cards played
        std::array<std::array<bool, 5>, 5> lacks{};      // seat has shown it lacks a suit
        std::array<std::array<bool, 14>, 5> slotUsed{};  // hand slots played from
        int trumpSuit = 0;
        int outOfPlay = 0;                               // the turned card
        std::array<int, 5> bids{};
        int bidsIn = 0, totalBids = 0;
        int leader = 0, turn = 0, ledSuit = 0, cardsOnTable = 0;
        std::array<int, 5> table{};                      // cards of the current trick
        std::array<int, 5> tricks{};
        int tricksTaken = 0;
    };

    int round_ = 0, dealer_ = 0, numcards_ = 0;
    RoundState r_;
    int myBid_ = 0, myChoice_ = 0, mySlot_ = 0, choices_ = 0, nobids_ = 0;
    std::array<int, 5> totals_{};
    int totalTricks_ = 0, ownBidsMade_ = 0, noTrumpRounds_ = 0;
    std::string winnerMessage_;
};
