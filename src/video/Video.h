#pragma once
// The video window: a borderless, skinned top-level window framed by eight pictures around a
// ninth. Inside the frame it shows the idle picture, the video (the video control on the video
// panel) or the play list. It is dragged by its top pictures, resized by its edges and corners,
// takes files dropped on it for the play list, and lets the pointer choose DVD menu buttons.
// The skin loader fills the pictures and sizes the pieces; the main window fills the seams
// (what a drop adds, what the play list plays, its graph, its menus). Nothing here reads a skin.
// GUI thread only.
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMimeData;

#include "controls/VeskoImagePanel.h"
#include "media/FilterGraph.h"
#include "platform/os/WindowClasses.h"
#include "video/DSVideoWindowEx2.h"


namespace kavoro::video {

constexpr const char* kVideoWindowClass = "KAVORO_VideoClass";
constexpr const char* kVideoWindowCaption = "Video";
constexpr int kVideoFormMinSize = 50;
constexpr int kVideoFormInitialWidth = 583;
constexpr int kVideoFormInitialHeight = 434;
// The top border and the play-list title row are this high in the form.
constexpr int kTopRowHeight = 41;
constexpr int kPlayListItemHeight = 14;
// Width of the resizing border on every side, and of the bottom-right grip.
constexpr int kResizeBorder = 5;
constexpr int kResizeGrip = 10;

// The answers of the frame's hit test (the platform's non-client codes).
enum class THitZone : int {
  htInherited = 0,  // not a resizing zone: what lies there handles the pointer
  htLeft = 10,
  htRight = 11,
  htTop = 12,
  htTopLeft = 13,
  htTopRight = 14,
  htBottom = 15,
  htBottomLeft = 16,
  htBottomRight = 17,
};
using enum THitZone;

// The zone a point (client coordinates) of a form `width` x `height` lies in; the first match
// of: corners top-left, top-right, the bottom-right grip, bottom-left, then the four edges.
THitZone HitTestZone(int x, int y, int width, int height);
// The edges a zone resizes (none for htInherited), and the cursor shown over it.
Qt::Edges EdgesOfZone(THitZone zone);
Qt::CursorShape CursorOfZone(THitZone zone);

// The files of this machine a drop carries ("text/uri-list"), as paths, in the drop's order.
// Left out: addresses that are not "file:" ones, files on another host ("file://host/..."; an
// empty host or "localhost" is this machine), paths that are not absolute, that end in a
// separator (a folder: no file name for the play list) or that hold a zero byte. Any thread;
// the caller keeps the data.
std::vector<std::string> DroppedFiles(const QMimeData& data);

class TFrm_Video : public QWidget {
  Q_OBJECT
 public:
  explicit TFrm_Video(QWidget* parent = nullptr);
  ~TFrm_Video() override;

  // ---- Controls, in creation order (the skin loader and the main window set them).
  controls::TVeskoImagePanel* Image_Left;
  controls::TVeskoImagePanel* Image_Right;
  controls::TVeskoImagePanel* Image_Top_Center;
  controls::TVeskoImagePanel* Image_Top_Left;
  controls::TVeskoImagePanel* Image_Top_Right;
  controls::TVeskoImagePanel* Image_Bottom_Center;
  controls::TVeskoImagePanel* Image_Bottom_Left;
  controls::TVeskoImagePanel* Image_Bottom_Right;
  controls::TVeskoImagePanel* Image_Main;
  QWidget* VideoPanel;
  TDSVideoWindowEx2* VideoWindowEx;
  QWidget* PlayListPanel;
  controls::TVeskoImagePanel* Image_PlayListBoxTitle;
  QListWidget* PlayListBox;

  // ---- Seams the main window fills.
  // Adds one dropped file to the play list (nothing is played).
  std::function<void(const std::string& path)> OnAddToPlayList;
  // Plays the play list's selected line.
  std::function<void()> OnPlaySelected;
  // The main window: brought back by a double click on the video in full screen.
  QPointer<QWidget> MainWindow;
  // The main window's graph, for the DVD menu buttons under the pointer.
  TFilterGraph* FilterGraph = nullptr;
  // The menus opened by a right click on the idle picture and on the play list.
  void SetVideoMenu(QMenu* menu);
  void SetPlayListMenu(QMenu* menu);

  // Lays the pieces out for the form's size (also after the skin changed their sizes).
  void FormResize();

  // ---- Handlers.
  void VideoWindowExDblClick();
  void VideoWindowExMouseMove(int x, int y);
  void VideoWindowExMouseUp(int x, int y);
  void PlayListBoxDblClick();
  // Starts a move of the window with the pointer (any button on the three top pictures).
  void Image_Top_CenterMouseDown(const QPoint& globalPos);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The frame's pointer handling (hit test zones, moves and resizes) for a pointer event seen
  // by the form or any child; true when consumed.
  bool FramePointer(QWidget* target, QMouseEvent* event);
  void WatchChildren(QWidget* w);
  void MakeDefaultFrame();
  // The list fills the play-list panel under its title row.
  void LayOutPlayList();
  bool DvdControlActive() const;

  QPointer<QMenu> FVideoMenu;
  QPointer<QMenu> FPlayListMenu;
  std::unique_ptr<os::IClassClaim> FClassClaim;
  // A move or resize carried out by hand where the window system will not.
  enum class TDrag { dgNone, dgMove, dgResize } FDrag = TDrag::dgNone;
  Qt::Edges FDragEdges;
  QPoint FDragStart;
  QRect FDragGeometry;
};

}  // namespace kavoro::video
