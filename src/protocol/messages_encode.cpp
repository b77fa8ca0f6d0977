// The encoders: each typed message as the exact bytes that go on the wire.
#include "protocol/messages.h"

#include "protocol/cards.h"
#include "protocol/commands.h"
#include "protocol/message.h"

#include <algorithm>
#include <charconv>

namespace quillet {

namespace {

class Writer {
public:
    Writer(std::string &out, std::string_view command) : out_(out) { out_ += command; }
    ~Writer() { out_ += kTerminator; }
    Writer &num(int n)
    {
        char buf[12];
        const auto res = std::to_chars(buf, buf + sizeof buf, n);
        out_ += '+';
        out_.append(buf, res.ptr);
        return *this;
    }
    Writer &text(std::string_view s)
    {
        out_ += '+';
        out_ += s;
        return *this;
    }
    Writer &letter(GameType t)
    {
        out_ += '+';
        out_ += letterOf(t);
        return *this;
    }
    Writer &trailingPlus()
    {
        out_ += '+';
        return *this;
    }

private:
    std::string &out_;
};

} // namespace

// ---- encoding: table to server ---------------------------------------------------

void encode(std::string &out, const toServer::LoginInfo &m)
{
    Writer(out, cmd::logininfo).num(m.slot).text(m.version).text(m.name);
}
void encode(std::string &out, const toServer::StartGame &m)
{
    Writer(out, cmd::startgame).text(m.name).letter(m.type).trailingPlus();
}
void encode(std::string &out, const toServer::Bid &m) { Writer(out, cmd::bid).num(m.seat).num(m.bid); }
void encode(std::string &out, const toServer::MyChoose &m)
{
    Writer(out, cmd::mychoose).num(m.seat).num(m.card).trailingPlus();
}
void encode(std::string &out, const toServer::PlayCard &m)
{
    Writer(out, cmd::playcard).num(m.seat).num(m.slot);
}
void encode(std::string &out, const toServer::Chat &m) { Writer(out, cmd::chat).num(m.seat).text(m.text); }
void encode(std::string &out, const toServer::Action &m)
{
    Writer(out, cmd::action).num(m.seat).text(m.text);
}
void encode(std::string &out, const toServer::PlayASound &m)
{
    Writer(out, cmd::playasound).num(m.seat).text(m.text);
}
void encode(std::string &out, const toServer::JustWatch &m)
{
    Writer(out, cmd::justwatch).num(m.seat).text(m.watch ? "1" : "2");
}
void encode(std::string &out, const toServer::KickHim &m)
{
    Writer(out, cmd::kickhim).num(m.sender).num(m.victim).trailingPlus();
}
void encode(std::string &out, const toServer::BotSpeed &m)
{
    Writer(out, cmd::botspeed).num(m.sender).num(m.delay).trailingPlus();
}
void encode(std::string &out, const ToServer &m)
{
    std::visit([&out](const auto &x) { encode(out, x); }, m);
}

// ---- encoding: server to table ---------------------------------------------------

void encode(std::string &out, const toTable::SendLoginInfo &m)
{
    Writer(out, cmd::sendlogininfo).num(m.slot);
}
void encode(std::string &out, const toTable::Full &) { Writer(out, cmd::full).trailingPlus(); }
void encode(std::string &out, const toTable::NewPlayerInfo &m)
{
    Writer(out, cmd::newplayerinfo).num(m.slot).text(m.name);
}
void encode(std::string &out, const toTable::ExistingPlayers &m)
{
    Writer(out, cmd::existingplayers).num(m.slot).text(m.name);
}
void encode(std::string &out, const toTable::HaveWrongVersion &m)
{
    Writer(out, cmd::havewrongversion).text(m.name);
}
void encode(std::string &out, const toTable::WrongVersion &)
{
    Writer(out, cmd::wrongversion).trailingPlus();
}
void encode(std::string &out, const toTable::PlaceCard &m)
{
    Writer w(out, cmd::placecard);
    w.num(m.seat);
    const int count = std::clamp(m.count, 0, kHandSlots);
    for (int i = 0; i < count; ++i)
        w.num(m.pairs[std::size_t(i)].slot).num(m.pairs[std::size_t(i)].card);
}
void encode(std::string &out, const toTable::NewPlayerStuff &m)
{
    Writer w(out, cmd::newplayerstuff);
    w.num(m.seat).num(m.bid).num(m.tricks).num(m.score);
    for (int seat = 1; seat <= kSeats; ++seat)
        w.num(seat).num(m.played[std::size_t(seat)]);
    w.trailingPlus();
}
void encode(std::string &out, const toTable::Stats &m)
{
    Writer(out, cmd::stats)
        .num(m.turn)
        .num(m.bidder)
        .num(m.round)
        .num(m.trumpcard)
        .letter(m.type)
        .trailingPlus();
}
void encode(std::string &out, const toTable::PlayerDisconnected &m)
{
    Writer(out, cmd::playerdisconnected).num(m.slot).text(m.name);
}
void encode(std::string &out, const toTable::StartGame &m)
{
    Writer(out, cmd::startgame).text(m.name).letter(m.type).trailingPlus();
}
void encode(std::string &out, const toTable::StartRound &m)
{
    Writer(out, cmd::startround).num(m.round).num(m.dealer).num(m.numcards).trailingPlus();
}
void encode(std::string &out, const toTable::Trump &m) { Writer(out, cmd::trump).num(m.card); }
void encode(std::string &out, const toTable::Bid &m)
{
    Writer(out, cmd::bid).num(m.seat).num(m.numcards).num(m.first).num(m.total).num(m.last).trailingPlus();
}
void encode(std::string &out, const toTable::HisBid &m)
{
    Writer(out, cmd::hisbid).num(m.seat).num(m.bid).num(m.total);
}
void encode(std::string &out, const toTable::NoBid &m)
{
    Writer(out, cmd::nobid).num(m.seat).num(m.bid).trailingPlus();
}
void encode(std::string &out, const toTable::ChooseTrump &m)
{
    Writer(out, cmd::choosetrump).num(m.seat).trailingPlus();
}
void encode(std::string &out, const toTable::NextPlayer &m)
{
    Writer(out, cmd::nextplayer).text(m.newTrick ? "c" : "f").num(m.seat);
}
void encode(std::string &out, const toTable::PlayCard &m)
{
    Writer(out, cmd::playcard).num(m.seat).num(m.slot).num(m.card);
}
void encode(std::string &out, const toTable::NeedSuit &m)
{
    Writer(out, cmd::needsuit).num(m.seat).num(2).num(m.slot).trailingPlus();
}
void encode(std::string &out, const toTable::TrickWinner &m)
{
    Writer(out, cmd::trickwinner).num(m.seat).num(m.tricks);
}
void encode(std::string &out, const toTable::Score &m)
{
    Writer w(out, cmd::score);
    for (const auto &e : m.entries)
        w.num(e.seat).num(e.total).num(e.round);
}
void encode(std::string &out, const toTable::Winner &m)
{
    Writer(out, cmd::winner).text(m.names).num(m.score);
}
void encode(std::string &out, const toTable::Chat &m)
{
    using Kind = toTable::Chat::Kind;
    const std::string_view command =
        m.kind == Kind::action ? cmd::action : m.kind == Kind::me ? cmd::me : cmd::chat;
    Writer(out, command).num(m.seat).text(m.text);
}
void encode(std::string &out, const toTable::PlayASound &m)
{
    Writer(out, cmd::playasound).num(m.seat).text(m.text);
}
void encode(std::string &out, const toTable::JustWatching &m)
{
    Writer(out, cmd::justwatching).num(m.seat).text(m.watching ? "1" : "2");
}
void encode(std::string &out, const ToTable &m)
{
    std::visit([&out](const auto &x) { encode(out, x); }, m);
}

} // namespace quillet
