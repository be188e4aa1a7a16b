#include "controls/Picture.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace kavoro::controls {

namespace {
constexpr const char* kBitmapFormat = "BMP";
}

bool LoadBitmapFile(const std::string& path, QImage* image, std::string* error) {
  auto fail = [error](std::string why) {
    if (error) *error = std::move(why);
    return false;
  };
  const QString name = QString::fromStdString(path);
  const QFileInfo info(name);
  if (!info.exists()) return fail("the file does not exist");
  if (!info.isFile()) return fail("not a regular file");
  // The format is forced and never guessed from the content, so a picture of another kind
  // that carries a .bmp name fails here rather than being accepted.
  QImageReader reader(name, kBitmapFormat);
  reader.setAutoDetectImageFormat(false);
  reader.setDecideFormatFromContent(false);
  QImage read;
  if (!reader.read(&read) || read.isNull())
    return fail("not a readable Windows bitmap (" + reader.errorString().toStdString() + ")");
  *image = std::move(read);
  return true;
}

bool TPicture::LoadFromFile(const std::string& path, std::string* error) {
  QImage read;
  if (!LoadBitmapFile(path, &read, error)) return false;
  Assign(read);
  return true;
}

void TPicture::Assign(const QImage& image) {
  FGraphic = image;
  PrepareKeyed();
  if (OnChange) OnChange();
}

void TPicture::SetTransparent(bool value) {
  if (FTransparent == value) return;
  FTransparent = value;
  PrepareKeyed();
  if (OnChange) OnChange();
}

void TPicture::PrepareKeyed() {
  FKeyed = QImage();
  if (!FTransparent || FGraphic.isNull()) return;
  FKeyed = FGraphic.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = FKeyed.pixel(0, FKeyed.height() - 1) & RGB_MASK;
  for (int y = 0; y < FKeyed.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(FKeyed.scanLine(y));
    for (int x = 0; x < FKeyed.width(); ++x) {
      if ((line[x] & RGB_MASK) == key) line[x] = 0;
    }
  }
}

void TPicture::Draw(QPainter& painter, QPoint at) const {
  if (FGraphic.isNull()) return;
  painter.drawImage(at, Drawable());
}

void TPicture::StretchDraw(QPainter& painter, const QRect& target) const {
  if (FGraphic.isNull()) return;
  painter.drawImage(target, Drawable());
}

}  // namespace kavoro::controls
