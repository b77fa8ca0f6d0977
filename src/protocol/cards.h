// Cards, seats, game types and the round schedule shared by both ends.
#pragma once

#include <string_view>

namespace quillet {

inline constexpr int kNoTrumpCard = 53;
inline constexpr int kSeats = 4;      // seats 1..4
inline constexpr int kSlots = 9;      // connection slots 1..9, 5..9 watch
inline constexpr int kHandSlots = 13; // hand slots 1..13

inline constexpr bool isCard(int n) { return n >= 1 && n <= 52; }
inline constexpr bool isSeat(int s) { return s >= 1 && s <= kSeats; }
inline constexpr bool isSlot(int s) { return s >= 1 && s <= kSlots; }
inline constexpr bool isHandSlot(int k) { return k >= 1 && k <= kHandSlots; }

// Suit 1..4 for cards 1..52, 0 (none) for anything else.
inline constexpr int suitOf(int card) { return isCard(card) ? 1 + (card - 1) / 13 : 0; }
// Rank 1 (the two) .. 13 (the ace); 0 for anything that is not a card.
inline constexpr int rankOf(int card) { return isCard(card) ? card - 13 * (suitOf(card) - 1) : 0; }
// The seat after s in turn order (4 is followed by 1).
inline constexpr int nextSeat(int s) { return s % kSeats + 1; }

// "CLUBS", "DIAMONDS", "HEARTS", "SPADES" for suits 1..4, empty otherwise.
inline constexpr std::string_view suitName(int suit)
{
    constexpr std::string_view names[] = {"", "CLUBS", "DIAMONDS", "HEARTS", "SPADES"};
    return suit >= 1 && suit <= 4 ? names[suit] : names[0];
}

// Game type letters.
inline constexpr bool isGameType(std::string_view t) { return t == "h" || t == "f" || t == "m"; }

// The game types; the value is the letter that travels.
enum class GameType : char { half = 'h', full = 'f', vale = 'm' };
inline constexpr char letterOf(GameType t) { return static_cast<char>(t); }
inline constexpr std::string_view letterText(GameType t)
{
    return t == GameType::half ? "h" : t == GameType::full ? "f" : "m";
}

// Round schedule. lastRoundOver(t, round): the round number that ends the game
// ("h" 11, "f" 21, "m" 24).
inline constexpr int endRound(std::string_view t)
{
    return t == "h" ? 11 : t == "f" ? 21 : t == "m" ? 24 : 0;
}
// Cards per hand at game start, before round 1 applies its change.
inline constexpr int initialNumCards(std::string_view t) { return t == "m" ? 14 : 0; }
// Cards per hand of `round` given the previous round's count.
inline constexpr int nextNumCards(std::string_view t, int round, int previous)
{
    if (t == "h")
        return previous + 1;
    if (t == "f")
        return round < 12 ? previous + 1 : previous - 1;
    if (t == "m")
        return round < 13 ? previous - 1 : previous + 1;
    return previous;
}
// Number of round rows of the score card (10, 20, 23); 0 for unknown letters.
inline constexpr int roundsOf(std::string_view t) { return endRound(t) ? endRound(t) - 1 : 0; }

// The same schedule by game type.
inline constexpr int endRound(GameType t) { return endRound(letterText(t)); }
inline constexpr int initialNumCards(GameType t) { return t == GameType::vale ? 14 : 0; }
inline constexpr int nextNumCards(GameType t, int round, int previous)
{
    switch (t) {
    case GameType::half: return previous + 1;
    case GameType::full: return round < 12 ? previous + 1 : previous - 1;
    case GameType::vale: return round < 13 ? previous - 1 : previous + 1;
    }
    return previous;
}

} // namespace quillet
