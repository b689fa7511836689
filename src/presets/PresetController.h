#pragma once

#include "presets/SoundHistory.h"

#include <QObject>
#include <QString>
#include <QStringList>

class PresetStore;
class SoundTarget;

// Presets and undo over the panel's sound: applies a preset as one change,
// knows the active preset and whether the sound has been changed since it
// was chosen (the "modified" mark), saves the current sound as a preset,
// and keeps the undo history: each step the target ends (a drag, a reset,
// a click) is one step, and so is each preset applied. Undo and redo apply
// the step's other side as one change, with the preset active there.
// Main thread.
class PresetController : public QObject {
    Q_OBJECT

public:
    PresetController(SoundTarget& target, PresetStore& store, QObject* parent = nullptr);

    PresetStore& store() const { return m_store; }
    QStringList names() const;
    // Empty when no preset is active.
    QString active() const;
    bool modified() const { return m_modified; }

    // False, with *why, for an unknown name or when the target refuses.
    bool apply(const QString& name, QString* why);
    // Saves the current sound under `name` (new or overwriting a user
    // preset) and makes it the active one.
    bool saveCurrent(const QString& name, QString* why);

    bool canUndo() const { return m_history.canUndo() || unsettled(); }
    bool canRedo() const { return m_history.canRedo(); }
    bool undo(QString* why);
    bool redo(QString* why);

signals:
    // The names, the active preset or the modified mark changed.
    void stateChanged();
    // What can be undone or redone may have changed.
    void historyChanged();

private:
    void soundChanged(const PresetSound& sound, bool stepEnded);
    bool unsettled() const;
    // Records a step the target has not ended yet, so undo takes it back.
    void settle();
    enum class Change { Whole, ByHand };
    bool go(const SoundHistory::Side& side, Change change, QString* why);
    // `side` with an active preset that still exists.
    SoundHistory::Side reachable(SoundHistory::Side side) const;
    // How undo or redo reaches `side`: a step between presets as a whole
    // (as applying the preset did), a step within one the way a hand makes it.
    Change changeTo(const SoundHistory::Side& side) const;
    void refresh();

    SoundTarget& m_target;
    PresetStore& m_store;
    SoundHistory m_history;
    // The sound at the end of the last step.
    PresetSound m_settled;
    bool m_modified = false;
};
