#pragma once

#include "transport/FilePanels.h"

#include <QPointer>
#include <QWidget>

// The file panels as QFileDialogs, window-modal over `parent`.
class QtFilePanels final : public FilePanels {
public:
    explicit QtFilePanels(QWidget* parent = nullptr);
    PanelResult runOpenPanel(const OpenPanelOptions& options) override;
    PanelResult runSavePanel(const SavePanelOptions& options) override;

private:
    QPointer<QWidget> m_parent;
};
