#include "SkinPreview.h"

#include "app/Main.h"
#include "skin/SkinLoader.h"
#include "skin/TimeDisplay.h"
#include "video/Video.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace kavoro::skincheck {

namespace {

constexpr int kMargin = 24;             // around and between the two windows
const QColor kBackdrop(0x3A, 0x3D, 0x42);  // a desktop-like grey that shows the main window's shape

// The window as it shows on the screen: its picture, cut to its shape when it has one.
QImage Snapshot(QWidget& window) {
  const QPixmap picture = window.grab();
  QImage result(picture.size(), QImage::Format_ARGB32_Premultiplied);
  result.fill(Qt::transparent);
  QPainter painter(&result);
  if (!window.mask().isEmpty()) painter.setClipRegion(window.mask());
  painter.drawPixmap(0, 0, picture);
  return result;
}

}  // namespace

bool WriteSkinPreview(const skin::TSkinData& data, const std::string& path, std::string* error) {
  app::TFrm_Main main;
  video::TFrm_Video videoWindow;
  main.PlayName = kPreviewPlayName;
  skin::ApplySkin(main, videoWindow, data);
  // Windows that were never shown have not laid out their children.
  main.show();
  videoWindow.show();
  QApplication::processEvents();
  skin::ShowTime(main, kPreviewTime);
  skin::ShowPlayName(main, main.PlayName);
  QApplication::processEvents();

  const QImage mainPicture = Snapshot(main);
  const QImage videoPicture = Snapshot(videoWindow);
  const QSize size(kMargin * 3 + mainPicture.width() + videoPicture.width(),
                   kMargin * 2 + std::max(mainPicture.height(), videoPicture.height()));
  QImage preview(size, QImage::Format_RGB32);
  preview.fill(kBackdrop);
  QPainter painter(&preview);
  painter.drawImage(kMargin, kMargin, mainPicture);
  painter.drawImage(kMargin * 2 + mainPicture.width(), kMargin, videoPicture);
  painter.end();
  main.hide();
  videoWindow.hide();
  if (!preview.save(QString::fromStdString(path), "PNG")) {
    if (error) *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace kavoro::skincheck
