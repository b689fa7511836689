#pragma once

#include <QObject>
#include <QString>

class PresetController;
class QAction;

// Undo and redo of the device's sound as actions for the window: Ctrl+Z and
// Ctrl+Shift+Z once added to it (with Qt::WindowShortcut they work wherever
// the focus is in it), and entries for its context menu. Each is enabled
// only while there is a step to take. Main thread.
class UndoActions : public QObject {
    Q_OBJECT

public:
    explicit UndoActions(PresetController& presets, QObject* parent = nullptr);

    QAction* undoAction() const { return m_undo; }
    QAction* redoAction() const { return m_redo; }

signals:
    // A step could not be taken back or again; the text says why.
    void failed(const QString& message);

private:
    void refresh();

    PresetController& m_presets;
    QAction* m_undo;
    QAction* m_redo;
};
