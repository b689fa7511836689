#pragma once

// Who draws the window's title bar when the panel is a Wayland client.
enum class TitleBar {
    Qt,         // Qt's own, or whatever the environment chose
    Compositor, // the compositor's, asked for through xdg-decoration
    Panel       // the panel's own controls (WindowTitleControls)
};

// Whether the Wayland compositor the panel would be a client of draws the
// windows' title bars itself (it offers xdg-decoration, through which Qt
// asks it to), or draws none; unknown without a Wayland display, or when the
// display is a socket handed over (WAYLAND_SOCKET), which only Qt may take.
// Asked over a short connection of its own, before Qt connects.
enum class CompositorTitleBars { Unknown, Drawn, NotDrawn };
CompositorTitleBars compositorTitleBars();

// Qt before 6.5 loads its EGL integration (libEGL, Mesa and a driver, about
// 50 MB resident) only to learn whether it may draw a title bar, though the
// panel paints in software; from 6.5 it asks only once it draws with EGL.
// So where the compositor draws none under such a Qt, the panel draws its
// own controls. A choice made in the environment
// (QT_WAYLAND_DISABLE_WINDOWDECORATION) is kept.
TitleBar chooseTitleBar(bool environmentChose, CompositorTitleBars compositor, bool qtLoadsEglToAsk);
