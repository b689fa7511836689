#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class LinkingSheet;
}

// The sheet shown over the main window while the device links: a
// window-modal dialog, so the window keeps painting while its input is
// held. It sits at the top edge of its window, like a sheet.
//
// Wayland lets no client place its windows, so a sheet that is a window of
// its own would go wherever the compositor puts it (anywhere on Weston,
// centred over the window elsewhere). There it is drawn inside its window
// instead, holding the window's input itself.
class LinkingSheet : public QDialog {
    Q_OBJECT

public:
    enum class Placement { ForPlatform, OwnWindow, InsideWindow };

    explicit LinkingSheet(QWidget* parent = nullptr, Placement placement = Placement::ForPlatform);
    ~LinkingSheet() override;

    // Over a hidden window (the panel running in the background) the sheet
    // stays hidden: the device links without anything popping up.
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Esc does not dismiss it; only the link sequence does (done()).
    void reject() override;

private:
    std::unique_ptr<Ui::LinkingSheet> m_ui;
};
