#pragma once

#include <QChar>
#include <QObject>
#include <Qt>

#include <functional>

namespace kavoro::controls {

// The controls' look. There is only one.
enum class TUIStyle { Custom };

// Where a control docks inside its parent's client area.
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// Horizontal placement of a caption.
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// Events carry the control that raised them as Sender. They run on the GUI thread.
using TNotifyEvent = std::function<void(QObject* Sender)>;
using TMouseEvent = std::function<void(QObject* Sender, Qt::MouseButton Button,
                                       Qt::KeyboardModifiers Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(QObject* Sender, Qt::MouseButtons Buttons,
                                           Qt::KeyboardModifiers Shift, int X, int Y)>;
// A handler may set Key to 0 to keep the control from acting on it.
using TKeyEvent = std::function<void(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift)>;
using TKeyPressEvent = std::function<void(QObject* Sender, QChar& Key)>;

}  // namespace kavoro::controls
