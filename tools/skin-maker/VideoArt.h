#pragma once
// Pieces of the video window both skins draw alike: the words of the idle picture and the
// play list's title row.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QSize>

namespace kavoro::skinmaker {

// The video window's title: the player's mark (a play glyph on an accent disc) and its name,
// at the left of a title bar of the given size.
void TitleMark(QPainter& painter, QSize bar, QColor accent, QColor ink, QColor shadow);

// Where the idle picture's mark sits: centred, a little above the middle.
QPointF IdleMarkCentre(QSize picture);

// The player's name and what to do, centred under a mark of the given radius.
void IdleWords(QPainter& painter, QSize picture, qreal markRadius, QColor name, QColor hint);

// The play list's title row: the list glyph and "PLAY LIST" on a flat background (the panel
// around the row shows the same colour), with an accent strip at the left edge when wanted.
QImage ListTitle(QSize size, QColor background, QColor accent, QColor ink, QColor shadow,
                 bool accentStrip);

}  // namespace kavoro::skinmaker
