#pragma once
// The user guide, an HTML file the build puts into the application folder.

namespace kavoro::app {

constexpr const char* kHelpFileName = "Help.html";

}  // namespace kavoro::app
