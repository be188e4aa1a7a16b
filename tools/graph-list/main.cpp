// Lists the filter graphs that running players of this user have registered for inspection
// (the GraphEdit property of the graph component): one line per graph with its process, its
// display name and its description; nothing when none is registered.
#include <cstdio>

#include "platform/os/Platform.h"

int main(int argc, char** argv) {
  if (argc > 1) {
    std::fprintf(stderr, "usage: %s\nLists the registered filter graphs of this user.\n", argv[0]);
    return 2;
  }
  auto entries = kavoro::os::Os().RunningObjectTable().List();
  for (const auto& e : entries) {
    std::printf("%u\t%s\t%s\n", e.process, e.name.c_str(), e.description.c_str());
  }
  return 0;
}
