#pragma once

#include "controls/AreaOverlay.h"

#include <QFrame>

class MicCheck;
class QLabel;
class QProgressBar;
class QShortcut;

// What a running microphone check shows: the phase with the seconds left,
// and the level as a bar screen readers read as a value. It lies over the
// bottom of an area that takes no input (the spectrum), as the message
// band lies over its top, so it moves no control and leaves the window's
// size alone. Esc in the window stops the check. Main thread.
class MicCheckView final : public QFrame {
    Q_OBJECT

public:
    MicCheckView(MicCheck& check, QWidget* parent);

    // `area` is a descendant of the view's parent, before it in stacking
    // order.
    void lieOver(QWidget* area);
    QString text() const;
    // The level in percent.
    int level() const;

private:
    void refresh();

    MicCheck& m_check;
    QLabel* m_label = nullptr;
    QProgressBar* m_level = nullptr;
    QShortcut* m_escape = nullptr;
    AreaOverlay* m_overlay = nullptr;
};
