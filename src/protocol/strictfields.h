// The stricter reading the server applies to client messages: every field
// before the last one must be followed by its '+'. Without it the field reads
// as empty, which is not a number, and the message is dropped whole (so
// "CMD_botspeed+1+500" without its trailing '+' changes nothing).
#pragma once

#include "protocol/message.h"

#include <string_view>

namespace quillet {

inline bool nextField(FieldReader &r, std::string_view &out)
{
    if (r.rest().find('+') == std::string_view::npos)
        return false;
    out = r.next();
    return true;
}

inline bool nextNumber(FieldReader &r, int &out)
{
    std::string_view field;
    return nextField(r, field) && parseNumber(field, out);
}

} // namespace quillet
