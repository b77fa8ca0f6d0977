// The server's shared state: the seat table and the game fields that the
// connection layer (TServer) and the game engine both work on.
#pragma once

#include "protocol/cards.h"

#include <array>
#include <cstdint>
#include <string>

class TSock;

namespace quillet {

// One record per connection slot. cards/tricks/score/played/bid matter for
// seats 1..4 only.
struct tplayer {
    std::string name;             // as sent at login (made safe); empty while free
    bool connected = false;       // the slot holds an open connection
    TSock *slotsock = nullptr;    // the slot's accepted socket (owned by TServer)
    std::array<int, 14> cards{};  // hand slots 1..13 (index 0 unused); 0 = empty
    int tricks = 0;
    int score = 0;
    int played = 0;
    int bid = 0;
    bool watching = false;
    bool loggedin = false;        // the connection has logged in: a seat is human from then on
    std::string lastname;         // seats: the last person logged in here, kept when he leaves
};

// All pauses in one place. The game uses the defaults; tests and
// quillet-server options may shorten them.
struct Timings {
    int trickPauseMs = 3000;  // before the next trick
    int roundPauseMs = 5000;  // before the next round
    int botDelayMs = -1;      // >= 0 replaces the host's botinterval (tests only)
};

// Who plays a computer seat.
enum class ComputerLevel { classic, expert };

struct ServerState {
    std::array<tplayer, 12> players;  // 1..9 connections, 10 only refuses, 0 and 11 unused
    int slotcount = 0;
    bool gameon = false;
    GameType gametype = GameType::full;  // of the running (or last) game
    int round = 0;
    int numcards = 0;
    int firstseat = 0;
    int firstbidder = 0;
    int bidder = 0;
    int lastbidder = 0;
    int totalbids = 0;
    int chooser = 0;
    int trumpcard = 0;
    int trumpsuit = 0;
    int turn = 0;
    int ledsuit = 0;
    int cardsontable = 0;
    int trickcount = 0;
    std::array<int, 53> deck{};  // positions 1..52
    int deckpos = 0;
    // The round's finished tricks as every table saw them: the card seat s
    // played to trick t at 4(t-1) + s-1. Who led each follows from the first
    // bidder and the trick winners; the open trick is on the table (played).
    std::array<std::uint8_t, 64> tricklog{};
    int botinterval = 0;         // 0 until the host sends CMD_botspeed
    std::array<std::string, 5> botnames{"", "", "Klot", "Klick", "Kling"};

    // A seat is played by the computer while nobody logged in holds it, or
    // while its player just watches.
    bool isComputer(int seat) const
    {
        const tplayer &p = players[seat];
        return !p.connected || !p.loggedin || p.watching;
    }
};

} // namespace quillet
