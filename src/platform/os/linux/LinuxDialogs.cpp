#include "platform/os/linux/LinuxDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <cstdio>

namespace kavoro::os::linuxos {
namespace {

bool HaveWidgets() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

QString Filters(const FileDialogOptions& o, QString* selected) {
  QStringList list;
  for (const FileFilter& f : o.filters) {
    QStringList patterns;
    for (const auto& p : f.patterns) patterns << QString::fromStdString(p);
    // A description that already shows its patterns ("Video File (*.VOB; *.AVI)") keeps its
    // name; the dialog needs the patterns themselves, space-separated, in the last brackets.
    QString name = QString::fromStdString(f.description).trimmed();
    if (name.endsWith(')') && name.contains('(')) name = name.left(name.lastIndexOf('(')).trimmed();
    list << name + " (" + patterns.join(' ') + ")";
  }
  if (o.filterIndex >= 1 && o.filterIndex <= list.size()) *selected = list[o.filterIndex - 1];
  return list.join(";;");
}

QString StartPath(const FileDialogOptions& o) {
  QString dir = QString::fromStdString(o.initialDir);
  QString name = QString::fromStdString(o.fileName);
  if (dir.isEmpty()) return name;
  return name.isEmpty() ? dir : dir + "/" + name;
}

// Title, start folder, file name and filters, common to both kinds of file dialog.
void SetUp(QFileDialog& dlg, const FileDialogOptions& o) {
  dlg.setWindowTitle(QString::fromStdString(o.title));
  const QString start = StartPath(o);
  if (!start.isEmpty()) dlg.selectFile(start);
  if (!o.initialDir.empty()) dlg.setDirectory(QString::fromStdString(o.initialDir));
  QString selected;
  const QString filters = Filters(o, &selected);
  if (!filters.isEmpty()) dlg.setNameFilter(filters);
  if (!selected.isEmpty()) dlg.selectNameFilter(selected);
}

}  // namespace

int LinuxDialogs::MessageBox(const std::string& text, const std::string& caption, std::uint32_t flags) {
  // Message texts use carriage returns as line breaks.
  QString body = QString::fromStdString(text);
  body.replace("\r\n", "\n").replace('\r', '\n');
  // Every message also goes to standard error, on one line: the session's log then tells what
  // the user was shown, and a script driving the player can read it.
  QString line = body;
  line.replace('\n', QStringLiteral(" / "));
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), line.toStdString().c_str());
  std::fflush(stderr);
  if (!HaveWidgets()) return IDOK;
  QMessageBox box;
  box.setWindowTitle(QString::fromStdString(caption));
  box.setText(body);
  switch (flags & kMbIconMask) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  switch (flags & kMbButtonsMask) {
    case MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
  }
  switch (box.exec()) {
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDOK;
  }
}

std::optional<std::vector<std::string>> LinuxDialogs::OpenFiles(const FileDialogOptions& o) {
  if (!HaveWidgets()) return std::nullopt;
  QFileDialog dlg;
  SetUp(dlg, o);
  // Without a title of the caller's, the standard ones.
  if (o.title.empty()) dlg.setWindowTitle(QStringLiteral("Open"));
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  dlg.setFileMode(o.allowMultiSelect ? QFileDialog::ExistingFiles
                                     : (o.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile));
  if (dlg.exec() != QDialog::Accepted) return std::nullopt;
  std::vector<std::string> files;
  for (const QString& f : dlg.selectedFiles()) files.push_back(f.toStdString());
  if (files.empty()) return std::nullopt;
  return files;
}

std::optional<std::string> LinuxDialogs::SaveFile(const FileDialogOptions& o) {
  if (!HaveWidgets()) return std::nullopt;
  QFileDialog dlg;
  SetUp(dlg, o);
  if (o.title.empty()) dlg.setWindowTitle(QStringLiteral("Save As"));
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setFileMode(QFileDialog::AnyFile);
  if (!o.defaultExt.empty()) dlg.setDefaultSuffix(QString::fromStdString(o.defaultExt));
  if (!o.overwritePrompt) dlg.setOption(QFileDialog::DontConfirmOverwrite);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
  return dlg.selectedFiles().front().toStdString();
}

}  // namespace kavoro::os::linuxos
