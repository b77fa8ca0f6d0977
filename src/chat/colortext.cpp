#include "chat/colortext.h"

#include <QGuiApplication>
#include <QPalette>

#include <array>

namespace quillet {
namespace {

struct NamedColor {
    const char *name;
    quint32 value;
};

constexpr std::array<NamedColor, 16> kBasicColors{{
    {"clBlack", 0x000000},  {"clMaroon", 0x000080}, {"clGreen", 0x008000},
    {"clOlive", 0x008080},  {"clNavy", 0x800000},   {"clPurple", 0x800080},
    {"clTeal", 0x808000},   {"clGray", 0x808080},   {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},    {"clLime", 0x00FF00},   {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},   {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
}};

struct SystemColor {
    const char *name;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The system colour names stand for whatever the desktop currently uses;
// each maps to the palette role that plays the same part.
constexpr std::array<SystemColor, 29> kSystemColors{{
    {"clScrollBar", QPalette::Active, QPalette::Button},
    {"clBackground", QPalette::Active, QPalette::Window},
    {"clActiveCaption", QPalette::Active, QPalette::Highlight},
    {"clInactiveCaption", QPalette::Inactive, QPalette::Mid},
    {"clMenu", QPalette::Active, QPalette::Window},
    {"clWindow", QPalette::Active, QPalette::Base},
    {"clWindowFrame", QPalette::Active, QPalette::Shadow},
    {"clMenuText", QPalette::Active, QPalette::WindowText},
    {"clWindowText", QPalette::Active, QPalette::Text},
    {"clCaptionText", QPalette::Active, QPalette::HighlightedText},
    {"clActiveBorder", QPalette::Active, QPalette::Button},
    {"clInactiveBorder", QPalette::Inactive, QPalette::Button},
    {"clAppWorkSpace", QPalette::Active, QPalette::Dark},
    {"clHighlight", QPalette::Active, QPalette::Highlight},
    {"clHighlightText", QPalette::Active, QPalette::HighlightedText},
    {"clBtnFace", QPalette::Active, QPalette::Button},
    {"clBtnShadow", QPalette::Active, QPalette::Dark},
    {"clGrayText", QPalette::Disabled, QPalette::Text},
    {"clBtnText", QPalette::Active, QPalette::ButtonText},
    {"clInactiveCaptionText", QPalette::Disabled, QPalette::WindowText},
    {"clBtnHighlight", QPalette::Active, QPalette::Light},
    {"cl3DDkShadow", QPalette::Active, QPalette::Shadow},
    {"cl3DLight", QPalette::Active, QPalette::Midlight},
    {"clInfoText", QPalette::Active, QPalette::ToolTipText},
    {"clInfoBk", QPalette::Active, QPalette::ToolTipBase},
    {"clHotLight", QPalette::Active, QPalette::Link},
    {"clGradientActiveCaption", QPalette::Active, QPalette::Highlight},
    {"clGradientInactiveCaption", QPalette::Inactive, QPalette::Mid},
    {"clMenuHighlight", QPalette::Active, QPalette::Highlight},
}};

bool readHex(QStringView digits, quint32 &value)
{
    if (digits.isEmpty() || digits.size() > 8)
        return false;
    quint32 v = 0;
    for (QChar c : digits) {
        const char16_t u = c.unicode();
        int d;
        if (u >= '0' && u <= '9')
            d = u - '0';
        else if (u >= 'a' && u <= 'f')
            d = u - 'a' + 10;
        else if (u >= 'A' && u <= 'F')
            d = u - 'A' + 10;
        else
            return false;
        v = (v << 4) | quint32(d);
    }
    value = v;
    return true;
}

bool readDecimal(QStringView digits, quint32 &value)
{
    if (digits.isEmpty() || digits.size() > 10)
        return false;
    quint64 v = 0;
    for (QChar c : digits) {
        const char16_t u = c.unicode();
        if (u < '0' || u > '9')
            return false;
        v = v * 10 + (u - '0');
    }
    if (v > 0xFFFFFFFFull)
        return false;
    value = quint32(v);
    return true;
}

} // namespace

QString colorToText(quint32 value)
{
    for (const NamedColor &c : kBasicColors)
        if (c.value == value)
            return QLatin1String(c.name);
    return QLatin1Char('$') + QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
}

bool colorFromText(const QString &text, quint32 &value)
{
    const QStringView t = QStringView(text).trimmed();
    if (t.isEmpty())
        return false;
    for (const NamedColor &c : kBasicColors) {
        if (t.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0) {
            value = c.value;
            return true;
        }
    }
    for (const SystemColor &c : kSystemColors) {
        if (t.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0) {
            if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
                return false; // no palette without a GUI application
            value = fromQColor(QGuiApplication::palette().color(c.group, c.role));
            return true;
        }
    }
    if (t.front() == QLatin1Char('$'))
        return readHex(t.mid(1), value);
    return readDecimal(t, value);
}

QColor toQColor(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

quint32 fromQColor(const QColor &color)
{
    const QColor c = color.toRgb();
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

} // namespace quillet
