#pragma once

#include "controls/ControlTypes.h"
#include "controls/Picture.h"

#include <QColor>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace kavoro::controls {

// How a panel draws its picture.
enum class TVeskoDrawStyle { VeskoNormal, VeskoStretch, VeskoTile };

// A picture panel: draws its picture once, stretched or tiled, an optional one-line caption
// over it and, when Transparent, the parent's image wherever it draws nothing. It paints
// through one off-screen work bitmap per paint and never erases its background separately.
// Its properties are published by TVeskoImagePanel. All members: GUI thread only.
class TVeskoCustomPanel : public QWidget {
  Q_OBJECT
 public:
  explicit TVeskoCustomPanel(QWidget* parent = nullptr);
  ~TVeskoCustomPanel() override;

  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;

 protected:
  // The picture object; any change of its graphic runs PictureChanged.
  TPicture& Picture() { return FPicture; }
  // Copies the picture into the picture object, then PaintBackground and a repaint.
  void SetPicture(const QImage& picture);

  TVeskoDrawStyle DrawStyle() const { return FDrawStyle; }
  // Stores the style, PaintBackground, repaints.
  void SetDrawStyle(TVeskoDrawStyle value);

  bool Transparent() const { return FTransparent; }
  // Stores the flag; with a picture, SyncTransparency; repaints.
  virtual void SetTransparent(bool value);

  bool AutoSize() const { return FAutoSize; }
  // Stores the flag; with a picture, SizeToPicture.
  void SetAutoSize(bool value);

  TAlignment Alignment() const { return FAlignment; }
  // Stores the caption's horizontal placement, repaints.
  void SetAlignment(TAlignment value);

  QString Caption() const { return FCaption; }
  // Stores the caption, TextChanged, repaints.
  void SetCaption(const QString& value);

  QColor Color() const { return FColor; }
  // Stores the colour drawn where neither the picture nor the parent shows, repaints.
  void SetColor(const QColor& value);

  TAlign Align() const { return FAlign; }
  // Docks the panel to an edge, or the whole, of its parent's client area and keeps it there
  // as the parent resizes. Each aligned panel docks on its own; several panels docked to the
  // same edge overlap rather than stack.
  void SetAlign(TAlign value);

  // Brings the background up to date: every paint fills its work bitmap from Color first, so
  // this asks for a paint.
  virtual void PaintBackground();
  virtual void TextChanged() {}
  // With a graphic: SizeToPicture when AutoSize is on, then SyncTransparency. Then
  // PaintBackground and a repaint.
  virtual void PictureChanged();

  // Width (unless docked to top, bottom or the whole) and Height (unless docked to left, right
  // or the whole) from the picture; only when AutoSize is on.
  void SizeToPicture();
  // Gives the graphic's transparency flag the value of Transparent.
  void SyncTransparency();

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void DrawPictureByStyle(QPainter& canvas);
  void ApplyAlign();
  void WatchParent();

  TPicture FPicture;
  TVeskoDrawStyle FDrawStyle = TVeskoDrawStyle::VeskoNormal;
  bool FTransparent = false;
  bool FAutoSize = false;
  TAlignment FAlignment = TAlignment::taCenter;
  QString FCaption;
  QColor FColor;
  TAlign FAlign = TAlign::alNone;
  QPointer<QWidget> FWatchedParent;
  bool FClickPending = false;
};

}  // namespace kavoro::controls
