#pragma once

#include "controls/NamedImage.h"

#include <QStringList>
#include <QWidget>

class QMenu;

// The preset selector: a field in the skin's style ("presetEnable",
// "presetHover", "presetDisable") showing the active preset's name, a dot
// ("presetModified") when the sound has changed since it was chosen, and
// the ring "focusRingPreset" while focused from the keyboard.
//
// A click, Space, Enter or Alt+Down opens the list of presets under it;
// Up and Down choose the previous or next preset at once, Home and End the
// first and last. Choosing only reports presetChosen(): the owner applies
// the preset and then calls setActive(), so the field always shows what is
// applied. Disabled, it takes neither focus nor pointer nor keys.
// Main thread.
class PresetSelector : public QWidget {
    Q_OBJECT

public:
    explicit PresetSelector(QWidget* parent = nullptr);

    QStringList presets() const { return m_presets; }
    void setPresets(const QStringList& names);
    // Empty for none.
    QString active() const { return m_active; }
    bool modified() const { return m_modified; }
    void setActive(const QString& name, bool modified);

    // What the field says, for assistive technologies: "Voice",
    // "Voice, modified" or "No preset".
    QString valueText() const;
    // Opens the list under the field (the press of a click, Space or Enter).
    void showList();
    // The list while open, else null.
    QMenu* openList() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void presetChosen(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The preset `offset` places from the active one (the first or last
    // when none is active), kept within the list.
    void chooseRelative(int offset);
    void announce();

    QStringList m_presets;
    QString m_active;
    bool m_modified = false;
    bool m_hovered = false;
    QMenu* m_list = nullptr;
    NamedImage m_enableImage;
    NamedImage m_hoverImage;
    NamedImage m_disableImage;
    NamedImage m_modifiedImage;
    NamedImage m_focusRingImage;
};
