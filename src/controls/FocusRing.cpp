#include "controls/FocusRing.h"

#include <QWidget>

bool showsFocusRing(const QWidget& control)
{
    return control.hasFocus() && control.window()->testAttribute(Qt::WA_KeyboardFocusChange);
}
