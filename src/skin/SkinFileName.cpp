#include "skin/SkinFileName.h"

#include <QString>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace kavoro::skin {

namespace fs = std::filesystem;

namespace {

bool IsWanted(const fs::path& path, bool wantFolder) {
  std::error_code ec;
  return wantFolder ? fs::is_directory(path, ec) : fs::is_regular_file(path, ec);
}

std::vector<std::string> SplitParts(const std::string& name) {
  std::vector<std::string> parts;
  std::string part;
  for (const char c : name + '/') {
    if (c != '/' && c != '\\') {
      part += c;
      continue;
    }
    if (!part.empty() && part != ".") parts.push_back(part);
    part.clear();
  }
  return parts;
}

// The case-folded form, so that names differing only in case (any script) compare equal.
QString Folded(const std::string& text) { return QString::fromUtf8(text).toCaseFolded(); }

}  // namespace

TFoundFile FindSkinFile(const std::string& folder, const std::string& name) {
  TFoundFile found;
  const std::vector<std::string> parts = SplitParts(name);
  if (parts.empty()) return found;
  fs::path at(folder);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const bool last = i + 1 == parts.size();
    const std::string& part = parts[i];
    if (part == "..") {
      at = at / part;
      if (last || !IsWanted(at, true)) return found;
      continue;
    }
    if (IsWanted(at / part, !last)) {
      at = at / part;
      continue;
    }
    const QString wanted = Folded(part);
    std::vector<std::string> matches;
    std::error_code ec;
    for (fs::directory_iterator it(at, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string entry = it->path().filename().string();
      if (Folded(entry) == wanted && IsWanted(it->path(), !last)) matches.push_back(entry);
    }
    if (matches.empty()) return found;
    if (matches.size() > 1) {
      std::sort(matches.begin(), matches.end());
      found.Result = TFileLookup::flAmbiguous;
      found.Candidates = std::move(matches);
      return found;
    }
    at = at / matches.front();
  }
  found.Result = TFileLookup::flFound;
  found.Path = at.string();
  return found;
}

}  // namespace kavoro::skin
