#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class LinkingSheet;
}

// The sheet shown over the main window while the device links: a
// window-modal dialog, so the window keeps painting while its input is
// held. It sits at the top edge of its window, like a sheet.
class LinkingSheet : public QDialog {
    Q_OBJECT

public:
    explicit LinkingSheet(QWidget* parent = nullptr);
    ~LinkingSheet() override;

    // Over a hidden window (the panel running in the background) the sheet
    // stays hidden: the device links without anything popping up.
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    // Esc does not dismiss it; only the link sequence does (done()).
    void reject() override;

private:
    std::unique_ptr<Ui::LinkingSheet> m_ui;
};
