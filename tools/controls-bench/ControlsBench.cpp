// Prints how long building the window region of an 800 x 600 skin picture takes, and how much
// one paint of a button, a transparent button and a track bar allocates. Every heap block the
// program takes on the GUI thread while counting is seen here (operator new and QImage both
// end in malloc): malloc is replaced by a counting wrapper around the C library's own.

#include "controls/VeskoImageButton.h"
#include "controls/VeskoImagePanel.h"
#include "controls/VeskoSkinForm.h"
#include "controls/VeskoTrackBar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
}

namespace {

// Blocks of at least this size are listed one by one for the first counted paint.
constexpr size_t kListedBytes = 256;
constexpr int kMaxListed = 16;

thread_local bool tCounting = false;
std::atomic<long> gBlocks{0};
std::atomic<long> gBytes{0};
// Sizes of the listed blocks of one paint, and how many blocks had a watched size.
size_t gListed[kMaxListed];
std::atomic<int> gListedCount{0};
bool gListing = false;
size_t gWatched = 0;
std::atomic<long> gWatchedHits{0};

void Count(size_t size) {
  if (!tCounting) return;
  ++gBlocks;
  gBytes += static_cast<long>(size);
  if (size == gWatched) ++gWatchedHits;
  if (gListing && size >= kListedBytes && gListedCount < kMaxListed) gListed[gListedCount++] = size;
}

}  // namespace

extern "C" void* malloc(size_t size) {
  Count(size);
  return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size) {
  Count(count * size);
  return __libc_calloc(count, size);
}

extern "C" void* realloc(void* block, size_t size) {
  Count(size);
  return __libc_realloc(block, size);
}

namespace {

using namespace kavoro::controls;

constexpr int kSkinWidth = 800;
constexpr int kSkinHeight = 600;
constexpr QRgb kFuchsia = 0xFF00FF;

// A skin-like picture: a rounded body on fuchsia with a grille of fuchsia slots, which gives
// thousands of runs.
QImage SkinPicture() {
  QImage picture(kSkinWidth, kSkinHeight, QImage::Format_RGB32);
  picture.fill(QColor::fromRgb(kFuchsia));
  QPainter painter(&picture);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(70, 90, 120));
  painter.drawRoundedRect(QRect(20, 20, kSkinWidth - 40, kSkinHeight - 40), 120, 120);
  painter.setBrush(QColor::fromRgb(kFuchsia));
  for (int y = 120; y < 480; y += 6) {
    for (int x = 100; x < 700; x += 12) painter.drawRect(x, y, 5, 2);
  }
  painter.drawEllipse(QPoint(400, 300), 60, 60);
  return picture;
}

double MedianMs(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

void BenchRegion() {
  const QImage picture = SkinPicture();
  const QColor key = QColor::fromRgb(kFuchsia);
  const QRegion region = TVeskoSkinForm::BuildRegion(picture, key);

  long runs = 0;
  for (int y = 0; y < picture.height(); ++y) {
    bool inside = false;
    for (int x = 0; x < picture.width(); ++x) {
      const bool solid = (picture.pixel(x, y) & RGB_MASK) != kFuchsia;
      if (solid && !inside) ++runs;
      inside = solid;
    }
  }

  std::vector<double> samples;
  for (int i = 0; i < 41; ++i) {
    QElapsedTimer clock;
    clock.start();
    const QRegion built = TVeskoSkinForm::BuildRegion(picture, key);
    samples.push_back(clock.nsecsElapsed() / 1e6);
    if (built.rectCount() != region.rectCount()) std::abort();
  }
  std::printf("region of an %d x %d picture: %ld runs, %d rectangles after merging equal rows\n",
              kSkinWidth, kSkinHeight, runs, region.rectCount());
  std::printf("  BuildRegion: median %.3f ms, fastest %.3f ms over %zu builds (target < 10 ms)\n",
              MedianMs(samples), *std::min_element(samples.begin(), samples.end()),
              samples.size());

  // The same region by adding one rectangle per run to a growing region, for comparison.
  QElapsedTimer clock;
  clock.start();
  QRegion naive;
  for (int y = 0; y < picture.height(); ++y) {
    int x = 0;
    const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
    while (x < picture.width()) {
      while (x < picture.width() && (line[x] & RGB_MASK) == kFuchsia) ++x;
      const int start = x;
      while (x < picture.width() && (line[x] & RGB_MASK) != kFuchsia) ++x;
      if (x > start) naive += QRect(start, y, x - start, 1);
    }
  }
  const double naiveMs = clock.nsecsElapsed() / 1e6;
  std::printf("  union of one rectangle per run: %.3f ms (same pixels: %s)\n", naiveMs,
              (naive ^ region).isEmpty() ? "yes" : "NO");

  QWidget form;
  TVeskoSkinForm skin(&form);
  form.show();
  clock.restart();
  skin.SetGlyph(picture);
  std::printf("  SetGlyph on a shown form (region, mask, sizes): %.3f ms\n",
              clock.nsecsElapsed() / 1e6);
}

size_t BitmapBytes(const QWidget* widget) {
  return size_t(widget->width()) * widget->height() * 4;
}

// Paints the widget through the window system, counting every block taken. A work bitmap is a
// block of exactly the widget's Width x Height x 4 bytes.
void Report(const char* what, QWidget& widget) {
  constexpr int kPaints = 500;
  widget.repaint();  // warm-up: fonts, paint engines, backing store
  gWatched = BitmapBytes(&widget);
  gBlocks = gBytes = gWatchedHits = 0;
  gListedCount = 0;
  QElapsedTimer clock;
  clock.start();
  tCounting = true;
  gListing = true;
  widget.repaint();
  gListing = false;
  for (int i = 1; i < kPaints; ++i) widget.repaint();
  tCounting = false;
  const double us = clock.nsecsElapsed() / 1e3 / kPaints;
  std::printf("%-40s %3d x %-3d %5.1f blocks %8.0f bytes %7.1f us; work bitmaps %.2f",
              what, widget.width(), widget.height(), double(gBlocks) / kPaints,
              double(gBytes) / kPaints, us, double(gWatchedHits) / kPaints);
  std::printf(" (%zu B)\n", gWatched);
  std::printf("%40s blocks of %zu B or more in one paint:", "", kListedBytes);
  for (int i = 0; i < gListedCount; ++i) std::printf(" %zu", gListed[i]);
  std::printf("\n");
}

void BenchPaint() {
  QWidget window;
  window.resize(400, 200);
  window.show();
  QApplication::processEvents();

  TVeskoImageButton button(&window);
  button.setGeometry(10, 10, 80, 30);
  QImage face(80, 30, QImage::Format_RGB32);
  face.fill(QColor(60, 120, 200));
  button.SetPicNormal(face);
  button.SetCaption("&Play");
  button.show();

  TVeskoImageButton seeThrough(&window);
  seeThrough.setGeometry(100, 10, 80, 30);
  seeThrough.SetPicNormal(face);
  seeThrough.SetTransparent(true);
  seeThrough.show();

  TVeskoTrackBar bar(&window);
  bar.setGeometry(10, 60, 300, 12);
  bar.show();
  QImage barPicture(30, 12, QImage::Format_RGB32);
  barPicture.fill(QColor(90, 90, 90));
  QImage slider(12, 12, QImage::Format_RGB32);
  slider.fill(QColor(230, 200, 40));
  bar.SetBarImage(barPicture);
  bar.SetSliderImage(slider);
  bar.resize(301, 12);
  bar.resize(300, 12);
  bar.SetPosition(40);
  QApplication::processEvents();

  std::printf("\nper paint (repaint through the window system; mean of 500):\n");
  Report("image button with caption", button);
  Report("image button, transparent", seeThrough);
  Report("track bar (the bar itself)", bar);
  Report("track bar's slider panel", *bar.Slider());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  BenchRegion();
  BenchPaint();
  return 0;
}
