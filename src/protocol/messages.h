// The typed messages: one struct per command of each direction, decoded once
// where the bytes arrive and encoded once where they leave.
//
// decodeToServer / decodeToTable turn one pending entry (a message without its
// terminator) into a struct, or into nothing when the command is unknown or a
// field is malformed or out of range; nothing past this edge reads wire text.
// encode appends the exact bytes of a message, terminator included.
#pragma once

#include "protocol/cards.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace quillet {

// 'h', 'f', 'm' as a game type; nothing for any other text.
std::optional<GameType> gameTypeFromLetter(std::string_view letter);

// ---- table to server -----------------------------------------------------
namespace toServer {

struct LoginInfo {
    int slot = 0;  // the slot the table believes it holds
    std::string version;
    std::string name;
};
struct StartGame {
    std::string name;
    GameType type = GameType::full;
};
struct Bid {
    int seat = 0;
    int bid = 0;
};
struct MyChoose {
    int seat = 0;
    int card = 0;  // 13, 26, 39, 52 or 53
};
struct PlayCard {
    int seat = 0;
    int slot = 0;  // hand slot; the engine answers a slot that holds nothing
};
struct Chat {
    int seat = 0;
    std::string text;
};
struct Action {
    int seat = 0;
    std::string text;
};
struct PlayASound {
    int seat = 0;
    std::string text;
};
struct JustWatch {
    int seat = 0;
    bool watch = false;  // "1" starts watching, "2" stops
};
struct KickHim {
    int sender = 0;
    int victim = 0;
};
struct BotSpeed {
    int sender = 0;
    int delay = 0;  // milliseconds, 0..60000
};

} // namespace toServer

using ToServer = std::variant<toServer::LoginInfo, toServer::StartGame, toServer::Bid,
                              toServer::MyChoose, toServer::PlayCard, toServer::Chat,
                              toServer::Action, toServer::PlayASound, toServer::JustWatch,
                              toServer::KickHim, toServer::BotSpeed>;

// ---- server to table -----------------------------------------------------
namespace toTable {

struct SendLoginInfo {
    int slot = 0;
};
struct Full {};
struct NewPlayerInfo {
    int slot = 0;
    std::string name;
};
struct ExistingPlayers {
    int slot = 0;
    std::string name;
};
struct HaveWrongVersion {
    std::string name;
};
struct WrongVersion {};
struct PlaceCard {
    struct Pair {
        int slot = 0;
        int card = 0;  // 0: a face-down card
    };
    int seat = 0;
    int count = 0;  // pairs used, 0..13
    std::array<Pair, 13> pairs{};
};
struct NewPlayerStuff {
    int seat = 0;
    int bid = 0;
    int tricks = 0;
    int score = 0;
    std::array<int, 5> played{};  // by seat 1..4; 0 = none
};
struct Stats {
    int turn = 0;
    int bidder = 0;
    int round = 0;
    int trumpcard = 0;
    GameType type = GameType::full;
};
struct PlayerDisconnected {
    int slot = 0;
    std::string name;
};
struct StartGame {
    std::string name;
    GameType type = GameType::full;
};
struct StartRound {
    int round = 0;
    int dealer = 0;
    int numcards = 0;
};
struct Trump {
    int card = 0;  // 53: no trump
};
struct Bid {  // a seat is asked to bid
    int seat = 0;
    int numcards = 0;
    int first = 0;  // the seat that leads the first trick
    int total = 0;  // bids so far (the cards per hand in a round's first request)
    int last = 0;   // the dealer, who bids last
};
struct HisBid {
    int seat = 0;  // 0 only clears the bid box
    int bid = 0;
    int total = 0;
};
struct NoBid {
    int seat = 0;
    int bid = 0;
};
struct ChooseTrump {
    int seat = 0;
};
struct NextPlayer {
    bool newTrick = false;  // "c": clear the table first; "f": within a trick
    int seat = 0;
};
struct PlayCard {
    int seat = 0;
    int slot = 0;
    int card = 0;
};
struct NeedSuit {
    int seat = 0;
    int slot = 0;
};
struct TrickWinner {
    int seat = 0;
    int tricks = 0;
};
struct Score {
    struct Entry {
        int seat = 0;
        int total = 0;
        int round = 0;
    };
    std::array<Entry, 4> entries{};
};
struct Winner {
    std::string names;
    int score = 0;
};
// "CMD_chat", "CMD_action" and "CMD_me" are shown alike.
struct Chat {
    enum class Kind { chat, action, me };
    Kind kind = Kind::chat;
    int seat = 0;
    std::string text;
};
struct PlayASound {
    int seat = 0;
    std::string text;
};
struct JustWatching {
    int seat = 0;
    bool watching = false;  // "1"; anything else stops
};

} // namespace toTable

using ToTable =
    std::variant<toTable::SendLoginInfo, toTable::Full, toTable::NewPlayerInfo,
                 toTable::ExistingPlayers, toTable::HaveWrongVersion, toTable::WrongVersion,
                 toTable::PlaceCard, toTable::NewPlayerStuff, toTable::Stats,
                 toTable::PlayerDisconnected, toTable::StartGame, toTable::StartRound,
                 toTable::Trump, toTable::Bid, toTable::HisBid, toTable::NoBid,
                 toTable::ChooseTrump, toTable::NextPlayer, toTable::PlayCard,
                 toTable::NeedSuit, toTable::TrickWinner, toTable::Score, toTable::Winner,
                 toTable::Chat, toTable::PlayASound, toTable::JustWatching>;

// The position of message type T among the alternatives of its variant.
template <class T, class Variant, std::size_t I = 0>
constexpr std::size_t alternativeIndex()
{
    if constexpr (std::is_same_v<std::variant_alternative_t<I, Variant>, T>)
        return I;
    else
        return alternativeIndex<T, Variant, I + 1>();
}

// One visitor from several lambdas, for std::visit over a message variant.
template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

// ---- decoding ------------------------------------------------------------
std::optional<ToServer> decodeToServer(std::string_view entry);
std::optional<ToTable> decodeToTable(std::string_view entry);

// ---- encoding: each appends one whole message, terminator included --------
void encode(std::string &out, const toServer::LoginInfo &m);
void encode(std::string &out, const toServer::StartGame &m);
void encode(std::string &out, const toServer::Bid &m);
void encode(std::string &out, const toServer::MyChoose &m);
void encode(std::string &out, const toServer::PlayCard &m);
void encode(std::string &out, const toServer::Chat &m);
void encode(std::string &out, const toServer::Action &m);
void encode(std::string &out, const toServer::PlayASound &m);
void encode(std::string &out, const toServer::JustWatch &m);
void encode(std::string &out, const toServer::KickHim &m);
void encode(std::string &out, const toServer::BotSpeed &m);
void encode(std::string &out, const ToServer &m);

void encode(std::string &out, const toTable::SendLoginInfo &m);
void encode(std::string &out, const toTable::Full &m);
void encode(std::string &out, const toTable::NewPlayerInfo &m);
void encode(std::string &out, const toTable::ExistingPlayers &m);
void encode(std::string &out, const toTable::HaveWrongVersion &m);
void encode(std::string &out, const toTable::WrongVersion &m);
void encode(std::string &out, const toTable::PlaceCard &m);
void encode(std::string &out, const toTable::NewPlayerStuff &m);
void encode(std::string &out, const toTable::Stats &m);
void encode(std::string &out, const toTable::PlayerDisconnected &m);
void encode(std::string &out, const toTable::StartGame &m);
void encode(std::string &out, const toTable::StartRound &m);
void encode(std::string &out, const toTable::Trump &m);
void encode(std::string &out, const toTable::Bid &m);
void encode(std::string &out, const toTable::HisBid &m);
void encode(std::string &out, const toTable::NoBid &m);
void encode(std::string &out, const toTable::ChooseTrump &m);
void encode(std::string &out, const toTable::NextPlayer &m);
void encode(std::string &out, const toTable::PlayCard &m);
void encode(std::string &out, const toTable::NeedSuit &m);
void encode(std::string &out, const toTable::TrickWinner &m);
void encode(std::string &out, const toTable::Score &m);
void encode(std::string &out, const toTable::Winner &m);
void encode(std::string &out, const toTable::Chat &m);
void encode(std::string &out, const toTable::PlayASound &m);
void encode(std::string &out, const toTable::JustWatching &m);
void encode(std::string &out, const ToTable &m);

// The whole message as a new string.
template <class Message>
std::string encoded(const Message &m)
{
    std::string out;
    encode(out, m);
    return out;
}

} // namespace quillet
