#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace nvl {

// A title bar and borders around the client area.
constexpr int ScreenFrameWidth = 16;
constexpr int ScreenFrameHeight = 48;

// The height a window's client area may take on the screen it is on.
inline int screenRoomHeight(const QWidget &window) {
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().height() - ScreenFrameHeight : QWIDGETSIZE_MAX;
}

// Makes a top-level window no larger than the screen it is on leaves room
// for (a 1280 × 800 screen included): `wanted`, or its size hint, with room
// for the window's frame. Its layout scrolls what no longer fits; its
// buttons stay on screen.
inline void fitToScreen(QWidget &window, QSize wanted = {}) {
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!wanted.isValid())
        wanted = window.sizeHint();
    if (!screen) {
        window.resize(wanted);
        return;
    }
    const QRect room = screen->availableGeometry();
    window.resize(std::min(wanted.width(), room.width() - ScreenFrameWidth),
                  std::min(wanted.height(), room.height() - ScreenFrameHeight));
}

} // namespace nvl
