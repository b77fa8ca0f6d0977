// The decoders: wire text to typed messages, every field checked before anything is made.
#include "protocol/messages.h"

#include "protocol/cards.h"
#include "protocol/commands.h"
#include "protocol/message.h"
#include "protocol/strictfields.h"

#include <algorithm>
#include <charconv>

namespace quillet {

std::optional<GameType> gameTypeFromLetter(std::string_view letter)
{
    if (letter == "h")
        return GameType::half;
    if (letter == "f")
        return GameType::full;
    if (letter == "m")
        return GameType::vale;
    return std::nullopt;
}

namespace {

bool within(int n, int lo, int hi) { return n >= lo && n <= hi; }
// No game comes near it: 23 rounds of at most 23 points.
constexpr int kMaxScore = 99999;
bool isTrumpChoice(int card)
{
    return card == 13 || card == 26 || card == 39 || card == 52 || card == kNoTrumpCard;
}

// ---- reading ---------------------------------------------------------------
// The server reads its fields strictly (every field but the last must end with
// its '+'); the table reads them as the field convention has it, so that the
// last field may stand without one.

bool lenientInt(FieldReader &r, int &out, int lo, int hi)
{
    return r.nextInt(out) && within(out, lo, hi);
}
bool strictInt(FieldReader &r, int &out, int lo, int hi)
{
    return nextNumber(r, out) && within(out, lo, hi);
}
bool restInt(const FieldReader &r, int &out, int lo, int hi)
{
    return parseNumber(r.rest(), out) && within(out, lo, hi);
}
std::optional<GameType> gameTypeField(FieldReader &r) { return gameTypeFromLetter(r.next()); }

template <class T>
using Decoded = std::optional<T>;

// ---- table to server -------------------------------------------------------

Decoded<ToServer> upLogin(std::string_view f)
{
    FieldReader r(f);
    toServer::LoginInfo m;
    std::string_view version;
    if (!strictInt(r, m.slot, 1, kSlots) || !nextField(r, version))
        return {};
    m.version = std::string(version);
    m.name = std::string(r.rest());
    return m;
}

// The same two fields both ways: the starter's name and the game's letter.
template <class T, class Variant>
Decoded<Variant> startGame(std::string_view f)
{
    FieldReader r(f);
    T m;
    m.name = std::string(r.next());
    const auto type = gameTypeField(r);
    if (!type)
        return {};
    m.type = *type;
    return m;
}

Decoded<ToServer> upBid(std::string_view f)
{
    FieldReader r(f);
    toServer::Bid m;
    if (!strictInt(r, m.seat, 1, kSeats) || !restInt(r, m.bid, 0, kHandSlots))
        return {};
    return m;
}

Decoded<ToServer> upMyChoose(std::string_view f)
{
    FieldReader r(f);
    toServer::MyChoose m;
    if (!strictInt(r, m.seat, 1, kSeats) || !nextNumber(r, m.card) || !isTrumpChoice(m.card))
        return {};
    return m;
}

Decoded<ToServer> upPlayCard(std::string_view f)
{
    FieldReader r(f);
    toServer::PlayCard m;
    // Any slot number: the engine itself answers one that holds no card.
    if (!strictInt(r, m.seat, 1, kSeats) || !parseNumber(r.rest(), m.slot))
        return {};
    return m;
}

template <class T>
Decoded<ToServer> upText(std::string_view f)
{
    FieldReader r(f);
    T m;
    if (!strictInt(r, m.seat, 1, kSlots))
        return {};
    m.text = std::string(r.rest());
    return m;
}

Decoded<ToServer> upJustWatch(std::string_view f)
{
    FieldReader r(f);
    toServer::JustWatch m;
    if (!strictInt(r, m.seat, 1, kSlots))
        return {};
    if (r.rest() == "1")
        m.watch = true;
    else if (r.rest() != "2")
        return {};
    return m;
}

Decoded<ToServer> upKickHim(std::string_view f)
{
    FieldReader r(f);
    toServer::KickHim m;
    if (!strictInt(r, m.sender, 1, kSlots) || !strictInt(r, m.victim, 1, kSlots))
        return {};
    return m;
}

Decoded<ToServer> upBotSpeed(std::string_view f)
{
    FieldReader r(f);
    toServer::BotSpeed m;
    // Without its trailing '+' the delay reads as empty: no effect.
    if (!strictInt(r, m.sender, 1, kSlots) || !strictInt(r, m.delay, 0, 60000))
        return {};
    return m;
}

// ---- server to table -------------------------------------------------------

Decoded<ToTable> downSendLoginInfo(std::string_view f)
{
    toTable::SendLoginInfo m;
    if (!parseNumber(f, m.slot) || !isSlot(m.slot))
        return {};
    return m;
}

template <class T>
Decoded<ToTable> downSlotName(std::string_view f)
{
    FieldReader r(f);
    T m;
    if (!lenientInt(r, m.slot, 1, kSlots))
        return {};
    m.name = std::string(r.rest());
    return m;
}

Decoded<ToTable> downHaveWrongVersion(std::string_view f)
{
    return toTable::HaveWrongVersion{std::string(f)};
}

Decoded<ToTable> downPlaceCard(std::string_view f)
{
    FieldReader r(f);
    toTable::PlaceCard m;
    if (!lenientInt(r, m.seat, 1, kSeats))
        return {};
    while (!r.atEnd()) {
        if (m.count == kHandSlots)
            return {};  // more than a whole hand
        toTable::PlaceCard::Pair &p = m.pairs[std::size_t(m.count)];
        if (!lenientInt(r, p.slot, 1, kHandSlots) || !lenientInt(r, p.card, 0, 52))
            return {};
        ++m.count;
    }
    return m;
}

Decoded<ToTable> downNewPlayerStuff(std::string_view f)
{
    FieldReader r(f);
    toTable::NewPlayerStuff m;
    if (!lenientInt(r, m.seat, 1, kSeats) || !lenientInt(r, m.bid, 0, kHandSlots)
        || !lenientInt(r, m.tricks, 0, kHandSlots) || !lenientInt(r, m.score, 0, kMaxScore))
        return {};
    for (int i = 0; i < kSeats; ++i) {
        int seat = 0, card = 0;
        if (!r.nextInt(seat) || !r.nextInt(card))
            return {};
        // A pair that names no seat or no card shows nothing.
        if (isSeat(seat) && isCard(card))
            m.played[std::size_t(seat)] = card;
    }
    return m;
}

Decoded<ToTable> downStats(std::string_view f)
{
    FieldReader r(f);
    toTable::Stats m;
    if (!lenientInt(r, m.turn, 0, 5) || !lenientInt(r, m.bidder, 0, kSeats)
        || !lenientInt(r, m.round, 0, 24) || !lenientInt(r, m.trumpcard, 0, kNoTrumpCard))
        return {};
    const auto type = gameTypeField(r);
    if (!type)
        return {};
    m.type = *type;
    return m;
}

Decoded<ToTable> downStartRound(std::string_view f)
{
    FieldReader r(f);
    toTable::StartRound m;
    if (!lenientInt(r, m.round, 0, 24) || !lenientInt(r, m.dealer, 0, kSeats)
        || !lenientInt(r, m.numcards, 0, kHandSlots))
        return {};
    return m;
}

Decoded<ToTable> downTrump(std::string_view f)
{
    toTable::Trump m;
    if (!parseNumber(f, m.card) || !within(m.card, 0, kNoTrumpCard))
        return {};
    return m;
}

Decoded<ToTable> downBid(std::string_view f)
{
    FieldReader r(f);
    toTable::Bid m;
    if (!lenientInt(r, m.seat, 1, kSeats) || !lenientInt(r, m.numcards, 0, kHandSlots)
        || !lenientInt(r, m.first, 1, kSeats) || !lenientInt(r, m.total, 0, kSeats * kHandSlots)
        || !lenientInt(r, m.last, 1, kSeats))
        return {};
    return m;
}

Decoded<ToTable> downHisBid(std::string_view f)
{
    FieldReader r(f);
    toTable::HisBid m;
    if (!lenientInt(r, m.seat, 0, kSeats) || !lenientInt(r, m.bid, 0, kHandSlots)
        || !restInt(r, m.total, 0, kSeats * kHandSlots))
        return {};
    return m;
}

Decoded<ToTable> downNoBid(std::string_view f)
{
    FieldReader r(f);
    toTable::NoBid m;
    if (!lenientInt(r, m.seat, 1, kSeats) || !lenientInt(r, m.bid, 0, kHandSlots))
        return {};
    return m;
}

Decoded<ToTable> downChooseTrump(std::string_view f)
{
    FieldReader r(f);
    toTable::ChooseTrump m;
    if (!lenientInt(r, m.seat, 1, kSeats))
        return {};
    return m;
}

Decoded<ToTable> downNextPlayer(std::string_view f)
{
    FieldReader r(f);
    toTable::NextPlayer m;
    const std::string_view kind = r.next();
    if (kind != "c" && kind != "f")
        return {};
    m.newTrick = kind == "c";
    if (!restInt(r, m.seat, 1, kSeats))
        return {};
    return m;
}

Decoded<ToTable> downPlayCard(std::string_view f)
{
    FieldReader r(f);
    toTable::PlayCard m;
    if (!lenientInt(r, m.seat, 1, kSeats) || !lenientInt(r, m.slot, 1, kHandSlots)
        || !restInt(r, m.card, 1, 52))
        return {};
    return m;
}

Decoded<ToTable> downNeedSuit(std::string_view f)
{
    FieldReader r(f);
    toTable::NeedSuit m;
    int two = 0;
    if (!lenientInt(r, m.seat, 1, kSeats) || !r.nextInt(two)
        || !lenientInt(r, m.slot, 1, kHandSlots))
        return {};
    return m;
}

Decoded<ToTable> downTrickWinner(std::string_view f)
{
    FieldReader r(f);
    toTable::TrickWinner m;
    if (!lenientInt(r, m.seat, 1, kSeats) || !restInt(r, m.tricks, 0, kHandSlots))
        return {};
    return m;
}

Decoded<ToTable> downScore(std::string_view f)
{
    FieldReader r(f);
    toTable::Score m;
    for (auto &e : m.entries) {
        if (!lenientInt(r, e.seat, 1, kSeats) || !lenientInt(r, e.total, 0, kMaxScore)
            || !lenientInt(r, e.round, 0, kHandSlots + 10))
            return {};
    }
    return m;
}

Decoded<ToTable> downWinner(std::string_view f)
{
    // The winning score follows the last '+': names may hold anything else.
    const std::size_t plus = f.rfind('+');
    toTable::Winner m;
    if (plus == std::string_view::npos || !parseNumber(f.substr(plus + 1), m.score)
        || !within(m.score, 0, kMaxScore))
        return {};
    m.names = std::string(f.substr(0, plus));
    return m;
}

template <toTable::Chat::Kind kind>
Decoded<ToTable> downChat(std::string_view f)
{
    const std::size_t plus = f.find('+');
    toTable::Chat m;
    m.kind = kind;
    if (plus == std::string_view::npos || !parseNumber(f.substr(0, plus), m.seat)
        || !within(m.seat, 0, kSlots))
        return {};
    m.text = std::string(f.substr(plus + 1));
    return m;
}

Decoded<ToTable> downPlayASound(std::string_view f)
{
    FieldReader r(f);
    toTable::PlayASound m;
    if (!lenientInt(r, m.seat, 0, kSlots))
        return {};
    m.text = std::string(r.rest());
    return m;
}

Decoded<ToTable> downJustWatching(std::string_view f)
{
    FieldReader r(f);
    toTable::JustWatching m;
    if (!lenientInt(r, m.seat, 1, kSeats))
        return {};
    m.watching = r.rest() == "1";
    return m;
}

// ---- the command tables ------------------------------------------------------

template <class Result>
struct Entry {
    std::string_view command;
    Result (*decode)(std::string_view fields);
};

constexpr Entry<Decoded<ToServer>> kToServer[] = {
    {cmd::logininfo, upLogin},
    {cmd::startgame, startGame<toServer::StartGame, ToServer>},
    {cmd::bid, upBid},
    {cmd::mychoose, upMyChoose},
    {cmd::playcard, upPlayCard},
    {cmd::chat, upText<toServer::Chat>},
    {cmd::action, upText<toServer::Action>},
    {cmd::playasound, upText<toServer::PlayASound>},
    {cmd::justwatch, upJustWatch},
    {cmd::kickhim, upKickHim},
    {cmd::botspeed, upBotSpeed},
};

constexpr Entry<Decoded<ToTable>> kToTable[] = {
    {cmd::sendlogininfo, downSendLoginInfo},
    {cmd::full, [](std::string_view) -> Decoded<ToTable> { return toTable::Full{}; }},
    {cmd::newplayerinfo, downSlotName<toTable::NewPlayerInfo>},
    {cmd::existingplayers, downSlotName<toTable::ExistingPlayers>},
    {cmd::havewrongversion, downHaveWrongVersion},
    {cmd::wrongversion, [](std::string_view) -> Decoded<ToTable> { return toTable::WrongVersion{}; }},
    {cmd::placecard, downPlaceCard},
    {cmd::newplayerstuff, downNewPlayerStuff},
    {cmd::stats, downStats},
    {cmd::playerdisconnected, downSlotName<toTable::PlayerDisconnected>},
    {cmd::startgame, startGame<toTable::StartGame, ToTable>},
    {cmd::startround, downStartRound},
    {cmd::trump, downTrump},
    {cmd::bid, downBid},
    {cmd::hisbid, downHisBid},
    {cmd::nobid, downNoBid},
    {cmd::choosetrump, downChooseTrump},
    {cmd::nextplayer, downNextPlayer},
    {cmd::playcard, downPlayCard},
    {cmd::needsuit, downNeedSuit},
    {cmd::trickwinner, downTrickWinner},
    {cmd::score, downScore},
    {cmd::winner, downWinner},
    {cmd::chat, downChat<toTable::Chat::Kind::chat>},
    {cmd::action, downChat<toTable::Chat::Kind::action>},
    {cmd::me, downChat<toTable::Chat::Kind::me>},
    {cmd::playasound, downPlayASound},
    {cmd::justwatching, downJustWatching},
};

template <class Result, std::size_t N>
Result decodeWith(const Entry<Result> (&table)[N], std::string_view entry)
{
    std::string_view command, fields;
    if (!splitCommand(entry, command, fields))
        return {};
    for (const auto &e : table)
        if (e.command == command)
            return e.decode(fields);
    return {};
}

} // namespace

std::optional<ToServer> decodeToServer(std::string_view entry) { return decodeWith(kToServer, entry); }
std::optional<ToTable> decodeToTable(std::string_view entry) { return decodeWith(kToTable, entry); }

} // namespace quillet
