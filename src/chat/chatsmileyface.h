// A stand-in smiley picture for the chat pane until the picture list is
// wired in: a small face that differs by picture number.
#pragma once

#include <QPixmap>

namespace quillet {

QPixmap drawChatSmileyFace(int picture, qreal devicePixelRatio);

} // namespace quillet
