#pragma once
// kavoro-bench --realtime --fullscreen WxH FILE: the player's way of showing video, measured.
#include <string>

namespace kavoro::bench {

// Plays FILE at normal speed through the graph component and the player's video control, the
// control shown full screen on a screen of `width` x `height` (the X display should be that
// size), the picture keyed into it as in the player. Prints
// "frames=N dropped=N wall=SECONDS cpu=SECONDS". Returns the process exit code.
int RunVideoBench(int argc, char** argv, const std::string& file, int width, int height);

}  // namespace kavoro::bench
