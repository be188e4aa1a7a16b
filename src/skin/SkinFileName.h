#pragma once
// Finding a file that "Skin.ini" names. Skins are made on systems where letter case does not
// count, so a name is matched exactly first and then, part by part, without regard to case.
#include <string>
#include <vector>

namespace kavoro::skin {

enum class TFileLookup {
  flFound,      // Path names the file
  flMissing,    // no file of that name, in any letter case
  flAmbiguous,  // no exact match, and several names differ from it only in letter case
};

struct TFoundFile {
  TFileLookup Result = TFileLookup::flMissing;
  std::string Path;                     // the file found (flFound)
  std::vector<std::string> Candidates;  // the names that match equally well (flAmbiguous), sorted
};

// Finds the regular file `name` below `folder`. The name is taken as "Skin.ini" writes it: its
// parts may be separated by '\' or '/'; "." parts are skipped and ".." goes up. Each part is
// first looked up exactly; when that fails, the one entry of the folder whose name equals it
// without regard to letter case is taken. Several such entries are never guessed between:
// the result is flAmbiguous, with their names, and the caller treats it as a missing file.
// Folder parts match folders only and the last part regular files only (a link counts as
// what it points to). An empty name is missing. Any thread; reads the file system afresh.
TFoundFile FindSkinFile(const std::string& folder, const std::string& name);

}  // namespace kavoro::skin
