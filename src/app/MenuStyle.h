#pragma once
// The flat theme of the player's popup menus: a dark graphite panel with a thin rim, an icon
// column for the item pictures, the highlighted item as a rounded plate in the skins' cyan
// accent, and dimmed disabled items. It is put on single menus (ThemeMenu), never on the whole
// application, so dialogs and file pickers keep the desktop's look.
#include <QColor>
#include <QProxyStyle>

class QMenu;

namespace kavoro::app {

// Colours of the theme.
inline constexpr QColor kMenuPanel{33, 37, 44};
inline constexpr QColor kMenuGutter{28, 31, 37};
inline constexpr QColor kMenuRim{10, 12, 15};
inline constexpr QColor kMenuRimLight{62, 70, 82};
inline constexpr QColor kMenuHighlight{27, 134, 214};
inline constexpr QColor kMenuText{222, 229, 238};
inline constexpr QColor kMenuTextSelected{255, 255, 255};
inline constexpr QColor kMenuTextDisabled{92, 101, 114};
inline constexpr QColor kMenuShortcut{128, 140, 156};
inline constexpr QColor kMenuSeparator{52, 58, 68};
inline constexpr QColor kMenuAccent{57, 182, 255};
// The plate behind the picture of a checked item.
inline constexpr QColor kMenuCheckPlate{57, 182, 255, 60};

// Layout of the theme, in pixels.
inline constexpr int kMenuBorder = 1;
inline constexpr int kMenuHMargin = 4;
inline constexpr int kMenuVMargin = 4;
inline constexpr int kMenuItemHeight = 26;
inline constexpr int kMenuSeparatorHeight = 9;
inline constexpr int kMenuIconColumn = 30;
inline constexpr int kMenuTextGap = 6;
inline constexpr int kMenuShortcutGap = 24;
inline constexpr int kMenuArrowColumn = 22;
inline constexpr int kMenuFontPixels = 13;

class TMenuStyle : public QProxyStyle {
  Q_OBJECT
 public:
  // A theme over the platform-neutral Fusion style, so that the menus behave alike on every
  // desktop. GUI thread only; the caller (ThemeMenu: the menu) owns it.
  TMenuStyle();

  // The panel with its icon column and bevel, and the rim; the rest as Fusion draws it. GUI
  // thread only, inside the menu's paint event.
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
  // Menu items (plate, picture, check, caption, shortcut, chevron) and separators; the empty
  // area is left to the panel. GUI thread only, inside the menu's paint event.
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override;
  // An item's size: icon column, caption, room for the shortcut and the chevron, at least
  // kMenuItemHeight high. GUI thread only.
  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override;
  // The rim, the margins, the picture size and the submenu overlap of the theme. Any thread.
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override;
  // No menu mask; disabled items are never lit. Any thread.
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override;

 protected:
  // Themes every submenu added to or changed in a themed menu, so that submenus built later
  // (the drive and skin lists) look the same. GUI thread only.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Draws one item of a QStyleOptionMenuItem; other options are ignored. GUI thread only.
  void DrawMenuItem(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;
};

// Puts the theme on menu and on each of its submenus, now and when added later: the menu owns
// the style it is given, its font is the theme's, anti-aliased. Theming a menu twice changes
// nothing. A null menu is ignored. GUI thread only.
void ThemeMenu(QMenu* menu);

// Whether menu wears the theme. GUI thread only.
bool IsThemed(const QMenu* menu);

}  // namespace kavoro::app
