#include "platform/os/CommandLine.h"

namespace kavoro::os {

std::vector<std::string> SplitCommandLine(std::string_view s) {
  std::vector<std::string> args;
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (true) {
    while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n) {
      char c = s[i];
      if (!quoted && (c == ' ' || c == '\t')) break;
      if (c == '\\') {
        std::size_t slashes = 0;
        while (i < n && s[i] == '\\') ++slashes, ++i;
        if (i < n && s[i] == '"') {
          // 2k backslashes + quote: k backslashes and a quote toggle;
          // 2k+1 backslashes + quote: k backslashes and a literal quote.
          arg.append(slashes / 2, '\\');
          if (slashes % 2) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(slashes, '\\');
        }
        continue;
      }
      if (c == '"') {
        if (quoted && i + 1 < n && s[i + 1] == '"') {
          arg += '"';
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      arg += c;
      ++i;
    }
    args.push_back(std::move(arg));
  }
  return args;
}

std::string QuoteArgument(std::string_view a) {
  if (!a.empty() && a.find_first_of(" \t\"") == std::string_view::npos) return std::string(a);
  std::string out = "\"";
  std::size_t slashes = 0;
  for (char c : a) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    if (c == '"') out.append(slashes * 2 + 1, '\\');
    else out.append(slashes, '\\');
    slashes = 0;
    out += c;
  }
  out.append(slashes * 2, '\\');
  out += '"';
  return out;
}

}  // namespace kavoro::os
