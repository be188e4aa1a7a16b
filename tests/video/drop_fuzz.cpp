// libFuzzer target: any bytes as the "text/uri-list" of a drop on the video window, turned into
// the paths the play list gets and each path into its play-list record; and the same bytes as a
// path straight into a record. Whatever the bytes: every path given is absolute, names a file
// (a record with a name), holds no zero byte and comes from a "file:" address of this machine;
// and any path split into folder and name joins back to the same path.
#include <QCoreApplication>
#include <QMimeData>
#include <QUrl>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Main.h"
#include "video/Video.h"

using namespace kavoro;

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "drop_fuzz: broken: %s\n", what);
  std::abort();
}

bool ThisMachine(const QUrl& url) {
  return url.isLocalFile() &&
         (url.host().isEmpty() || url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0);
}

// The record of a path names the path's last part and joins back to the path.
void CheckRecord(const std::string& path) {
  const app::TPlayListItem item = app::TPlayListItem::FromPath(path);
  Check(item.Playable, "a record of a path is playable");
  Check(item.FullPath() == path, "folder and name join back to the path");
  Check(item.FilePath.size() + item.FileName.size() == path.size(), "folder and name cover the path");
  Check(item.FileName.find_first_of("/\\") == std::string::npos, "a name holds no separator");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static int argc = 1;
  static char name[] = "drop_fuzz";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);

  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  CheckRecord(bytes.toStdString());

  QMimeData mime;
  mime.setData("text/uri-list", bytes);
  const std::vector<std::string> files = video::DroppedFiles(mime);
  // Each file is the path of one of the drop's "file:" addresses of this machine, in order.
  const QList<QUrl> urls = mime.urls();
  qsizetype next = 0;
  for (const std::string& file : files) {
    Check(!file.empty() && file.front() == '/', "a dropped file's path is absolute");
    Check(file.find('\0') == std::string::npos, "a dropped file's path holds no zero byte");
    CheckRecord(file);
    Check(!app::TPlayListItem::FromPath(file).FileName.empty(), "a dropped file has a name");
    while (next < urls.size() &&
           !(ThisMachine(urls[next]) && urls[next].path(QUrl::FullyDecoded).toStdString() == file))
      ++next;
    Check(next < urls.size(), "a dropped file comes from an address of this machine, in order");
    ++next;
  }
  return 0;
}
