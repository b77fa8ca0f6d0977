// A table brought into each state of a game by the server's messages, for the tests
// that look at the whole table: bidding, play, trick end, round end, game end, the
// trump choice, a watcher, thirteen-card hands, from any seat.
#pragma once

#include "client/tchat.h"

#include <QString>
#include <QStringList>

#include <string>

namespace tablestates {

enum class State { Start, Bidding, Play, TrickEnd, RoundEnd, GameEnd, TrumpChoice, Watching };

inline const char *name(State s)
{
    switch (s) {
    case State::Start: return "start";
    case State::Bidding: return "bidding";
    case State::Play: return "play";
    case State::TrickEnd: return "trick end";
    case State::RoundEnd: return "round end";
    case State::GameEnd: return "game end";
    case State::TrumpChoice: return "trump choice";
    case State::Watching: return "watching";
    }
    return "?";
}

inline const State kAll[] = {State::Start,   State::Bidding, State::Play,        State::TrickEnd,
                             State::RoundEnd, State::GameEnd, State::TrumpChoice, State::Watching};

// Long names on every seat, so cut names and crowded labels show.
inline const char *const kNames[5] = {"", "Maximilian", "Klotilde", "Bartholomew", "Kling"};

// Drives `t` (not connected; its sends go nowhere) from login as `myseat` (5 and up
// watch) to `state`, in a Vale game's first round: thirteen cards each.
inline void driveTo(quillet::Tchat *t, State state, int myseat)
{
    const auto msg = [t](const std::string &m) { t->dispatch(m); };
    const bool watcher = myseat > 4;
    const int me = watcher ? 1 : myseat; // the bottom seat
    t->setPlayerName(watcher ? "Spectator" : kNames[myseat]);
    if (!t->sendHook)
        t->sendHook = [](const std::string &) {};
    t->setHosting(myseat == 1);
    msg("CMD_sendlogininfo+" + std::to_string(myseat));
    for (int s = 1; s <= 4; ++s)
        msg("CMD_newplayerinfo+" + std::to_string(s) + "+" + kNames[s]);
    if (watcher)
        msg("CMD_newplayerinfo+" + std::to_string(myseat) + "+Spectator");
    if (state == State::Start)
        return;
    msg(std::string("CMD_startgame+") + kNames[1] + "+m+");
    msg("CMD_startround+1+4+13+");
    // The own hand goes round the suits: slot k holds suit (k - 1) % 4 + 1 at rank
    // 3 × ((k - 1) / 4) + me, so it has hearts below the queen the others lead.
    for (int s = 1; s <= 4; ++s) {
        std::string deal = "CMD_placecard+";
        deal += std::to_string(s);
        for (int slot = 1; slot <= 13; ++slot) {
            const int card = s == me && !watcher ? ((slot - 1) % 4) * 13 + 3 * ((slot - 1) / 4) + me : 0;
            deal.append("+").append(std::to_string(slot)).append("+").append(std::to_string(card));
        }
        msg(deal);
    }
    if (state == State::Bidding) {
        // Two seats have bid; the own seat is asked (the watcher sees the left seat asked).
        const int asked = watcher ? 2 : me;
        msg("CMD_hisbid+" + std::to_string(asked % 4 + 1) + "+4+4");
        msg("CMD_hisbid+" + std::to_string((asked + 1) % 4 + 1) + "+3+7");
        msg("CMD_bid+" + std::to_string(asked) + "+13+" + std::to_string(asked % 4 + 1) + "+7+" +
            std::to_string(asked) + "+");
        return;
    }
    for (int s = 1; s <= 4; ++s)
        msg("CMD_hisbid+" + std::to_string(s) + "+" + std::to_string(s + 1) + "+" + std::to_string((s + 1) * (s + 2) / 2 - 1));
    if (state == State::TrumpChoice) {
        msg("CMD_choosetrump+" + std::to_string(me) + "+");
        return;
    }
    msg("CMD_trump+27");
    // The seat after the own one leads; the own seat plays last.
    const int lead = me % 4 + 1;
    msg("CMD_nextplayer+c+" + std::to_string(lead));
    int seat = lead;
    for (int n = 0; n < 3; ++n) {
        msg("CMD_playcard+" + std::to_string(seat) + "+" + std::to_string(n + 1) + "+" + std::to_string(39 - n));
        seat = seat % 4 + 1;
        msg("CMD_nextplayer+f+" + std::to_string(seat));
    }
    if (state == State::Play || state == State::Watching) {
        if (state == State::Watching)
            for (int s = 1; s <= 4; ++s)
                if (s != me)
                    msg("CMD_justwatching+" + std::to_string(s) + "+1");
        return;
    }
    // The own seat follows with its lowest heart, in slot 3.
    msg("CMD_playcard+" + std::to_string(me) + "+3+" + std::to_string(26 + me));
    msg("CMD_trickwinner+" + std::to_string(lead) + "+1");
    if (state == State::TrickEnd)
        return;
    // The other twelve tricks: the own seat leads them and takes them, so the round
    // ends with every hand played out, as a real round does.
    int ownTricks = 0;
    for (int trick = 2; trick <= 13; ++trick) {
        msg("CMD_nextplayer+c+" + std::to_string(me));
        const int slot = trick <= 3 ? trick - 1 : trick;
        for (int n = 0, s = me; n < 4; ++n, s = s % 4 + 1) {
            const int card = s == me ? ((slot - 1) % 4) * 13 + 3 * ((slot - 1) / 4) + me : (trick * 4 + n) % 52 + 1;
            msg("CMD_playcard+" + std::to_string(s) + "+" + std::to_string(s == me ? slot : trick) + "+" +
                std::to_string(card));
            if (n < 3)
                msg("CMD_nextplayer+f+" + std::to_string(s % 4 + 1));
        }
        msg("CMD_trickwinner+" + std::to_string(me) + "+" + std::to_string(++ownTricks));
    }
    std::string score = "CMD_score";
    for (int s = 1; s <= 4; ++s)
        score += "+" + std::to_string(s) + "+" + std::to_string(s == me ? 0 : 12 + s) + "+" +
                 std::to_string(s == me ? 0 : 12 + s);
    msg(score);
    if (state == State::RoundEnd)
        return;
    msg(std::string("CMD_winner+") + kNames[4] + "+16");
}

} // namespace tablestates
