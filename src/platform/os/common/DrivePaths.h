#pragma once
// Drive paths as both drive backends read them: "e:\Video_TS\x.ifo" is letter 'E' with the
// parts "Video_TS" and "x.ifo". Names on a drive are matched the way the program expects
// from its home platform: without regard to (ASCII) case, an exact match winning.
// Pure functions: any thread.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os/Drives.h"

namespace kavoro::os {

struct DrivePath {
  char letter = 0;                 // 'A' to 'Z'
  std::vector<std::string> parts;  // below the root; never empty, ".", ".." or holding a separator

  bool IsRoot() const { return parts.empty(); }
  // The parts joined with '/', no leading '/'.
  std::string Relative() const;
};

// nullopt unless IsDrivePath(path). Empty parts and "." are dropped and ".." steps up
// (never above the root), so no drive path reaches outside its drive.
std::optional<DrivePath> ParseDrivePath(std::string_view path);

// ASCII letters compared without regard to case; other bytes exactly.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// The index of the candidate that `name` stands for: an exact match, else the candidate
// equal to it without regard to case (the smallest such, by byte order, so the answer does
// not depend on the order of `candidates`); nullopt when none matches.
std::optional<std::size_t> MatchName(std::string_view name,
                                     const std::vector<std::string>& candidates);

// `parts` joined with '/', no leading '/'.
std::string JoinParts(const std::vector<std::string>& parts);

// A listing as IDrives::ListFolder returns it: entries with the hidden, system or
// volume-label attribute dropped unless `includeHidden`, sorted by name without regard to
// case (ties by byte order), so both backends list in the same order.
std::vector<DirEntry> FinishListing(std::vector<DirEntry> entries, bool includeHidden);

}  // namespace kavoro::os
