#include "app/quilletapp.h"

int main(int argc, char **argv) { return quillet::runQuillet(argc, argv); }
