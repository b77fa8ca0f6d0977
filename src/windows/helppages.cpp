#include "windows/helppages.h"

#include <QStringList>

namespace quillet {

namespace {

const char kOverview[] = R"(Welcome to Quillet!

Quillet is a card game for four players. Each round every player is dealt the same number of cards and then says how many tricks he will take: not "at least", but exactly that many. Your bid is a promise, and only a kept promise scores.

A trick is one card from each player. The player who leads may play any card; everybody else must follow the suit that was led if he can. The highest trump in the trick takes it; if nobody played a trump, the highest card of the suit led takes it. Whoever takes a trick leads the next one. Aces are high, twos are low.

After every round the score card is brought up to date. When the last round has been played, the player with the highest total wins the game.

You can play alone against three computer players, or with friends over the network. Seats without a human player are played by the computer, and anybody who would rather look on than play can just watch.

Use the buttons on the left to read about connecting, the three kinds of games, and how scoring works.)";

const char kConnecting[] = R"(Playing alone

When you start Quillet by itself, it sets up a game on your own computer with three computer players, Klot, Klick and Kling. Choose "Start Game" from the File menu (or click the "Start Game" button on the table) and pick the kind of game you want to play.

Playing with others

Games with other people are arranged in The Zolvex Lobby, a separate program. When a game is set up there, the lobby starts Quillet for every player and tells it three things: the player's name, the address of the computer that hosts the game, and "true" for the one player who hosts it. You do not need to type any of this yourself.

The host's copy of Quillet runs the game. The other players' copies connect to it, take the free seats, and everybody sees the same table. Only the host can start a game and choose its type; a seat nobody sits in is played by the computer.

Firewalls

Quillet talks to the other players over the internet, so your firewall has to allow it, even for a game against the computer (the game on your own computer uses the same connection). If you host a game, other players connect to you on TCP port 7772: allow incoming connections on that port, and if you sit behind a router, forward port 7772 to your computer.

Leaving

Everything runs through the host. When the host leaves or loses the connection, the game is over for everyone at the table. When any other player leaves, the computer takes over his seat and the game goes on.)";

const char kGamePlay[] = R"(The three kinds of games

Full Game: 20 rounds. The first round deals one card to each player, the next two, and so on up to eleven cards; then back down, ten, nine, and so on to two.

Half Game: 10 rounds, dealing one card each in the first round and one more every round, up to ten.

Vale Game: 23 rounds. It starts with all thirteen cards each, goes down by one card a round to two, and climbs back up from three to thirteen.

The deal passes on to the next player every round. The player after the dealer bids first and leads the first trick; the dealer always bids last.

Trump

In a Full or Half game the card turned up after the deal decides trump: its suit beats every other suit for that round.

In a Vale game no card is turned. When the bidding is over, the player with the highest bid chooses trump: one of the four suits, or no trump at all.

Bidding

When it is your turn to bid, enter the number of tricks you expect to take, from 0 up to the number of cards in your hand, and click "Set Bid". Everybody sees each bid and the running total.

In a Vale game the dealer has one extra rule: his bid may not make the total of all four bids equal to the number of cards dealt, so at least one player will miss his bid.

Playing the cards

When it is your turn, click a card in your hand to play it. You must follow the suit that was led if you hold a card of that suit; only when you have none may you play a trump or throw away any other card.

The highest trump in the trick takes it. If no trump was played, the highest card of the suit that was led takes it; a higher card of another suit never does. The winner of the trick leads the next one.

The "Last Trick" window shows the four cards of the trick just finished, and the score card shows every round so far.)";

const char kScoring[] = R"(Scoring

At the end of each round every player's tricks are counted against his bid.

Take exactly as many tricks as you bid and you score 10 points plus your bid. A bid of 3 made exactly is worth 13 points.

A bid of 0 made exactly (you took no tricks at all) is worth 5 points.

Take more or fewer tricks than you bid and you score nothing for that round. Scores never go down.

The score card shows each player's points round by round and the running total. After the last round the player with the highest total wins the game; players who tie on the highest total share the win.)";

const char kLobby[] = R"(The Zolvex Lobby

The Zolvex Lobby is a program from the makers of Quillet where players meet, chat and set up games together. It is the way to play Quillet with other people over the internet.

When a game is arranged there, the lobby starts Quillet for every player at the table with the right name and address, so you go straight to your seat.

Getting the lobby

When you start Quillet on its own, a window offers to download and install The Zolvex Lobby. Click "Download And Install The Zolvex Lobby Now"; the installer is fetched, started when the download is complete, and Quillet closes so the installation can go ahead. You can stop the download at any time with "Stop Download".

If the lobby is already installed, "Play with Others" in the same window closes the game and opens the lobby. "Play Solo Game" goes straight to a game against the computer.)";

const char kDocumentation[] = R"(The table

Your seat is always at the bottom, the other players sit to your left, across the table and to your right. Beside every name you see the player's score, the tricks taken this round and the bid; a bid shows dimmer until the player has made it. A red TURN tag shows whose turn it is, a pair of eyes marks a player who only watches, and a small stack of cards marks who took the last trick.

The cards of a trick lie in the middle, each in front of the player who played it. When the trick is decided, the winning card gets a gold frame and the trick goes to the player who took it.

At the top left the table shows the game, the round, the cards in each hand, the total of the bids and whose turn it is; at the bottom the status line tells what just happened. The turned-up trump card lies at the left, above "Trump Card", and "Over" or "Under" says how the bids compare with the cards dealt.

Playing a card

When it is your turn, click a card. Cards you may not play are shown dimmer (View menu, "Show Playable Cards"); if you try one all the same, the table says why, for example "You must follow suit.", and outlines the cards you may play. A right click on your hand sorts it again.

Playing from the keyboard

Everything can be done without the mouse. Left and Right move the selected card along your hand (Home and End jump to the ends); Enter or Space plays it. When you are asked for your bid, type the number and press Enter; Up and Down change it one at a time. When you choose trump in a Vale game, Left and Right move between the suits and Enter chooses.

Hints

When you must bid, choose trump or play, File, "Hint" (or H) shows what the Expert computer player would do from what you can see: the bid goes into the bid box, the trump suit or the card is outlined, and the card becomes your selected card. Nothing is sent until you confirm it as usual. When there is nothing to decide, H starts a chat line like any other letter.

Computer players

Options, "Computer Players" sets who plays the computer seats of a game you host: "Classic" plays by simple fixed rules, "Expert" thinks ahead over the cards it has not seen. The choice is kept and applies from the next decision on; the chat says who plays when a game starts.

Start typing anywhere on the table to write a chat line; Enter sends it and the keys go back to the table. Once you click into the chat box it keeps the keys until you press Esc.

Ctrl+N starts a new game (when you host), Ctrl+Q quits, F1 opens this help, Ctrl+P turns the sounds on and off and Ctrl+S stops the chat from scrolling. Alt and the underlined letter open the menus.

The window

The table grows with the window and keeps its shape; the cards are drawn sharp at every size. Before a running game is thrown away, by starting a new one or by closing the window, Quillet asks first.

The View menu opens the score card, the spy list of watchers, the tally of games won and the phrase buttons' editor. "Four-Colour Deck" draws clubs in green and diamonds in blue, so all four suits are told apart at a glance. The score card and the last-trick window open beside the table when there is room; drag them anywhere else and they keep that place.

Chat

Type a line and press Enter to chat; start a line with /me to say what you do. The buttons 1 to 9 above the chat send their phrases (change them with View, "Phrase List"); the note button plays a chatter sound to everybody, and the face button adds a smiley. Web addresses that start with http://, https:// or www. become links you can click.)";

// The licence's paragraphs, each as one line, so the page flows with the window.
QString reflowed(const QString &text)
{
    QStringList paragraphs;
    for (const QString &block : text.split(QStringLiteral("\n\n")))
        paragraphs << block.simplified();
    return paragraphs.join(QStringLiteral("\n\n"));
}

} // namespace

QString licenseText()
{
    return QStringLiteral(R"(MIT License

Copyright (c) 2026 The Quillet developers

Permission is hereby granted, free of charge, to any person obtaining a copy
of this software and associated documentation files (the "Software"), to deal
in the Software without restriction, including without limitation the rights
to use, copy, modify, merge, publish, distribute, sublicense, and/or sell
copies of the Software, and to permit persons to whom the Software is
furnished to do so, subject to the following conditions:

The above copyright notice and this permission notice shall be included in all
copies or substantial portions of the Software.

THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR
IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY,
FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE
AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER
LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM,
OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE
SOFTWARE.
)");
}

QString helpPageText(int tag)
{
    switch (tag) {
    case 1:
        return QString::fromUtf8(kOverview);
    case 2:
        return QString::fromUtf8(kConnecting);
    case 3:
        return QString::fromUtf8(kGamePlay);
    case 4:
        return QString::fromUtf8(kScoring);
    case 9:
        return QString::fromUtf8(kDocumentation);
    case 10:
        return reflowed(licenseText());
    case 11:
        return QString::fromUtf8(kLobby);
    default:
        return QString();
    }
}

} // namespace quillet
