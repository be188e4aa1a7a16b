// kavoro: the player.
#include "app/ProgramEntry.h"

int main(int argc, char** argv) { return kavoro::app::RunPlayer(argc, argv); }
