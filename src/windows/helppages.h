// The text of the help window's pages.
#pragma once

#include <QString>

namespace quillet {

// Page "memo" + tag: 1 Overview, 2 Connecting, 3 Game Play, 4 Scoring,
// 9 Documentation (the table, keyboard and options), 10 License (its paragraphs
// as single lines, to flow with the window), 11 The Lobby; empty for other tags.
QString helpPageText(int tag);

// The program's licence, the same text as LICENSE at the top of the sources.
QString licenseText();

} // namespace quillet
