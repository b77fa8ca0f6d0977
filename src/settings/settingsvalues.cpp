#include "settings/settingsvalues.h"

#include "settings/profile.h"

namespace {

const QString section = QString::fromLatin1(settingsSection);

QString text(const ProfileFile &file, const char *key, const char *defaultValue)
{
    return file.readString(section, QString::fromLatin1(key), QString::fromLatin1(defaultValue));
}

int integer(const ProfileFile &file, const char *key, int defaultValue)
{
    return file.readInteger(section, QString::fromLatin1(key), defaultValue);
}

void put(ProfileFile &file, const char *key, const QString &value)
{
    file.writeString(section, QString::fromLatin1(key), value);
}

QString trueFalse(bool on)
{
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

QuilletSettings readSettings(const ProfileFile &file)
{
    QuilletSettings s;
    s.top = integer(file, "Top", 3);
    s.left = integer(file, "Left", 3);
    s.width = integer(file, "Width", 790);
    s.height = integer(file, "Height", 520);
    s.turnSoundNew = text(file, "Turnsound", "0") == QLatin1String("1");
    s.chatterSounds = text(file, "ChatterSounds", "true") != QLatin1String("false");
    s.textSize = integer(file, "Textsize", defaultTextSize);
    if (s.textSize < minTextSize || s.textSize > maxTextSize)
        s.textSize = defaultTextSize;
    s.textColor = text(file, "Textcolor", "clblack");
    for (int i = 0; i < 9; ++i)
        s.phrases[i] = file.readString(section, QStringLiteral("Phrase%1").arg(i + 1));
    s.scOnTop = text(file, "Scontop", "false") == QLatin1String("true");
    s.ltOnTop = text(file, "Ltontop", "false") == QLatin1String("true");
    s.showScorecard = text(file, "Showscorecard", "false") == QLatin1String("true");
    const QString speed = text(file, "Botspeed", "750");
    s.botSpeed = speed == QLatin1String("1000") ? 1000 : speed == QLatin1String("500") ? 500 : 750;
    s.playSounds = text(file, "Playsounds", "true") != QLatin1String("false");
    s.scTop = integer(file, "scTop", 3);
    s.scLeft = integer(file, "scLeft", 3);
    s.ltTop = integer(file, "ltTop", 3);
    s.ltLeft = integer(file, "ltLeft", 3);
    s.showPlayable = text(file, "Showplayable", "true") != QLatin1String("false");
    s.fourColour = text(file, "Fourcolour", "false") == QLatin1String("true");
    s.expertComputers = text(file, "Computerplayers", "Classic") == QLatin1String("Expert");
    return s;
}

void writeSettings(ProfileFile &file, const QuilletSettings &s)
{
    put(file, "Textsize", QString::number(s.textSize));
    put(file, "Textcolor", s.textColor);
    put(file, "Botspeed", QString::number(s.botSpeed));
    put(file, "Top", QString::number(s.top));
    put(file, "Left", QString::number(s.left));
    put(file, "Width", QString::number(s.width));
    put(file, "Height", QString::number(s.height));
    put(file, "Turnsound", s.turnSoundNew ? QStringLiteral("1") : QStringLiteral("0"));
    put(file, "ChatterSounds", trueFalse(s.chatterSounds));
    put(file, "Showscorecard", trueFalse(s.showScorecard));
    put(file, "Scontop", trueFalse(s.scOnTop));
    put(file, "Ltontop", trueFalse(s.ltOnTop));
    put(file, "Playsounds", trueFalse(s.playSounds));
    put(file, "scTop", QString::number(s.scTop));
    put(file, "scLeft", QString::number(s.scLeft));
    put(file, "ltTop", QString::number(s.ltTop));
    put(file, "ltLeft", QString::number(s.ltLeft));
    put(file, "Showplayable", trueFalse(s.showPlayable));
    put(file, "Fourcolour", trueFalse(s.fourColour));
    put(file, "Computerplayers", s.expertComputers ? QStringLiteral("Expert") : QStringLiteral("Classic"));
}

void writePhrases(ProfileFile &file, const QString phrases[9])
{
    for (int i = 0; i < 9; ++i)
        file.writeString(section, QStringLiteral("Phrase%1").arg(i + 1), phrases[i]);
}
