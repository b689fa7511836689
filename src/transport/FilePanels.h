#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

struct OpenPanelOptions {
    bool canChooseDirectories = false;
    bool canChooseFiles = true;
    bool allowsMultipleSelection = false;
};

struct SavePanelOptions {
    QString title;
    QString message;
    // File name extensions without the dot; empty allows any.
    QStringList allowedFileTypes;
};

struct PanelResult {
    bool confirmed = false; // false when the user cancelled
    QUrl location;          // the chosen item; empty unless confirmed
};

// Modal choosers for the file to play and the file to record into.
// Main thread only; each call returns when the user has answered, and runs
// an event loop of its own meanwhile (notifications, timers), so the
// caller checks afterwards that what it opened the panel for still holds.
class FilePanels {
public:
    virtual ~FilePanels() = default;
    virtual PanelResult runOpenPanel(const OpenPanelOptions& options) = 0;
    virtual PanelResult runSavePanel(const SavePanelOptions& options) = 0;
};
