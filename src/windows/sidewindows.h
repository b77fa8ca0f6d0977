// The windows created at start-up besides the table, in creation order.
#pragma once

namespace quillet {

class Thelp;
class Tabout;
class Tlasttrick;
class Tscore;
class TServer;
class Ttallylist;
class Tspylist;
class Tphrases;
class Tdownload;
class Tgamestart;

struct SideWindows {
    Thelp *help = nullptr;
    Tabout *about = nullptr;
    Tlasttrick *lasttrick = nullptr;
    Tscore *score = nullptr;
    TServer *server = nullptr;
    Ttallylist *tally = nullptr;
    Tspylist *spylist = nullptr;
    Tphrases *phrases = nullptr;
    Tdownload *download = nullptr;
    Tgamestart *gamestart = nullptr;
};

} // namespace quillet
