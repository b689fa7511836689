#include "presets/PresetController.h"

#include "presets/PresetStore.h"
#include "presets/PresetsLog.h"
#include "presets/SoundTarget.h"

PresetController::PresetController(SoundTarget& target, PresetStore& store, QObject* parent)
    : QObject(parent)
    , m_target(target)
    , m_store(store)
    , m_settled(target.sound())
{
    connect(&target, &SoundTarget::soundChanged, this, &PresetController::soundChanged);
    connect(&target, &SoundTarget::soundReplaced, this, [this](const PresetSound& sound) {
        m_settled = sound;
        refresh();
    });
    connect(&store, &PresetStore::changed, this, [this] {
        refresh();
        emit stateChanged();
    });
    refresh();
}

QStringList PresetController::names() const
{
    return m_store.names();
}

QString PresetController::active() const
{
    return m_store.active();
}

bool PresetController::apply(const QString& name, QString* why)
{
    const Preset* preset = m_store.find(name);
    if (!preset) {
        *why = tr("there is no preset \"%1\"").arg(name);
        return false;
    }
    settle();
    const PresetSound sound = preset->sound;
    const SoundHistory::Side before{m_settled, m_store.active()};
    if (!go({sound, name}, Change::Whole, why))
        return false;
    m_history.record(before, {sound, name});
    qCInfo(lcPresets).noquote() << "applied the preset" << name;
    emit historyChanged();
    return true;
}

bool PresetController::saveCurrent(const QString& name, QString* why)
{
    settle();
    if (!m_store.save(name, m_target.sound(), why))
        return false;
    m_store.setActive(name);
    refresh();
    emit stateChanged();
    return true;
}

bool PresetController::undo(QString* why)
{
    settle();
    const std::optional<SoundHistory::Side> side = m_history.undo();
    if (!side) {
        *why = tr("there is nothing to undo");
        return false;
    }
    const SoundHistory::Side reached = reachable(*side);
    if (!go(reached, changeTo(reached), why)) {
        m_history.redo();
        return false;
    }
    emit historyChanged();
    return true;
}

bool PresetController::redo(QString* why)
{
    const std::optional<SoundHistory::Side> side = m_history.redo();
    if (!side) {
        *why = tr("there is nothing to redo");
        return false;
    }
    const SoundHistory::Side reached = reachable(*side);
    if (!go(reached, changeTo(reached), why)) {
        m_history.undo();
        return false;
    }
    emit historyChanged();
    return true;
}

// The target's changes, whatever made them. The ones this controller
// applies come back equal to m_settled and record nothing.
void PresetController::soundChanged(const PresetSound& sound, bool stepEnded)
{
    if (stepEnded && sound != m_settled) {
        const QString active = m_store.active();
        m_history.record({m_settled, active}, {sound, active});
        m_settled = sound;
    }
    // A step still going on can be undone already.
    emit historyChanged();
    refresh();
}

bool PresetController::unsettled() const
{
    return m_target.sound() != m_settled;
}

void PresetController::settle()
{
    if (!unsettled())
        return;
    soundChanged(m_target.sound(), true);
}

// A preset renamed or deleted since the step cannot be made active again:
// the step's sound comes back as a hand change, the active preset as it is.
SoundHistory::Side PresetController::reachable(SoundHistory::Side side) const
{
    if (!side.activePreset.isEmpty() && !m_store.find(side.activePreset))
        side.activePreset = m_store.active();
    return side;
}

// A step made by hand keeps the active preset; one that changes it was a
// preset applied.
PresetController::Change PresetController::changeTo(const SoundHistory::Side& side) const
{
    return side.activePreset == m_store.active() ? Change::ByHand : Change::Whole;
}

bool PresetController::go(const SoundHistory::Side& side, Change change, QString* why)
{
    const PresetSound previous = m_settled;
    // Set first: the target may announce the change before it returns.
    m_settled = side.sound;
    const bool done = change == Change::Whole ? m_target.applySound(side.sound, why)
                                              : m_target.restoreSound(side.sound, why);
    if (!done) {
        m_settled = previous;
        qCWarning(lcPresets).noquote() << "the sound could not be changed:" << *why;
        return false;
    }
    m_store.setActive(side.activePreset);
    refresh();
    return true;
}

// The mark follows the sound and the active preset's own sound.
void PresetController::refresh()
{
    const Preset* preset = m_store.find(m_store.active());
    const bool modified = preset && preset->sound != m_target.sound();
    if (modified == m_modified)
        return;
    m_modified = modified;
    emit stateChanged();
}
