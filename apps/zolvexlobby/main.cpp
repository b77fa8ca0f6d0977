#include "lobby/lobbyapp.h"

int main(int argc, char **argv) { return quillet::lobby::runLobby(argc, argv); }
