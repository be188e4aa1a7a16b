#include "skin/TimeDisplay.h"

#include <QFontMetrics>
#include <QPainter>

#include <array>
#include <cstddef>

#include "app/Label.h"
#include "app/Main.h"
#include "controls/Image.h"

namespace kavoro::skin {
namespace {

constexpr std::size_t kClockTextLength = 8;
// Where the six digits stand in "hh:mm:ss".
constexpr std::array<std::size_t, app::kClockDigits> kDigitPositions = {0, 1, 3, 4, 6, 7};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool IsClockText(std::string_view text) {
  if (text.size() != kClockTextLength) return false;
  for (std::size_t at : kDigitPositions)
    if (!IsDigit(text[at])) return false;
  return true;
}

void ShowTime(app::TFrm_Main& main, std::string_view text) {
  if (!IsClockText(text)) text = kClockOverflowText;
  controls::TPicture& picture = main.TimePanel->Picture();
  if (!picture.HasGraphic() || main.DigitStrip.isNull() || main.DigitWidth <= 0 ||
      main.DigitHeight <= 0)
    return;
  QImage panel = picture.Graphic();
  // A palette bitmap cannot be drawn on.
  if (panel.format() == QImage::Format_Indexed8 || panel.format() == QImage::Format_Mono ||
      panel.format() == QImage::Format_MonoLSB)
    panel = panel.convertToFormat(QImage::Format_RGB32);
  {
    QPainter painter(&panel);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (int n = 0; n < app::kClockDigits; ++n) {
      const int digit = text[kDigitPositions[n]] - '0';
      const QRect source(main.DigitWidth * digit, 0, main.DigitWidth, main.DigitHeight);
      painter.drawImage(main.DigitCells[n], main.DigitStrip, source);
    }
  }
  picture.Assign(panel);
}

void ShowPlayName(app::TFrm_Main& main, const std::string& text) {
  app::TLabel& label = *main.Label_PlayName;
  const QString name = QString::fromStdString(text);
  if (label.width() < QFontMetrics(label.font()).horizontalAdvance(name)) {
    label.SetCaption(QString());
    label.SetEllipsisText(name);
  } else {
    label.SetCaption(name);
  }
}

}  // namespace kavoro::skin
