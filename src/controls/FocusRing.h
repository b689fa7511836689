#pragma once

class QWidget;

// Whether a skinned control draws its focus ring now: it holds the keyboard
// focus, and the focus last moved by keyboard in its window. Qt drops that
// mark on a pointer press, so a click never brings up a ring and the
// controls' pointer looks stay as they were.
bool showsFocusRing(const QWidget& control);
