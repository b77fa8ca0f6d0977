// The scripted seat-1 player: a state machine over the messages of a game.
#include "scriptedplayer.h"

#include "protocol/cards.h"
#include "protocol/message.h"

#include <algorithm>
#include <utility>

using namespace quillet;

namespace {

// Cards per hand of a round, written out here rather than taken from the
// shared schedule so that the two are checked against each other.
int cardsInRound(char type, int round)
{
    switch (type) {
    case 'h': return round;
    case 'f': return round <= 11 ? round : 22 - round;
    case 'm': return round <= 12 ? 14 - round : round - 10;
    }
    return 0;
}

int roundScore(int bid, int tricks)
{
    if (bid != tricks)
        return 0;
    return bid == 0 ? 5 : 10 + bid;
}

// Splits "CMD_x+a+b" into {"CMD_x", "a", "b"}; a trailing '+' gives an empty last field.
std::vector<std::string> splitFields(const std::string &message)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t plus; (plus = message.find('+', start)) != std::string::npos;) {
        out.push_back(message.substr(start, plus - start));
        start = plus + 1;
    }
    out.push_back(message.substr(start));
    return out;
}

} // namespace

ScriptedPlayer::ScriptedPlayer(char type, int port, std::string name)
    : type_(type), port_(port), name_(std::move(name))
{
    connect(&client_.sock, &QTcpSocket::readyRead, this, [this] { drain(); });
}

void ScriptedPlayer::drain()
{
    while (next_ < client_.messages.size() && error_.empty()) {
        current_ = client_.messages[next_++];
        handle(splitFields(current_));
    }
}

void ScriptedPlayer::fail(const std::string &what)
{
    if (!error_.empty())
        return;
    error_ = what + " [round " + std::to_string(round_) + ", message \"" + current_ + "\"]";
}

// The message has exactly `fields` fields, and with `trailingPlus` an empty
// one after them: the '+' before the terminator that tables read up to.
bool ScriptedPlayer::shape(const Fields &f, std::size_t fields, bool trailingPlus)
{
    if (f.size() == 1 + fields + trailingPlus && (!trailingPlus || f.back().empty()))
        return true;
    fail(f[0] + " must carry " + std::to_string(fields) + " fields" +
         (trailingPlus ? " and a trailing +" : ""));
    return false;
}

bool ScriptedPlayer::number(const Fields &f, std::size_t i, int &out)
{
    if (i >= f.size() || !parseNumber(f[i], out)) {
        fail("field " + std::to_string(i) + " is not a number");
        return false;
    }
    return true;
}

// The one command each phase allows (CMD_winner also ends the last round).
std::string ScriptedPlayer::expectedCommand() const
{
    switch (phase_) {
    case Phase::login: return "CMD_sendlogininfo";
    case Phase::announced: return "CMD_newplayerinfo";
    case Phase::started: return "CMD_startgame";
    case Phase::roundStart: return "CMD_startround";
    case Phase::deal: return "CMD_placecard";
    case Phase::trump:
    case Phase::chosen: return "CMD_trump";
    case Phase::bidding: return "CMD_bid";
    case Phase::bidAnswer: return "CMD_hisbid";
    case Phase::choosing: return "CMD_choosetrump";
    case Phase::lead: return "CMD_nextplayer";
    case Phase::turn: return "CMD_playcard";
    case Phase::played: return r_.cardsOnTable == kSeats ? "CMD_trickwinner" : "CMD_nextplayer";
    case Phase::scored: return "CMD_score";
    case Phase::ending: return "CMD_chat";
    case Phase::done: break;
    }
    return "nothing more";
}

void ScriptedPlayer::handle(const Fields &f)
{
    const std::string &command = f[0];
    if (command == "CMD_needsuit")
        return fail("a legal card was refused");
    if (command == "CMD_nobid")
        return onNobid(f);
    if (phase_ == Phase::roundStart && round_ == expectedRounds() && command == "CMD_winner")
        return onWinner();
    if (command != expectedCommand())
        return fail("expected " + expectedCommand());

    switch (phase_) {
    case Phase::login:
        if (current_ != "CMD_sendlogininfo+1")
            return fail("the first connection must get slot 1");
        send("CMD_logininfo+1+1.0.16+" + name_);
        phase_ = Phase::announced;
        return;
    case Phase::announced:
        if (current_ != "CMD_newplayerinfo+1+" + name_)
            return fail("expected the own login announced");
        send("CMD_botspeed+1+0+");
        send("CMD_startgame+" + name_ + "+" + type_ + "+");
        clock_.start();
        phase_ = Phase::started;
        return;
    case Phase::started:
        if (current_ != "CMD_startgame+" + name_ + "+" + type_ + "+")
            return fail("expected the game start echoed");
        phase_ = Phase::roundStart;
        return;
    case Phase::roundStart: return onStartround(f);
    case Phase::deal: return onPlacecard(f);
    case Phase::trump: return onTurnedTrump(f);
    case Phase::bidding: return onBidRequest(f);
    case Phase::bidAnswer: return onHisbid(f);
    case Phase::choosing: return onChoosetrump(f);
    case Phase::chosen: return onChosenTrump(f);
    case Phase::lead:
    case Phase::played:
        if (command == "CMD_trickwinner")
            return onTrickwinner(f);
        return onNextplayer(f);
    case Phase::turn: return onPlaycard(f);
    case Phase::scored: return onScore(f);
    case Phase::ending:
        if (current_ != "CMD_chat+1+" + name_ + " chats: game over")
            return fail("expected the own chat line back");
        phase_ = Phase::done;
        return;
    case Phase::done: return;
    }
}

void ScriptedPlayer::onStartround(const Fields &f)
{
    int round = 0, dealer = 0, cards = 0;
    if (!shape(f, 3, true) || !number(f, 1, round) || !number(f, 2, dealer) || !number(f, 3, cards))
        return;
    if (round != round_ + 1 || round > expectedRounds())
        return fail("wrong round number");
    if (!isSeat(dealer) || (round_ > 0 && dealer != nextSeat(dealer_)))
        return fail("the deal must move on by one seat");
    if (cards != cardsInRound(type_, round))
        return fail("wrong number of cards for this round");

    round_ = round;
    dealer_ = dealer;
    numcards_ = cards;
    r_ = RoundState{};
    phase_ = Phase::deal;
}

void ScriptedPlayer::onPlacecard(const Fields &f)
{
    int seat = 0;
    if (!number(f, 1, seat))
        return;
    if (seat != r_.dealtSeats + 1)
        return fail("hands must come in seat order");
    if (!shape(f, 1 + 2 * std::size_t(numcards_), false))
        return;  // a hand holds the round's number of cards
    for (int k = 1; k <= numcards_; ++k) {
        int slot = 0, card = 0;
        if (!number(f, 2 * k, slot) || !number(f, 2 * k + 1, card))
            return;
        if (slot != k)
            return fail("hand slots must be filled from 1");
        if (seat != 1) {
            if (card != 0)
                return fail("another seat's cards must come face down");
            continue;
        }
        if (!isCard(card) || r_.seen[card])
            return fail("the own hand must hold distinct real cards");
        r_.seen[card] = true;
        r_.hand[k] = card;
    }
    if (++r_.dealtSeats < kSeats)
        return;
    r_.seen.fill(false);  // from here on: cards played this round
    phase_ = type_ == 'm' ? Phase::bidding : Phase::trump;
}

void ScriptedPlayer::onTurnedTrump(const Fields &f)
{
    int card = 0;
    if (!shape(f, 1, false) || !number(f, 1, card))
        return;
    if (!isCard(card) || std::find(r_.hand.begin(), r_.hand.end(), card) != r_.hand.end())
        return fail("the turned card must be a card from outside the hands");
    r_.trumpSuit = suitOf(card);
    r_.outOfPlay = card;
    phase_ = Phase::bidding;
}

int ScriptedPlayer::firstBidder() const { return nextSeat(dealer_); }
int ScriptedPlayer::askedSeat() const { return (firstBidder() - 1 + r_.bidsIn) % kSeats + 1; }

void ScriptedPlayer::onBidRequest(const Fields &f)
{
    int seat = 0, cards = 0, first = 0, total = 0, last = 0;
    if (!shape(f, 5, true) || !number(f, 1, seat) || !number(f, 2, cards) || !number(f, 3, first) ||
        !number(f, 4, total) || !number(f, 5, last))
        return;
    if (seat != askedSeat() || cards != numcards_ || first != firstBidder() || last != dealer_)
        return fail("CMD_bid names the wrong seats or card count");
    // The first request of a round carries the card count as its total.
    if (total != (r_.bidsIn == 0 ? numcards_ : r_.totalBids))
        return fail("CMD_bid carries the wrong running total");
    if (seat == 1) {
        myBid_ = chooseBid(-1);
        send("CMD_bid+1+" + std::to_string(myBid_));
    }
    phase_ = Phase::bidAnswer;
}

// A guess from the high cards, then the nearest number that is neither
// `refused` nor, for the Vale dealer, the one that makes the total equal
// the cards dealt.
int ScriptedPlayer::chooseBid(int refused) const
{
    int guess = 0;
    for (int card : r_.hand) {
        const bool trump = isCard(card) && suitOf(card) == r_.trumpSuit;
        if (rankOf(card) == 13 || (!trump && rankOf(card) == 12) || (trump && rankOf(card) >= 9))
            ++guess;
    }
    guess = std::min(guess, numcards_);
    const bool hooked = type_ == 'm' && dealer_ == 1;
    for (int d = 0; d <= numcards_; ++d) {
        for (int bid : {guess - d, guess + d}) {
            if (bid >= 0 && bid <= numcards_ && bid != refused &&
                !(hooked && r_.totalBids + bid == numcards_))
                return bid;
        }
    }
    return guess;
}

// Our bids keep the dealer rule, so a refusal is a fault (counted); bid
// again, differently, so that the game goes on and shows what else is wrong.
void ScriptedPlayer::onNobid(const Fields &f)
{
    ++nobids_;
    int seat = 0, bid = 0;
    if (!shape(f, 2, true) || !number(f, 1, seat) || !number(f, 2, bid))
        return;
    if (phase_ != Phase::bidAnswer || seat != 1 || askedSeat() != 1 || bid != myBid_)
        return fail("CMD_nobid out of place");
    myBid_ = chooseBid(bid);
    send("CMD_bid+1+" + std::to_string(myBid_));
}

void ScriptedPlayer::onHisbid(const Fields &f)
{
    int seat = 0, bid = 0, total = 0;
    if (!shape(f, 3, false) || !number(f, 1, seat) || !number(f, 2, bid) || !number(f, 3, total))
        return;
    if (seat != askedSeat())
        return fail("a bid from a seat that was not asked");
    if (bid < 0 || bid > numcards_)
        return fail("a bid outside 0..cards per hand");
    if (seat == 1 && bid != myBid_)
        return fail("the own bid came back changed");
    r_.bids[seat] = bid;
    r_.totalBids += bid;
    if (total != r_.totalBids)
        return fail("CMD_hisbid carries the wrong total");
    if (type_ == 'm' && seat == dealer_ && r_.totalBids == numcards_)
        return fail("the dealer's bid makes the total equal the cards dealt");

    if (++r_.bidsIn < kSeats) {
        phase_ = Phase::bidding;
    } else if (type_ == 'm') {
        phase_ = Phase::choosing;
    } else {
        startPlay();
    }
}

void ScriptedPlayer::onChoosetrump(const Fields &f)
{
    int seat = 0;
    if (!shape(f, 1, true) || !number(f, 1, seat))
        return;
    int highest = 1;  // a tie goes to the lowest seat
    for (int s = 2; s <= kSeats; ++s)
        if (r_.bids[s] > r_.bids[highest])
            highest = s;
    if (seat != highest)
        return fail("the highest bidder must choose trump");
    myChoice_ = 0;
    if (seat == 1) {
        myChoice_ = chooseTrump();
        send("CMD_mychoose+1+" + std::to_string(myChoice_) + "+");
    }
    phase_ = Phase::chosen;
}

// No trump on every other choice, the first included, so that such rounds
// are played too; else the longest suit's ace.
int ScriptedPlayer::chooseTrump()
{
    if (choices_++ % 2 == 0)
        return kNoTrumpCard;
    std::array<int, 5> length{};
    for (int card : r_.hand)
        ++length[suitOf(card)];
    int best = 1;
    for (int s = 2; s <= 4; ++s)
        if (length[s] > length[best])
            best = s;
    return 13 * best;
}

void ScriptedPlayer::onChosenTrump(const Fields &f)
{
    int card = 0;
    if (!shape(f, 1, false) || !number(f, 1, card))
        return;
    if (myChoice_ ? card != myChoice_
                  : card != 13 && card != 26 && card != 39 && card != 52 && card != kNoTrumpCard)
        return fail("the trump must be the chooser's ace or no trump");
    r_.trumpSuit = suitOf(card);
    noTrumpRounds_ += r_.trumpSuit == 0;
    startPlay();
}

void ScriptedPlayer::startPlay()
{
    r_.leader = firstBidder();
    r_.cardsOnTable = 0;
    phase_ = Phase::lead;
}

// "c" asks the leader of a new trick, "f" the next seat within one.
void ScriptedPlayer::onNextplayer(const Fields &f)
{
    const bool lead = phase_ == Phase::lead;
    int seat = 0;
    if (!shape(f, 2, false) || !number(f, 2, seat))
        return;
    if (f[1] != (lead ? "c" : "f"))
        return fail(lead ? "a trick must start with c" : "the turn within a trick goes with f");
    if (seat != (lead ? r_.leader : nextSeat(r_.turn)))
        return fail("the turn went to the wrong seat");
    r_.turn = seat;
    phase_ = Phase::turn;
    if (seat == 1)
        playOwnCard();
}

void ScriptedPlayer::playOwnCard()
{
    const int led = r_.cardsOnTable ? r_.ledSuit : 0;
    bool canFollow = false;
    for (int card : r_.hand)
        canFollow |= led && suitOf(card) == led;
    // Take tricks while short of the bid, duck once it is reached.
    const bool wantTrick = r_.tricks[1] < myBid_;
    int best = 0;
    for (int k = 1; k <= kHandSlots; ++k) {
        const int card = r_.hand[k];
        if (!isCard(card) || (canFollow && suitOf(card) != led))
            continue;
        if (!best || (wantTrick ? rankOf(card) > rankOf(r_.hand[best])
                                : rankOf(card) < rankOf(r_.hand[best])))
            best = k;
    }
    if (!best)
        return fail("asked to play with an empty hand");
    mySlot_ = best;
    send("CMD_playcard+1+" + std::to_string(best));
}

void ScriptedPlayer::onPlaycard(const Fields &f)
{
    int seat = 0, slot = 0, card = 0;
    if (!shape(f, 3, false) || !number(f, 1, seat) || !number(f, 2, slot) || !number(f, 3, card))
        return;
    if (seat != r_.turn)
        return fail("a card from a seat whose turn it is not");
    if (!isHandSlot(slot) || slot > numcards_ || r_.slotUsed[seat][slot] || !isCard(card) ||
        r_.seen[card] || card == r_.outOfPlay)
        return fail("a card that cannot be in that hand");
    r_.slotUsed[seat][slot] = true;
    if (seat == 1) {
        if (slot != mySlot_ || card != r_.hand[slot])
            return fail("the own card came back changed");
        r_.hand[slot] = 0;
    }
    r_.seen[card] = true;
    const int suit = suitOf(card);
    if (r_.cardsOnTable == 0)
        r_.ledSuit = suit;
    if (r_.lacks[seat][suit])
        return fail("seat " + std::to_string(seat) + " did not follow suit earlier this round");
    if (suit != r_.ledSuit)
        r_.lacks[seat][r_.ledSuit] = true;
    r_.table[seat] = card;
    ++r_.cardsOnTable;
    phase_ = Phase::played;
}

int ScriptedPlayer::trickWinner() const
{
    int winner = 0;
    for (int pass = 0; pass < 2 && !winner; ++pass) {
        const int suit = pass == 0 ? r_.trumpSuit : r_.ledSuit;
        for (int s = 1; s <= kSeats; ++s)
            if (suit && suitOf(r_.table[s]) == suit &&
                (!winner || rankOf(r_.table[s]) > rankOf(r_.table[winner])))
                winner = s;
    }
    return winner;
}

void ScriptedPlayer::onTrickwinner(const Fields &f)
{
    int seat = 0, count = 0;
    if (!shape(f, 2, false) || !number(f, 1, seat) || !number(f, 2, count))
        return;
    if (seat != trickWinner())
        return fail("the trick went to the wrong seat");
    if (count != ++r_.tricks[seat])
        return fail("wrong trick count for the winner");
    ++r_.tricksTaken;
    ++totalTricks_;
    r_.cardsOnTable = 0;
    r_.leader = seat;
    phase_ = r_.tricksTaken < numcards_ ? Phase::lead : Phase::scored;
}

void ScriptedPlayer::onScore(const Fields &f)
{
    if (!shape(f, 12, false))
        return;
    for (int s = 1; s <= kSeats; ++s) {
        int seat = 0, total = 0, got = 0;
        if (!number(f, 3 * s - 2, seat) || !number(f, 3 * s - 1, total) || !number(f, 3 * s, got))
            return;
        const int expected = roundScore(r_.bids[s], r_.tricks[s]);
        totals_[s] += expected;
        if (seat != s || got != expected || total != totals_[s])
            return fail("seat " + std::to_string(s) + " scored wrongly (expected " +
                        std::to_string(expected) + ", total " + std::to_string(totals_[s]) + ")");
    }
    ownBidsMade_ += r_.tricks[1] == r_.bids[1];
    phase_ = Phase::roundStart;
}

void ScriptedPlayer::onWinner()
{
    const std::array<std::string, 5> names = {"", name_, "Klot", "Klick", "Kling"};
    const int best = *std::max_element(totals_.begin() + 1, totals_.end());
    std::string text;
    for (int s = 1; s <= kSeats; ++s)
        if (totals_[s] == best)
            text += (text.empty() ? "" : " and ") + names[s];
    winnerMessage_ = current_;
    elapsedMs_ = clock_.elapsed();
    if (current_ != "CMD_winner+" + text + "+" + std::to_string(best))
        return fail("expected CMD_winner+" + text + "+" + std::to_string(best));
    // Nothing may follow the winner: the chat line must be the next message.
    send("CMD_chat+1+game over");
    phase_ = Phase::ending;
}
