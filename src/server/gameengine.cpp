// Placeholder bodies so the connection layer links before the engine lands.
#include "server/gameengine.h"

#include <chrono>

namespace quillet {

GameEngine::GameEngine(ServerState &state, EngineHost &host, Timings timings)
    : s_(state), host_(host), timings_(timings),
      rng_(static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()))
{
}

void GameEngine::seedRandom(std::uint64_t seed) { rng_.seed(seed); }
void GameEngine::startgame(std::string_view) {}
void GameEngine::hisbid(std::string_view) {}
void GameEngine::mychoose(std::string_view) {}
void GameEngine::playcard(std::string_view) {}
void GameEngine::waitaminuteTimer() {}
void GameEngine::computertimerTimer() {}
void GameEngine::lateLogin(int) {}
void GameEngine::seatLeft(int) {}
void GameEngine::watchStarted(int) {}
void GameEngine::startround() {}
bool GameEngine::checkforsuit(int) const { return false; }
void GameEngine::findplayer() {}
void GameEngine::finishtrick() {}
int GameEngine::thewinner() const { return 0; }
void GameEngine::tallyscore() {}
void GameEngine::endgame() {}
void GameEngine::cbid(int) {}
void GameEngine::ctrump(int) {}
void GameEngine::cplay(int) {}
void GameEngine::broadcast(const std::string &) {}

} // namespace quillet
