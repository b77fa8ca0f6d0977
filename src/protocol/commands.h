// The command names of both directions, exactly as they travel.
#pragma once

#include <string_view>

namespace quillet::cmd {

// Client to server.
inline constexpr std::string_view logininfo = "CMD_logininfo";
inline constexpr std::string_view startgame = "CMD_startgame";
inline constexpr std::string_view bid = "CMD_bid";
inline constexpr std::string_view mychoose = "CMD_mychoose";
inline constexpr std::string_view playcard = "CMD_playcard";
inline constexpr std::string_view chat = "CMD_chat";
inline constexpr std::string_view action = "CMD_action";
inline constexpr std::string_view playasound = "CMD_playasound";
inline constexpr std::string_view justwatch = "CMD_justwatch";
inline constexpr std::string_view kickhim = "CMD_kickhim";
inline constexpr std::string_view botspeed = "CMD_botspeed";

// Server to client (CMD_startgame, CMD_bid, CMD_playcard, CMD_chat, CMD_action
// and CMD_playasound also travel this way).
inline constexpr std::string_view sendlogininfo = "CMD_sendlogininfo";
inline constexpr std::string_view full = "CMD_full";
inline constexpr std::string_view newplayerinfo = "CMD_newplayerinfo";
inline constexpr std::string_view existingplayers = "CMD_existingplayers";
inline constexpr std::string_view havewrongversion = "CMD_havewrongversion";
inline constexpr std::string_view wrongversion = "CMD_wrongversion";
inline constexpr std::string_view placecard = "CMD_placecard";
inline constexpr std::string_view newplayerstuff = "CMD_newplayerstuff";
inline constexpr std::string_view stats = "CMD_stats";
inline constexpr std::string_view playerdisconnected = "CMD_playerdisconnected";
inline constexpr std::string_view startround = "CMD_startround";
inline constexpr std::string_view trump = "CMD_trump";
inline constexpr std::string_view hisbid = "CMD_hisbid";
inline constexpr std::string_view nobid = "CMD_nobid";
inline constexpr std::string_view choosetrump = "CMD_choosetrump";
inline constexpr std::string_view nextplayer = "CMD_nextplayer";
inline constexpr std::string_view needsuit = "CMD_needsuit";
inline constexpr std::string_view trickwinner = "CMD_trickwinner";
inline constexpr std::string_view score = "CMD_score";
inline constexpr std::string_view winner = "CMD_winner";
inline constexpr std::string_view justwatching = "CMD_justwatching";
inline constexpr std::string_view me = "CMD_me";

} // namespace quillet::cmd

namespace quillet {
// The version text both ends compare at login.
inline constexpr std::string_view kVersion = "1.0.16";
inline constexpr int kGamePort = 7772;
} // namespace quillet
