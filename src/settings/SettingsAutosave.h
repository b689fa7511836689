#pragma once

#include <chrono>

#include <QObject>
#include <QTimer>

#include "base/WorkQueue.h"
#include "settings/SettingsStore.h"

// Stores the settings about a second after the last change, once per burst
// of changes (a slider drag saves once, after it stops), so a crash, a kill
// or a power cut keeps what was changed before it. The file is written on a
// thread of its own; the dictionary is copied for it on the main thread.
// Lives on the main thread.
class SettingsAutosave : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds DefaultDelay{1000};

    explicit SettingsAutosave(SettingsStore store, std::chrono::milliseconds delay = DefaultDelay,
                              QObject* parent = nullptr);
    // Waits for a save under way; a pending one is dropped.
    ~SettingsAutosave() override;

    // Saves `dictionary` (not owned) after each burst of its changes. It must
    // outlive this object.
    void watch(SettingsDictionary& dictionary);

    // Drops a pending save and waits for one under way, so the caller may
    // save now without racing it (the shut-down does).
    void cancel();

    bool pending() const { return m_delay.isActive(); }

signals:
    // A save has finished; false when it could not be written (the store
    // has logged why).
    void saved(bool ok);

private:
    void save();

    SettingsStore m_store;
    SettingsDictionary* m_dictionary = nullptr;
    QTimer m_delay;
    WorkQueue m_writer{QStringLiteral("settings save")};
};
