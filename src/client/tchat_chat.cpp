// The chat side of the table: the pane and the input box, phrase buttons,
// smileys, chatter sounds, and the game sounds.
#include "client/tchat.h"
#include "net/guard.h"
#include "protocol/cards.h"
#include "chat/chatinput.h"
#include "chat/chatlogic.h"
#include "chat/chatpane.h"
#include "chat/colortext.h"
#include "sound/soundplayer.h"
#include "client/tablelayout.h"
#include "ui/designgeometry.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

namespace quillet {

namespace {
const char *const kDesignPhrases[9] = {"Way To Go!", "Good One!", "Nice Try!", "Excellent!", "Brilliant!",
                                       "Wow, WTG!", "Thanks!", "Nice Play!", "/me waves"};
// The pause after a phrase button: about 1.6 s, what the old 101 timer ticks took.
constexpr int kPhrasePauseMs = 1600;
} // namespace

void Tchat::buildChatArea()
{
    chatArea_ = new QWidget(panel_main);
    chatArea_->setObjectName("panel_chat");
    design::place(chatArea_, layout::kChatArea);
    chatArea_->setAccessibleName("Chat");

    sounds_ = new SoundPlayer(this);
    connect(sounds_, &SoundPlayer::unavailable, this, [this] { systemLine(SoundPlayer::unavailableText()); });
    phraseTimer_ = new QTimer(this);
    phraseTimer_->setSingleShot(true);
    phraseTimer_->setInterval(kPhrasePauseMs);
    connect(phraseTimer_, &QTimer::timeout, this, [this] { phraseready = true; });

    // Ten small phrase buttons above the pane; the tenth opens the chatter sounds.
    for (int i = 1; i <= 10; ++i) {
        auto *b = new QToolButton(chatArea_);
        b->setObjectName(QStringLiteral("b_phrase%1").arg(i));
        design::place(b, QRect(2 + (i - 1) * 26 + (i - 1) / 5 * 6, 3, 24, 22));
        design::setFont(b, 12, false);
        b->setAutoRaise(false);
        b->setFocusPolicy(Qt::NoFocus);
        b->setCursor(Qt::PointingHandCursor);
        if (i <= 9) {
            b->setText(QString::number(i));
            b->setToolTip(kDesignPhrases[i - 1]);
            b->setAccessibleName(QStringLiteral("Phrase %1").arg(i));
            connect(b, &QToolButton::clicked, this, [this, i] { guarded([&] { b_phrase1Click(i); }); });
        } else {
            b->setText(QStringLiteral("\u266A"));
            b->setToolTip("Chatter Sounds");
            b->setAccessibleName("Chatter Sounds");
            connect(b, &QToolButton::clicked, this, [this, b] { popupOnScreen(popup_sounds, b); });
        }
        phraseButtons_[static_cast<std::size_t>(i)] = b;
    }

    chatpane_ = new ChatPane(chatArea_);
    design::place(chatpane_, QRect(2, 28, 266, 414));
    chatpane_->setAccessibleName("Chat");
    chatpane_->setSmileyProvider([this](int i) { return pictures::smiley(i, tableScale()); });
    chatpane_->setMessageShower([this](const QString &text) { messageBox(text); });
    mainchat = chatpane_;

    mychat_ = new ChatInput(chatArea_);
    design::place(mychat_, QRect(2, 446, 240, 24));
    design::setFont(mychat_, 13, false);
    mychat = mychat_;
    mychat_->setAccessibleName("Chat");
    mychat_->installEventFilter(this);
    connect(mychat_, &ChatInput::enterPressed, this, [this] { guarded([&] { sendit(); }); });
    connect(mychat_, &ChatInput::escapePressed, this, [this] { focusTable(); });
    // A line started by typing on the table gives the keys back once it is empty again.
    connect(mychat_, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (text.isEmpty() && holdsKeys(mychat_) && !chatClicked_)
            focusTable();
    });
    connect(chatpane_, &ChatPane::cleared, mychat_, [this] { mychat_->setFocus(); });

    button_smilies = new QToolButton(chatArea_);
    button_smilies->setObjectName("button_smilies");
    design::place(button_smilies, QRect(244, 446, 24, 24));
    button_smilies->setAccessibleName("Smileys");
    button_smilies->setIcon(QIcon(pictures::smiley(0)));
    button_smilies->setFocusPolicy(Qt::NoFocus);
    popup_smilies = new QMenu(this);
    popup_smilies->setObjectName("popup_smilies");
    for (int code = 10; code <= 27; ++code) {
        QAction *a = popup_smilies->addAction(QIcon(pictures::smiley(code - 10)), QStringLiteral(":)#%1").arg(code));
        connect(a, &QAction::triggered, this, [this, code] { mychat_->appendText(QStringLiteral(":)#%1").arg(code)); });
    }
    connect(button_smilies, &QToolButton::clicked, this, [this] { popupOnScreen(popup_smilies, button_smilies); });

    popup_sounds = new QMenu(this);
    popup_sounds->setObjectName("popup_sounds");
    for (int n = 0; n <= 20; ++n) {
        const QString caption = SoundPlayer::chatterCaption(n);
        QAction *a = popup_sounds->addAction(caption);
        a->setToolTip(caption);
        a->setData(n);
        a->setObjectName(n == 0 ? QStringLiteral("Cancel1") : QStringLiteral("wave%1").arg(n));
        connect(a, &QAction::triggered, this, [this, n] { guarded([&] { wave12Click(n); }); });
    }
}

void Tchat::addlinetochat(const QString &text, quint32 colour) { chatpane_->addlinetochat(text, colour); }

void Tchat::systemLine(const QString &text) { addlinetochat("0+" + text, kSystemLineColor); }

void Tchat::chatrecieved(const toTable::Chat &m)
{
    if (auto line = parseReceivedChat(m))
        addlinetochat(line->line, line->color);
}

QString Tchat::chatColourText() const { return colorToText(chatColour); }

void Tchat::sendit()
{
    if (const auto message = mychat_->sendit(model_.myseat(), model_.loggedin(), chatColourText()))
        send(*message);
}

void Tchat::b_phrase1Click(int button)
{
    if (!phraseready || button < 1 || button > 9)
        return;
    const QString phrase = phraseButtons_[static_cast<std::size_t>(button)]->toolTip();
    send(buildPhraseSend(model_.myseat(), phrase, chatColourText()));
    phraseready = false;
    phraseTimer_->start();
}

QString Tchat::phrase(int button) const
{
    return button >= 1 && button <= 9 ? phraseButtons_[static_cast<std::size_t>(button)]->toolTip() : QString();
}

void Tchat::setPhrase(int button, const QString &text)
{
    if (button >= 1 && button <= 9)
        phraseButtons_[static_cast<std::size_t>(button)]->setToolTip(text);
}

void Tchat::wave12Click(int n)
{
    if (n >= 1 && n <= 20 && model_.loggedin())
        send(buildSoundSend(model_.myseat(), n));
}

void Tchat::playsounds(const QString &name)
{
    lastSound = name;
    if (PlaySounds1->isChecked())
        sounds_->play(name);
}

void Tchat::playasound(const toTable::PlayASound &m)
{
    const QString sound = receivedSoundName(m);
    // Only the chatter sounds can be asked for by name from the network.
    if (!SoundPlayer::isChatterSound(sound))
        return;
    if (PlayChatterSounds1->isChecked()) {
        lastSound = sound;
        sounds_->play(sound);
        return;
    }
    if (!isSeat(m.seat))
        return; // a watcher's sound leaves no line
    for (QAction *a : popup_sounds->actions()) {
        if (a->objectName() == sound) {
            systemLine(seatName(m.seat) + ": <Chatter Sound> " + a->toolTip());
            return;
        }
    }
}

} // namespace quillet
