#pragma once
// A small complete skin written into a temporary folder, which a test then damages: every
// picture a Windows bitmap saved by Qt, "Skin.ini" written from an editable list of sections.
#include <QColor>
#include <QSize>
#include <QTemporaryDir>

#include <string>
#include <utility>
#include <vector>

namespace kavoro::skin::test {

class TSkinFolder {
 public:
  // Writes the whole skin.
  TSkinFolder();
  // A copy of the skin folder `folder` (its files, and the entries of its "Skin.ini" as
  // written, so Set and Unset change them).
  explicit TSkinFolder(const std::string& folder);

  // The skin folder, without a trailing separator.
  std::string Folder() const;
  // The full path of a file in the skin folder.
  std::string PathOf(const std::string& name) const;

  // Sets a key (replacing its first entry, or adding it to the section, or the section) and
  // writes "Skin.ini" again.
  void Set(const std::string& section, const std::string& key, const std::string& value);
  // Removes a key's entries and writes "Skin.ini" again.
  void Unset(const std::string& section, const std::string& key);
  // Writes a bitmap of one colour.
  void WritePicture(const std::string& name, QSize size, QColor color = Qt::gray) const;
  // Writes arbitrary bytes as a file.
  void WriteFile(const std::string& name, const std::string& bytes) const;
  void Remove(const std::string& name) const;
  void Rename(const std::string& from, const std::string& to) const;

  // The sizes the pictures are written with, so tests can tell them apart.
  static constexpr QSize kMainSize{120, 80};
  static constexpr QSize kSheetSize{98, 123};
  static constexpr QSize kDigitStripSize{80, 8};
  static constexpr QSize kPanelSize{60, 12};
  static constexpr QSize kVideoMainSize{32, 24};
  static constexpr QSize kTitleSize{40, 7};

 private:
  void WriteIni() const;

  QTemporaryDir FDir;
  using TEntries = std::vector<std::pair<std::string, std::string>>;
  std::vector<std::pair<std::string, TEntries>> FSections;
};

}  // namespace kavoro::skin::test
