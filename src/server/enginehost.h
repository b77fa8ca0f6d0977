// The narrow interface through which the game engine talks to the world.
// TServer implements it over sockets and QTimers; tests and quillet-sim
// implement it with no sockets and a manual clock.
#pragma once

#include "protocol/messages.h"

#include <string_view>

namespace quillet {

enum class EngineTimer { waitaminute, computertimer };

class EngineHost {
public:
    virtual ~EngineHost() = default;
    // One message to one slot, if that slot holds a connection.
    virtual void send(int slot, const ToTable &message) = 0;
    // One message to every slot that holds a connection, in slot order,
    // except `exceptSlot` (0: nobody is left out).
    virtual void broadcast(const ToTable &message, int exceptSlot) = 0;
    // A notice for the host's own screen ("Card does't exist", ...).
    virtual void hostNotice(std::string_view text) = 0;
    // Arms a single-shot timer, replacing any pending expiry of the same timer.
    // On expiry the host calls GameEngine::waitaminuteTimer() or
    // GameEngine::computertimerTimer().
    virtual void startTimer(EngineTimer timer, int intervalMs) = 0;
    virtual void stopTimer(EngineTimer timer) = 0;
};

} // namespace quillet
