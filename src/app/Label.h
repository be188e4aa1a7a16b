#pragma once
// A one-line text label of the main window, drawn over the skin: no background of its own, its
// text in its font and font colour. With AutoSize it fits itself to its caption whenever the
// caption or the font changes; without, it keeps the size it was given. While its caption is
// empty it can show a text of its own cut to its width with an end ellipsis (the play name that
// does not fit).
#include <QColor>
#include <QLabel>
#include <QString>

class QFontMetrics;

namespace kavoro::app {

class TLabel : public QLabel {
  Q_OBJECT
 public:
  // The mark that ends a cut text.
  static constexpr const char* Ellipsis = "...";

  // Creates the label on `parent` (which owns it), with AutoSize on. GUI thread only.
  explicit TLabel(QWidget* parent = nullptr);

  QString Caption() const { return text(); }
  // Stores the caption and forgets the ellipsis text; fits the size to it when AutoSize is on;
  // repaints. GUI thread only.
  void SetCaption(const QString& value);

  bool AutoSize() const { return FAutoSize; }
  // Stores the flag; switching it on fits the size to the caption at once. GUI thread only.
  void SetAutoSize(bool value);

  // The font's size in points; changing it fits the size to the caption when AutoSize is on.
  int FontSize() const { return font().pointSize(); }
  void SetFontSize(int points);
  QColor FontColor() const;
  // Stores the colour of the text and repaints. GUI thread only.
  void SetFontColor(const QColor& value);

  // Drawn from the top-left corner while the caption is empty, cut with EndEllipsis to the
  // label's width at every paint. Setting the caption clears it. GUI thread only.
  QString EllipsisText() const { return FEllipsisText; }
  void SetEllipsisText(const QString& value);

  // The text when it fits `width` pixels in the font; else its longest beginning that fits
  // with Ellipsis after it (Ellipsis alone when even one character is too wide). Any thread.
  static QString EndEllipsis(const QString& text, const QFontMetrics& metrics, int width);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void FitToCaption();

  bool FAutoSize = true;
  QString FEllipsisText;
};

}  // namespace kavoro::app
