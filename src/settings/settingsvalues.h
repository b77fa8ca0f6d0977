#pragma once

#include <QString>

class ProfileFile;

// The section of the settings file that holds this program's keys.
inline constexpr char settingsSection[] = "Quillet";

// The table's options as stored in the settings file. Members start at the
// values a missing file gives.
struct QuilletSettings {
    int top = 3;
    int left = 3;
    int width = 790;
    int height = 520;
    bool turnSoundNew = false;       // "Turnsound" "1"
    bool chatterSounds = true;       // "ChatterSounds" anything but "false"
    int textSize = 8;                // "Textsize", 6..72
    QString textColor = QStringLiteral("clblack");   // colour text, read as stored
    QString phrases[9];              // "Phrase1".."Phrase9"; empty leaves the button's phrase
    bool scOnTop = false;            // "Scontop"
    bool ltOnTop = false;            // "Ltontop"
    bool showScorecard = false;      // "Showscorecard"
    int botSpeed = 750;              // "Botspeed": 1000, 500 or 750
    bool playSounds = true;          // "Playsounds" anything but "false"
    int scTop = 3;
    int scLeft = 3;
    int ltTop = 3;
    int ltLeft = 3;
    bool showPlayable = true;        // "Showplayable" anything but "false"
    bool fourColour = false;         // "Fourcolour" "true"
    bool expertComputers = false;    // "Computerplayers" "Expert"; anything else is Classic
};

inline constexpr int defaultTextSize = 8;
inline constexpr int minTextSize = 6;
inline constexpr int maxTextSize = 72;

// Reads every key of the section with its default and rule. Text values are
// compared exactly: "False" is not "false". A text size outside 6..72 gives
// the default, so the chat stays readable.
QuilletSettings readSettings(const ProfileFile &file);
// Writes every key except the phrases, in the table's order: "Textsize",
// "Textcolor", "Botspeed", "Top", "Left", "Width", "Height", "Turnsound",
// "ChatterSounds", "Showscorecard", "Scontop", "Ltontop", "Playsounds",
// "scTop", "scLeft", "ltTop", "ltLeft", "Showplayable", "Fourcolour",
// then "Computerplayers".
void writeSettings(ProfileFile &file, const QuilletSettings &settings);
// Writes "Phrase1".."Phrase9" (the phrase editor's keys).
void writePhrases(ProfileFile &file, const QString phrases[9]);
