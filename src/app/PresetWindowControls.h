#pragma once

#include <QObject>
#include <QString>

class MainWindow;
class PresetController;
class QAction;
class QWidget;
class UndoActions;

// The presets and undo in the window: the selector shows the presets, the
// active one and its "modified" mark, and applies the one chosen; Ctrl+Z
// and Ctrl+Shift+Z undo and redo anywhere in the window; its context menu
// holds undo and redo, saving the sound as a preset, renaming and deleting
// the active user preset, and importing and exporting .qpreset files. The
// questions are window-modal dialogs that never block the event loop.
// Failures are shown in the window and logged.
// Main thread.
class PresetWindowControls final : public QObject {
    Q_OBJECT

public:
    PresetWindowControls(MainWindow& window, PresetController& presets, QObject* parent = nullptr);

    // Where the presets' messages and failures are shown: the window's
    // message band, at least five seconds or until dismissed.
    void showMessage(const QString& text);

    QAction* undoAction() const;
    QAction* redoAction() const;
    QAction* saveAsAction() const { return m_saveAs; }
    QAction* renameAction() const { return m_rename; }
    QAction* deleteAction() const { return m_delete; }
    QAction* importAction() const { return m_import; }
    QAction* exportAction() const { return m_export; }

private:
    // A failure of the window's own: logged in English and shown in the
    // user's language.
    void fail(const QString& logged, const QString& shown);
    void refresh();
    void choose(const QString& name);
    void askSaveAs();
    void askRename();
    void askDelete();
    void askImport();
    void askExport();
    // The active preset when it is the user's own, else empty.
    QString activeUserPreset() const;
    QAction* makeAction(const QString& text, void (PresetWindowControls::*ask)());

    MainWindow& m_window;
    PresetController& m_presets;
    UndoActions* m_undo;
    QAction* m_saveAs = nullptr;
    QAction* m_rename = nullptr;
    QAction* m_delete = nullptr;
    QAction* m_import = nullptr;
    QAction* m_export = nullptr;
};
