// kavoro-rcpack OUT TYPE:NAME=FILE [TYPE:NAME=FILE...]
// Writes a resource archive holding each FILE as resource NAME of type TYPE.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/os/ResourceArchive.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: kavoro-rcpack OUT TYPE:NAME=FILE...\n");
    return 1;
  }
  std::vector<kavoro::os::Resource> resources;
  for (int i = 2; i < argc; ++i) {
    const std::string item = argv[i];
    const auto colon = item.find(':');
    const auto equals = item.find('=');
    if (colon == std::string::npos || equals == std::string::npos || equals < colon) {
      std::fprintf(stderr, "kavoro-rcpack: bad item '%s' (want TYPE:NAME=FILE)\n", argv[i]);
      return 1;
    }
    kavoro::os::Resource r;
    r.type = item.substr(0, colon);
    r.name = item.substr(colon + 1, equals - colon - 1);
    std::ifstream in(item.substr(equals + 1), std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "kavoro-rcpack: cannot read %s\n", item.substr(equals + 1).c_str());
      return 1;
    }
    r.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    resources.push_back(std::move(r));
  }
  if (!kavoro::os::WriteResourceArchive(argv[1], resources)) {
    std::fprintf(stderr, "kavoro-rcpack: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
