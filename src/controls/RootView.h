#pragma once

#include <QWidget>

// A plain view for the window's .ui (promote the central widget). Each time
// it lands in a window, it puts a BackgroundView ("rect", stretched) into
// that window beneath everything else, following the window's size.
class RootView : public QWidget {
    Q_OBJECT

public:
    explicit RootView(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;

private:
    void viewDidMoveToWindow();
};
