#pragma once

#include <QDialog>

class PresetStore;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class SceneController;

// "Scenes…": the scenes, one a line, to remove; a new one from an
// application seen recording lately (or any name typed) and a preset of the
// factory's or the user's; the switch for all of them. Each change goes to
// the store at once. Main thread.
class ScenesDialog : public QDialog {
    Q_OBJECT

public:
    ScenesDialog(SceneController& scenes, const PresetStore& presets, QWidget* parent = nullptr);

    // Opens a dialog over `window`, modal to it, deleted when closed.
    static ScenesDialog* openOver(QWidget* window, SceneController& scenes, const PresetStore& presets);

    QCheckBox* enabledBox() const { return m_enabled; }
    QListWidget* sceneList() const { return m_list; }
    QComboBox* applicationBox() const { return m_application; }
    QComboBox* presetBox() const { return m_preset; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* removeButton() const { return m_remove; }
    // Why the last change was refused; empty when it was not.
    QLabel* refusal() const { return m_refusal; }

private:
    void refresh();
    void add();
    void removeChosen();

    SceneController& m_scenes;
    const PresetStore& m_presets;
    QCheckBox* m_enabled = nullptr;
    QListWidget* m_list = nullptr;
    QComboBox* m_application = nullptr;
    QComboBox* m_preset = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
    QLabel* m_refusal = nullptr;
};
