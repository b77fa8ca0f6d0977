// Small helpers for the table's labels.
#pragma once

#include "client/tablelayout.h"

#include <QColor>
#include <QLabel>
#include <QPalette>

namespace quillet {

inline void setTextColour(QLabel *label, const QColor &colour)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

// Bid labels are drawn dimmer until the seat has bid in the round.
inline const QColor kNotYetBid = layout::kFeltNotYetBid;

} // namespace quillet
