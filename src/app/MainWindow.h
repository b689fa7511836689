#pragma once

#include <QWidget>

#include <memory>

#include "app/AppDelegate.h"

class LinkingSheet;
class MessageBand;
class PresetSelector;
namespace Ui {
class MainWindow;
}

// The panel's one window, loaded from its Designer file, with the linking
// sheet. It owns the controls; the controller refers to them through
// outlets(). Closing the window asks the controller to quit.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The one-time set-up of every skinned control once the window's
    // description is loaded (called by the constructor).
    void awakeFromNib();

    // Every control under the controller's names.
    AppDelegateOutlets outlets();
    // The presets' own control, which the controller does not drive.
    PresetSelector* presetSelector() const;
    // Minimise and close buttons, moving and resizing, where no title bar
    // is drawn for the window (see WaylandDecorations.h).
    void addTitleControls();

signals:
    // The window's close button was pressed.
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<Ui::MainWindow> m_ui;
    LinkingSheet* m_linkingSheet = nullptr;
    MessageBand* m_messageBand = nullptr;
};
