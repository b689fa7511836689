#pragma once

// Whether the Wayland compositor the panel would be a client of draws the
// windows' title bars itself: it offers xdg-decoration, through which Qt
// asks it to. Asked over a short connection of its own, before Qt connects;
// false without a Wayland display, or when the display is a socket handed
// over (WAYLAND_SOCKET), which only Qt may take.
bool compositorDecoratesWindows();
