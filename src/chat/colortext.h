// Colour text: how colours travel in chat lines and sit in the settings file.
// A colour value is 0x00BBGGRR (blue in the high byte, red in the low byte).
#pragma once

#include <QColor>
#include <QString>

namespace quillet {

// Status lines of every window are drawn in this colour (blue 128, green 64).
inline constexpr quint32 kSystemLineColor = 0x804000;
inline constexpr quint32 kBlack = 0x000000;
inline constexpr quint32 kWhite = 0xFFFFFF;

// A value with a basic colour name gives that name ("clRed"); any other
// value gives "$" and eight upper-case hexadecimal digits.
QString colorToText(quint32 value);

// Reads a colour name of the table in any letter case (the sixteen basic
// names and the system colour names, which take the current palette), "$"
// with one to eight hexadecimal digits, or a decimal number up to 2^32-1.
// Surrounding blanks are ignored. Returns false, leaving `value` alone, for
// anything else; the caller picks its own fallback.
bool colorFromText(const QString &text, quint32 &value);

// The high byte of a value carries no colour and is ignored here.
QColor toQColor(quint32 value);
quint32 fromQColor(const QColor &color);

} // namespace quillet
