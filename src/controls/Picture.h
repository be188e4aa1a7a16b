#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <functional>
#include <string>

class QPainter;

namespace kavoro::controls {

// Reads a Windows bitmap file into the image, with Qt's BMP reader forced: a file of any other
// format fails, whatever its name says. On failure returns false, leaves the image untouched
// and, when error is given, says why (missing, not a regular file, not a readable bitmap).
// Any thread; the caller owns both out-parameters.
bool LoadBitmapFile(const std::string& path, QImage* image, std::string* error);

// A picture object: holds one graphic (or none), copies on assignment and tells its owner of
// every change through OnChange. The graphic's own transparency flag makes drawing leave out
// every pixel of the colour of its bottom-left pixel, the usual key of a bitmap drawn
// transparently. GUI thread only.
class TPicture {
 public:
  TPicture() = default;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  // Raised after the graphic or its transparency flag changed.
  std::function<void()> OnChange;

  // The graphic; a null image when the picture is empty.
  const QImage& Graphic() const { return FGraphic; }
  // True when the picture holds a graphic (a non-null image of at least 1 x 1).
  bool HasGraphic() const { return !FGraphic.isNull(); }
  int Width() const { return FGraphic.width(); }
  int Height() const { return FGraphic.height(); }

  // Takes a copy of the image (pixels are shared until either side writes), then OnChange.
  void Assign(const QImage& image);
  // Takes a copy of another picture's graphic, then OnChange.
  void Assign(const TPicture& other) { Assign(other.FGraphic); }
  // Empties the picture, then OnChange.
  void Clear() { Assign(QImage()); }
  // Loads a Windows bitmap file (LoadBitmapFile) and takes it, then OnChange. On failure the
  // picture keeps its graphic, OnChange is not raised and error, when given, says why.
  bool LoadFromFile(const std::string& path, std::string* error);

  bool Transparent() const { return FTransparent; }
  // Sets the graphic's transparency flag, then OnChange.
  void SetTransparent(bool value);

  // Draws the graphic unscaled with its top-left corner at the point, honouring the
  // transparency flag. Allocates nothing; the keyed copy is prepared when the graphic or the
  // flag changes.
  void Draw(QPainter& painter, QPoint at) const;
  // Draws the graphic stretched over the rectangle, honouring the transparency flag.
  void StretchDraw(QPainter& painter, const QRect& target) const;

 private:
  const QImage& Drawable() const { return FTransparent ? FKeyed : FGraphic; }
  void PrepareKeyed();

  QImage FGraphic;
  QImage FKeyed;  // the graphic with its key colour made fully transparent
  bool FTransparent = false;
};

}  // namespace kavoro::controls
