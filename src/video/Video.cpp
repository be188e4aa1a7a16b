#include "video/Video.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLinearGradient>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <QWindow>

#include "platform/media/MediaErrors.h"
#include "platform/media/dvd/IDvdControl2.h"
#include "platform/media/dvd/IDvdInfo2.h"
#include "platform/os/Platform.h"

namespace kavoro::video {
namespace {

using controls::TAlign;
using controls::TVeskoDrawStyle;
using controls::TVeskoImagePanel;

// The frame drawn until a skin gives its own pictures: a dark title row and thin borders.
constexpr int kDefaultBorder = 6;
constexpr int kDefaultCorner = 12;
const QColor kFrameTop(0x34, 0x3b, 0x4d);
const QColor kFrameBottom(0x1d, 0x21, 0x2b);
const QColor kFrameEdge(0x10, 0x12, 0x18);
const QColor kFrameHighlight(0x55, 0x60, 0x7a);
const QColor kIdleTop(0x1a, 0x1e, 0x28);
const QColor kIdleBottom(0x07, 0x08, 0x0c);

// The host name of this machine in a "file:" address.
const QLatin1String kLocalHost("localhost");
constexpr char kPathSeparator = '/';
constexpr char kOtherPathSeparator = '\\';

QImage FramePiece(int width, int height, bool titleRow) {
  QImage image(width, height, QImage::Format_RGB32);
  QPainter p(&image);
  if (titleRow) {
    QLinearGradient g(0, 0, 0, height);
    g.setColorAt(0, kFrameTop);
    g.setColorAt(1, kFrameBottom);
    p.fillRect(image.rect(), g);
    p.setPen(kFrameHighlight);
    p.drawLine(0, 1, width - 1, 1);
  } else {
    p.fillRect(image.rect(), kFrameBottom);
  }
  return image;
}

QImage IdlePicture() {
  QImage image(64, 64, QImage::Format_RGB32);
  QPainter p(&image);
  QLinearGradient g(0, 0, 0, image.height());
  g.setColorAt(0, kIdleTop);
  g.setColorAt(1, kIdleBottom);
  p.fillRect(image.rect(), g);
  return image;
}

TVeskoImagePanel* MakePicture(QWidget* parent, const char* name, bool stretched) {
  auto* panel = new TVeskoImagePanel(parent);
  panel->setObjectName(QString::fromLatin1(name));
  if (stretched) panel->SetDrawStyle(TVeskoDrawStyle::VeskoStretch);
  return panel;
}

}  // namespace

THitZone HitTestZone(int x, int y, int w, int h) {
  if (x < kResizeBorder && y < kResizeBorder) return htTopLeft;
  if (x > w - kResizeBorder && y < kResizeBorder) return htTopRight;
  if (x > w - kResizeGrip && y > h - kResizeGrip) return htBottomRight;
  if (x < kResizeBorder && y > h - kResizeBorder) return htBottomLeft;
  if (x < kResizeBorder) return htLeft;
  if (y < kResizeBorder) return htTop;
  if (x > w - kResizeBorder) return htRight;
  if (y > h - kResizeBorder) return htBottom;
  return htInherited;
}

Qt::Edges EdgesOfZone(THitZone zone) {
  switch (zone) {
    case htLeft: return Qt::LeftEdge;
    case htRight: return Qt::RightEdge;
    case htTop: return Qt::TopEdge;
    case htBottom: return Qt::BottomEdge;
    case htTopLeft: return Qt::TopEdge | Qt::LeftEdge;
    case htTopRight: return Qt::TopEdge | Qt::RightEdge;
    case htBottomLeft: return Qt::BottomEdge | Qt::LeftEdge;
    case htBottomRight: return Qt::BottomEdge | Qt::RightEdge;
    case htInherited: break;
  }
  return {};
}

Qt::CursorShape CursorOfZone(THitZone zone) {
  switch (zone) {
    case htLeft:
    case htRight: return Qt::SizeHorCursor;
    case htTop:
    case htBottom: return Qt::SizeVerCursor;
    case htTopLeft:
    case htBottomRight: return Qt::SizeFDiagCursor;
    case htTopRight:
    case htBottomLeft: return Qt::SizeBDiagCursor;
    case htInherited: break;
  }
  return Qt::ArrowCursor;
}

TFrm_Video::TFrm_Video(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
  setWindowTitle(QString::fromLatin1(kVideoWindowCaption));
  setProperty("windowClass", QString::fromLatin1(kVideoWindowClass));
  FClassClaim = os::Os().WindowClasses().ClaimClass(kVideoWindowClass);
  setMinimumSize(kVideoFormMinSize, kVideoFormMinSize);
  resize(kVideoFormInitialWidth, kVideoFormInitialHeight);
  setAcceptDrops(true);
  setMouseTracking(true);

  Image_Left = MakePicture(this, "Image_Left", true);
  Image_Right = MakePicture(this, "Image_Right", true);
  Image_Top_Center = MakePicture(this, "Image_Top_Center", true);
  Image_Top_Left = MakePicture(this, "Image_Top_Left", false);
  Image_Top_Right = MakePicture(this, "Image_Top_Right", false);
  Image_Bottom_Center = MakePicture(this, "Image_Bottom_Center", true);
  Image_Bottom_Left = MakePicture(this, "Image_Bottom_Left", false);
  Image_Bottom_Right = MakePicture(this, "Image_Bottom_Right", false);
  Image_Main = MakePicture(this, "Image_Main", true);
  Image_Main->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Image_Main, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    if (FVideoMenu) FVideoMenu->popup(Image_Main->mapToGlobal(at));
  });

  VideoPanel = new QWidget(this);
  VideoPanel->setObjectName(QStringLiteral("VideoPanel"));
  VideoPanel->setAutoFillBackground(true);
  VideoPanel->setPalette(QPalette(Qt::black));
  VideoWindowEx = new TDSVideoWindowEx2(VideoPanel);
  VideoWindowEx->SetName("VideoWindowEx");
  VideoWindowEx->SetAspectRatio(rmLetterBox);
  VideoWindowEx->SetAutoHideCursor(0);
  VideoWindowEx->SetDigitalZoom(0);
  VideoWindowEx->SetNoScreenSaver(true);
  VideoWindowEx->SetColor(clBlack);
  VideoWindowEx->OnDblClick = [this](void*) { VideoWindowExDblClick(); };
  VideoWindowEx->OnMouseMove = [this](void*, Qt::KeyboardModifiers, int x, int y) {
    VideoWindowExMouseMove(x, y);
  };
  VideoWindowEx->OnMouseUp = [this](void*, Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
    VideoWindowExMouseUp(x, y);
  };
  VideoPanel->installEventFilter(this);
  VideoPanel->hide();

  PlayListPanel = new QWidget(this);
  PlayListPanel->setObjectName(QStringLiteral("PlayListPanel"));
  PlayListPanel->setAutoFillBackground(true);
  PlayListPanel->setPalette(QPalette(Qt::black));
  Image_PlayListBoxTitle = MakePicture(PlayListPanel, "Image_PlayListBoxTitle", true);
  Image_PlayListBoxTitle->resize(Image_PlayListBoxTitle->width(), kTopRowHeight);
  Image_PlayListBoxTitle->SetAlign(TAlign::alTop);
  PlayListBox = new QListWidget(PlayListPanel);
  PlayListBox->setObjectName(QStringLiteral("PlayListBox"));
  PlayListBox->setFrameShape(QFrame::NoFrame);
  PlayListBox->setUniformItemSizes(true);
  PlayListBox->setStyleSheet(QStringLiteral("QListWidget::item { height: %1px; }").arg(kPlayListItemHeight));
  PlayListBox->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(PlayListBox, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    if (FPlayListMenu) FPlayListMenu->popup(PlayListBox->viewport()->mapToGlobal(at));
  });
  connect(PlayListBox, &QListWidget::itemDoubleClicked, this, [this] { PlayListBoxDblClick(); });
  PlayListPanel->installEventFilter(this);
  // A skin may change the title row's height alone: the list follows it.
  Image_PlayListBoxTitle->installEventFilter(this);
  PlayListPanel->hide();

  MakeDefaultFrame();
  for (QWidget* w : {static_cast<QWidget*>(Image_Left), static_cast<QWidget*>(Image_Right),
                     static_cast<QWidget*>(Image_Top_Center), static_cast<QWidget*>(Image_Top_Left),
                     static_cast<QWidget*>(Image_Top_Right),
                     static_cast<QWidget*>(Image_Bottom_Center),
                     static_cast<QWidget*>(Image_Bottom_Left),
                     static_cast<QWidget*>(Image_Bottom_Right), static_cast<QWidget*>(Image_Main)})
    WatchChildren(w);
  FormResize();
  VideoWindowEx->Loaded();
}

TFrm_Video::~TFrm_Video() = default;

void TFrm_Video::WatchChildren(QWidget* w) {
  w->installEventFilter(this);
  w->setMouseTracking(true);
}

void TFrm_Video::MakeDefaultFrame() {
  Image_Top_Center->SetPicture(FramePiece(kDefaultCorner, kTopRowHeight, true));
  Image_Top_Left->SetPicture(FramePiece(kDefaultCorner, kTopRowHeight, true));
  Image_Top_Right->SetPicture(FramePiece(kDefaultCorner, kTopRowHeight, true));
  Image_Left->SetPicture(FramePiece(kDefaultBorder, kDefaultCorner, false));
  Image_Right->SetPicture(FramePiece(kDefaultBorder, kDefaultCorner, false));
  Image_Bottom_Center->SetPicture(FramePiece(kDefaultCorner, kDefaultBorder, false));
  Image_Bottom_Left->SetPicture(FramePiece(kDefaultCorner, kDefaultBorder, false));
  Image_Bottom_Right->SetPicture(FramePiece(kDefaultCorner, kDefaultBorder, false));
  Image_Main->SetPicture(IdlePicture());
  Image_PlayListBoxTitle->SetPicture(FramePiece(kDefaultCorner, kTopRowHeight, true));
  Image_Top_Center->resize(width(), kTopRowHeight);
  Image_Top_Left->resize(kDefaultCorner, kTopRowHeight);
  Image_Top_Right->resize(kDefaultCorner, kTopRowHeight);
  Image_Left->resize(kDefaultBorder, height());
  Image_Right->resize(kDefaultBorder, height());
  Image_Bottom_Center->resize(width(), kDefaultBorder);
  Image_Bottom_Left->resize(kDefaultCorner, kDefaultBorder);
  Image_Bottom_Right->resize(kDefaultCorner, kDefaultBorder);
}

void TFrm_Video::SetVideoMenu(QMenu* menu) {
  FVideoMenu = menu;
  VideoWindowEx->SetPopupMenu(menu);
}

void TFrm_Video::SetPlayListMenu(QMenu* menu) { FPlayListMenu = menu; }

void TFrm_Video::FormResize() {
  const int w = width(), h = height();
  const int top = Image_Top_Center->height();
  const int bottom = Image_Bottom_Center->height();
  const int left = Image_Left->width();
  const int right = Image_Right->width();
  // Top and bottom across the full width, the sides between them.
  Image_Top_Center->setGeometry(0, 0, w, top);
  Image_Bottom_Center->setGeometry(0, h - bottom, w, bottom);
  Image_Left->setGeometry(0, top, left, std::max(0, h - top - bottom));
  Image_Right->setGeometry(w - right, top, right, std::max(0, h - top - bottom));
  // The corners over the ends of the top and bottom pieces.
  Image_Top_Left->move(0, 0);
  Image_Top_Right->move(w - Image_Top_Right->width(), 0);
  Image_Bottom_Left->move(0, h - Image_Bottom_Left->height());
  Image_Bottom_Right->move(w - Image_Bottom_Right->width(), h - Image_Bottom_Right->height());
  for (QWidget* corner : {static_cast<QWidget*>(Image_Top_Left), static_cast<QWidget*>(Image_Top_Right),
                          static_cast<QWidget*>(Image_Bottom_Left),
                          static_cast<QWidget*>(Image_Bottom_Right)})
    corner->raise();
  const QRect inside(left, top, std::max(0, w - left - right), std::max(0, h - top - bottom));
  Image_Main->setGeometry(inside);
  VideoPanel->setGeometry(inside);
  PlayListPanel->setGeometry(inside);
  PlayListPanel->raise();  // created last: the list covers the video while shown
  LayOutPlayList();  // also while hidden, when no resize reaches the panel
}

void TFrm_Video::LayOutPlayList() {
  const int title = Image_PlayListBoxTitle->height();
  PlayListBox->setGeometry(0, title, PlayListPanel->width(),
                           std::max(0, PlayListPanel->height() - title));
}

void TFrm_Video::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FormResize();
}

bool TFrm_Video::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize) {
    if (watched == VideoPanel && !VideoWindowEx->FullScreen() && VideoWindowEx->parentWidget() == VideoPanel)
      VideoWindowEx->setGeometry(VideoPanel->rect());
    if (watched == PlayListPanel || watched == Image_PlayListBoxTitle) LayOutPlayList();
    return false;
  }
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w || w == VideoPanel || w == PlayListPanel) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
      return FramePointer(w, static_cast<QMouseEvent*>(event));
    default:
      return false;
  }
}

bool TFrm_Video::FramePointer(QWidget* target, QMouseEvent* event) {
  const QPoint global = event->globalPosition().toPoint();
  const QPoint at = mapFromGlobal(global);
  const THitZone zone = HitTestZone(at.x(), at.y(), width(), height());
  const bool topPicture =
      target == Image_Top_Center || target == Image_Top_Left || target == Image_Top_Right;
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      if (zone != htInherited) {
        QWindow* window = windowHandle();
        if (window && window->startSystemResize(EdgesOfZone(zone))) return true;
        FDrag = TDrag::dgResize;
        FDragEdges = EdgesOfZone(zone);
      } else if (topPicture) {
        Image_Top_CenterMouseDown(global);
        return true;
      } else {
        return false;
      }
      FDragStart = global;
      FDragGeometry = geometry();
      return true;
    }
    case QEvent::MouseMove: {
      if (FDrag == TDrag::dgNone) {
        if (target != Image_Main) target->setCursor(CursorOfZone(zone));
        return false;
      }
      if (!(event->buttons() & Qt::AllButtons)) {
        FDrag = TDrag::dgNone;
        return false;
      }
      const QPoint d = global - FDragStart;
      QRect g = FDragGeometry;
      if (FDrag == TDrag::dgMove) {
        move(g.topLeft() + d);
        return true;
      }
      if (FDragEdges & Qt::LeftEdge) g.setLeft(std::min(g.left() + d.x(), g.right() - kVideoFormMinSize + 1));
      if (FDragEdges & Qt::RightEdge) g.setRight(std::max(g.right() + d.x(), g.left() + kVideoFormMinSize - 1));
      if (FDragEdges & Qt::TopEdge) g.setTop(std::min(g.top() + d.y(), g.bottom() - kVideoFormMinSize + 1));
      if (FDragEdges & Qt::BottomEdge) g.setBottom(std::max(g.bottom() + d.y(), g.top() + kVideoFormMinSize - 1));
      setGeometry(g);
      return true;
    }
    case QEvent::MouseButtonRelease:
      if (FDrag == TDrag::dgNone) return false;
      FDrag = TDrag::dgNone;
      return true;
    default:
      return false;
  }
}

void TFrm_Video::Image_Top_CenterMouseDown(const QPoint& globalPos) {
  QWindow* window = windowHandle();
  if (window && window->startSystemMove()) return;
  // No window manager to carry the move: follow the pointer ourselves.
  FDrag = TDrag::dgMove;
  FDragStart = globalPos;
  FDragGeometry = geometry();
}

std::vector<std::string> DroppedFiles(const QMimeData& data) {
  std::vector<std::string> files;
  if (!data.hasUrls()) return files;
  for (const QUrl& url : data.urls()) {
    if (!url.isLocalFile()) continue;
    // Qt writes a host into the path ("//host/share/..."), which here would name a local
    // folder of that name: a file elsewhere is no file to play.
    if (!url.host().isEmpty() && url.host().compare(kLocalHost, Qt::CaseInsensitive) != 0)
      continue;
    const std::string path = url.path(QUrl::FullyDecoded).toStdString();
    // The play list shows the part after the last separator, either kind, as the file's name.
    if (path.empty() || path.front() != kPathSeparator || path.back() == kPathSeparator ||
        path.back() == kOtherPathSeparator || path.find('\0') != std::string::npos)
      continue;
    files.push_back(path);
  }
  return files;
}

void TFrm_Video::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedFiles(*event->mimeData()).empty()) event->acceptProposedAction();
}

void TFrm_Video::dropEvent(QDropEvent* event) {
  const std::vector<std::string> files = DroppedFiles(*event->mimeData());
  if (files.empty()) return;
  event->acceptProposedAction();
  for (const std::string& file : files)
    if (OnAddToPlayList) OnAddToPlayList(file);
}

bool TFrm_Video::DvdControlActive() const {
  return FilterGraph && FilterGraph->Active() && FilterGraph->Mode() == gmDVD;
}

void TFrm_Video::VideoWindowExDblClick() {
  if (!FilterGraph || !FilterGraph->Active() || !VideoWindowEx->FullScreen() || !MainWindow) return;
  if (MainWindow->isMinimized()) MainWindow->showNormal();
  MainWindow->show();
  MainWindow->raise();
  MainWindow->activateWindow();
}

void TFrm_Video::VideoWindowExMouseMove(int x, int y) {
  if (!DvdControlActive()) return;
  ComPtr<IDvdControl2> control = FilterGraph->Query<IDvdControl2>();
  ComPtr<IDvdInfo2> info = FilterGraph->Query<IDvdInfo2>();
  if (!control || !info) return;
  // The pointer position becomes a point of the disc's picture through the one transform
  // that knows the fit, the zoom and full screen; outside the picture there is no button.
  const std::optional<POINT> picture = VideoWindowEx->PicturePointAt(x, y);
  ULONG button = 0;
  if (!picture || info->GetButtonAtPosition(*picture, &button) == VFW_E_DVD_NO_BUTTON) {
    VideoWindowEx->setCursor(Qt::ArrowCursor);
    return;
  }
  control->SelectAtPosition(*picture);
  VideoWindowEx->setCursor(Qt::PointingHandCursor);
}

void TFrm_Video::VideoWindowExMouseUp(int x, int y) {
  if (!DvdControlActive()) return;
  ComPtr<IDvdControl2> control = FilterGraph->Query<IDvdControl2>();
  if (!control) return;
  if (const std::optional<POINT> picture = VideoWindowEx->PicturePointAt(x, y))
    control->ActivateAtPosition(*picture);
}

void TFrm_Video::PlayListBoxDblClick() {
  if (OnPlaySelected) OnPlaySelected();
}

}  // namespace kavoro::video
