#pragma once

#include <QWidget>

// Fills itself with the image "rect", stretched, and keeps the size of its
// parent (the window) as the parent is resized.
class BackgroundView : public QWidget {
    Q_OBJECT

public:
    explicit BackgroundView(QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
