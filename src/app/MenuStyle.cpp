#include "app/MenuStyle.h"

#include "app/MenuImages.h"

#include <QAction>
#include <QActionEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionMenuItem>

namespace kavoro::app {
namespace {

constexpr const char* kBaseStyle = "Fusion";
constexpr qreal kPlateRadius = 4;
// The plate behind a checked item's picture, and its rim.
constexpr int kCheckPlate = 22;
constexpr qreal kCheckPlateRadius = 4;
constexpr int kSelectedPlateAlpha = 60;
// The check mark and the radio dot, for checked items without a picture.
constexpr qreal kCheckStroke = 1.8;
constexpr qreal kRadioDot = 3.5;
// The submenu chevron: half its height and its width, and its stroke.
constexpr qreal kChevronHalf = 3.5;
constexpr qreal kChevronWidth = 3.5;
constexpr qreal kChevronStroke = 1.6;
// Text lies this far inside an item, above and below, at least.
constexpr int kTextPad = 5;
constexpr QColor kRimLightBottom{40, 45, 53};
constexpr int kSelectedShortcutAlpha = 200;

// The colour of an item's text for its state.
QColor TextInk(bool enabled, bool selected) {
  if (!enabled) return kMenuTextDisabled;
  return selected ? kMenuTextSelected : kMenuText;
}

void DrawCheckMark(QPainter& painter, const QRectF& box, const QColor& ink) {
  QPainterPath mark;
  const qreal u = box.width() / 16.0;  // the mark is laid out on a 16-unit box
  mark.moveTo(box.left() + 3.5 * u, box.top() + 8.5 * u);
  mark.lineTo(box.left() + 6.5 * u, box.top() + 11.5 * u);
  mark.lineTo(box.left() + 12.5 * u, box.top() + 4.5 * u);
  painter.strokePath(mark, QPen(ink, kCheckStroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

void DrawChevron(QPainter& painter, QPointF centre, const QColor& ink) {
  QPainterPath chevron;
  chevron.moveTo(centre.x() - kChevronWidth / 2, centre.y() - kChevronHalf);
  chevron.lineTo(centre.x() + kChevronWidth / 2, centre.y());
  chevron.lineTo(centre.x() - kChevronWidth / 2, centre.y() + kChevronHalf);
  painter.strokePath(chevron,
                     QPen(ink, kChevronStroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

QPalette ThemePalette(QPalette palette) {
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    const bool disabled = group == QPalette::Disabled;
    palette.setColor(group, QPalette::Window, kMenuPanel);
    palette.setColor(group, QPalette::Base, kMenuPanel);
    palette.setColor(group, QPalette::Button, kMenuPanel);
    palette.setColor(group, QPalette::WindowText, disabled ? kMenuTextDisabled : kMenuText);
    palette.setColor(group, QPalette::Text, disabled ? kMenuTextDisabled : kMenuText);
    palette.setColor(group, QPalette::ButtonText, disabled ? kMenuTextDisabled : kMenuText);
    palette.setColor(group, QPalette::Highlight, kMenuHighlight);
    palette.setColor(group, QPalette::HighlightedText, kMenuTextSelected);
  }
  return palette;
}

}  // namespace

TMenuStyle::TMenuStyle() : QProxyStyle(QString::fromLatin1(kBaseStyle)) {}

void TMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const {
  switch (element) {
    case PE_PanelMenu: {
      const QRect r = option->rect;
      painter->fillRect(r, kMenuPanel);
      // The icon column, a shade darker, inside the rim.
      painter->fillRect(QRect(r.left() + kMenuBorder, r.top() + kMenuBorder,
                              kMenuHMargin + kMenuIconColumn, r.height() - 2 * kMenuBorder),
                        kMenuGutter);
      // A light bevel just inside the rim, strongest at the top, as on the skin's faces.
      QLinearGradient bevel(0, r.top(), 0, r.bottom());
      bevel.setColorAt(0, kMenuRimLight);
      bevel.setColorAt(1, kRimLightBottom);
      painter->save();
      painter->setPen(QPen(QBrush(bevel), 1));
      painter->setBrush(Qt::NoBrush);
      painter->drawRect(r.adjusted(kMenuBorder, kMenuBorder, -kMenuBorder - 1, -kMenuBorder - 1));
      painter->restore();
      return;
    }
    case PE_FrameMenu: {
      painter->save();
      painter->setPen(kMenuRim);
      painter->setBrush(Qt::NoBrush);
      painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
      painter->restore();
      return;
    }
    default:
      QProxyStyle::drawPrimitive(element, option, painter, widget);
  }
}

void TMenuStyle::drawControl(ControlElement element, const QStyleOption* option,
                             QPainter* painter, const QWidget* widget) const {
  switch (element) {
    case CE_MenuItem:
      DrawMenuItem(option, painter, widget);
      return;
    case CE_MenuEmptyArea:
      return;  // the panel shows through
    default:
      QProxyStyle::drawControl(element, option, painter, widget);
  }
}

void TMenuStyle::DrawMenuItem(const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const {
  const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
  if (!item) return;
  const QRect r = item->rect;
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  painter->setRenderHint(QPainter::TextAntialiasing);

  if (item->menuItemType == QStyleOptionMenuItem::Separator) {
    const int left = r.left() + kMenuIconColumn + kMenuTextGap;
    painter->fillRect(QRect(left, r.center().y(), r.right() - left, 1), kMenuSeparator);
    painter->restore();
    return;
  }
  if (item->menuItemType != QStyleOptionMenuItem::Normal &&
      item->menuItemType != QStyleOptionMenuItem::SubMenu &&
      item->menuItemType != QStyleOptionMenuItem::DefaultItem) {
    painter->restore();
    QProxyStyle::drawControl(CE_MenuItem, option, painter, widget);
    return;
  }

  const bool enabled = item->state & State_Enabled;
  const bool selected = enabled && (item->state & State_Selected);
  const bool checked = item->checkType != QStyleOptionMenuItem::NotCheckable && item->checked;
  const QColor ink = TextInk(enabled, selected);

  if (selected) {
    painter->setPen(Qt::NoPen);
    painter->setBrush(kMenuHighlight);
    painter->drawRoundedRect(QRectF(r), kPlateRadius, kPlateRadius);
  }

  // The icon column: the picture, on a plate when checked; a mark when checked without one.
  const QRect column(r.left(), r.top(), kMenuIconColumn, r.height());
  const QRectF plate(column.center().x() + 1 - kCheckPlate / 2.0,
                     column.center().y() + 1 - kCheckPlate / 2.0, kCheckPlate, kCheckPlate);
  const QRectF iconBox(column.center().x() + 1 - TMenuImages::Size / 2.0,
                       column.center().y() + 1 - TMenuImages::Size / 2.0, TMenuImages::Size,
                       TMenuImages::Size);
  const QColor markInk = !enabled ? kMenuTextDisabled : selected ? kMenuTextSelected : kMenuAccent;
  if (checked && !item->icon.isNull()) {
    QColor fill = selected ? QColor(255, 255, 255, kSelectedPlateAlpha) : kMenuCheckPlate;
    painter->setPen(QPen(markInk, 1));
    painter->setBrush(fill);
    painter->drawRoundedRect(plate.adjusted(0.5, 0.5, -0.5, -0.5), kCheckPlateRadius,
                             kCheckPlateRadius);
  } else if (checked && item->checkType == QStyleOptionMenuItem::Exclusive) {
    painter->setPen(Qt::NoPen);
    painter->setBrush(markInk);
    painter->drawEllipse(iconBox.center(), kRadioDot, kRadioDot);
  } else if (checked) {
    DrawCheckMark(*painter, iconBox, markInk);
  }
  if (!item->icon.isNull()) {
    const QIcon::Mode mode = !enabled ? QIcon::Disabled : selected ? QIcon::Selected : QIcon::Normal;
    const QPixmap picture =
        item->icon.pixmap(QSize(TMenuImages::Size, TMenuImages::Size), painter->device()->devicePixelRatio(),
                          mode, checked ? QIcon::On : QIcon::Off);
    const QSizeF size = picture.deviceIndependentSize();
    painter->drawPixmap(QPointF(iconBox.center().x() - size.width() / 2,
                                iconBox.center().y() - size.height() / 2),
                        picture);
  }

  // The caption, with the shortcut (after a tab) at the right.
  QString caption = item->text;
  QString shortcut;
  if (const qsizetype tab = caption.indexOf(QLatin1Char('\t')); tab >= 0) {
    shortcut = caption.mid(tab + 1);
    caption.truncate(tab);
  }
  QFont font = item->font;
  if (item->menuItemType == QStyleOptionMenuItem::DefaultItem) font.setBold(true);
  painter->setFont(font);
  const QRect textRect(r.left() + kMenuIconColumn + kMenuTextGap, r.top(),
                       r.width() - kMenuIconColumn - kMenuTextGap - kMenuArrowColumn, r.height());
  // Access keys still work; their underlines would only clutter a flat panel.
  const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextHideMnemonic;
  painter->setPen(ink);
  painter->drawText(textRect, flags, caption);
  if (!shortcut.isEmpty()) {
    QColor shortcutInk = kMenuShortcut;
    if (!enabled) shortcutInk = kMenuTextDisabled;
    else if (selected) shortcutInk = QColor(255, 255, 255, kSelectedShortcutAlpha);
    painter->setPen(shortcutInk);
    painter->drawText(textRect, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, shortcut);
  }
  if (item->menuItemType == QStyleOptionMenuItem::SubMenu)
    DrawChevron(*painter, QPointF(r.right() + 1 - kMenuArrowColumn / 2.0, r.center().y() + 0.5),
                selected ? kMenuTextSelected : enabled ? kMenuShortcut : kMenuTextDisabled);
  painter->restore();
}

QSize TMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                   const QSize& size, const QWidget* widget) const {
  const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
  if (type != CT_MenuItem || !item) return QProxyStyle::sizeFromContents(type, option, size, widget);
  if (item->menuItemType == QStyleOptionMenuItem::Separator)
    return {kMenuIconColumn + kMenuTextGap, kMenuSeparatorHeight};
  // The menu adds the widest shortcut to every item; the gap keeps it off the caption.
  int width = kMenuIconColumn + kMenuTextGap + size.width() + kMenuArrowColumn;
  if (item->text.contains(QLatin1Char('\t'))) width += kMenuShortcutGap;
  return {width, std::max(kMenuItemHeight, size.height() + 2 * kTextPad)};
}

int TMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                            const QWidget* widget) const {
  switch (metric) {
    case PM_MenuPanelWidth: return kMenuBorder;
    case PM_MenuHMargin: return kMenuHMargin;
    case PM_MenuVMargin: return kMenuVMargin;
    case PM_SmallIconSize: return TMenuImages::Size;
    // A submenu sits just over its parent's rim, so the two read as one stack.
    case PM_SubMenuOverlap: return -kMenuHMargin;
    default: return QProxyStyle::pixelMetric(metric, option, widget);
  }
}

int TMenuStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                          QStyleHintReturn* returnData) const {
  switch (hint) {
    case SH_Menu_Mask: return 0;  // square panels: nothing to cut
    // A disabled item is skipped by the keyboard and never lit.
    case SH_Menu_AllowActiveAndDisabled: return 0;
    default: return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
}

bool TMenuStyle::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ActionAdded || event->type() == QEvent::ActionChanged) {
    QAction* action = static_cast<QActionEvent*>(event)->action();
    if (action && action->menu()) ThemeMenu(action->menu());
  }
  return QProxyStyle::eventFilter(watched, event);
}

void ThemeMenu(QMenu* menu) {
  if (!menu || IsThemed(menu)) return;
  auto* style = new TMenuStyle;
  style->setParent(menu);
  menu->setStyle(style);
  QFont font = menu->font();
  font.setPixelSize(kMenuFontPixels);
  font.setStyleStrategy(QFont::PreferAntialias);
  menu->setFont(font);
  menu->setPalette(ThemePalette(menu->palette()));
  menu->installEventFilter(style);
  for (QAction* action : menu->actions())
    if (action->menu()) ThemeMenu(action->menu());
}

bool IsThemed(const QMenu* menu) {
  return menu && qobject_cast<const TMenuStyle*>(menu->style()) != nullptr;
}

}  // namespace kavoro::app
