#pragma once

#include <QLabel>
#include <QPointer>
#include <QTimer>

#include <chrono>

// A short message shown under a control for a few seconds, drawn as a
// tooltip. Unlike QToolTip it stays until its time is up: a tooltip goes
// the moment the window is activated, clicked or left by the pointer, so a
// failure reported as a file panel closes would vanish unread.
// Main thread only.
class Notice final : public QLabel {
    Q_OBJECT

public:
    // Owned by `anchor`'s window; shown under `anchor`.
    explicit Notice(QWidget* anchor);
    void showMessage(const QString& text, std::chrono::milliseconds duration = std::chrono::seconds(5));

private:
    QPointer<QWidget> m_anchor;
    QTimer m_hide;
};
