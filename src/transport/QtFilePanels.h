#pragma once

#include "transport/FilePanels.h"

#include <QPointer>
#include <QWidget>

// The file panels as QFileDialogs, window-modal over `parent`: the
// desktop's own chooser where Qt's platform theme offers one, Qt's dialog
// otherwise. Only an open panel that takes files and folders alike is
// always Qt's, as no desktop chooser returns a folder from Open.
class QtFilePanels final : public FilePanels {
public:
    explicit QtFilePanels(QWidget* parent = nullptr);
    PanelResult runOpenPanel(const OpenPanelOptions& options) override;
    PanelResult runSavePanel(const SavePanelOptions& options) override;

private:
    QPointer<QWidget> m_parent;
};
