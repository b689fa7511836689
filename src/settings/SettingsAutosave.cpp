#include "settings/SettingsAutosave.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSettingsAutosave, "quorel.settings.autosave")

SettingsAutosave::SettingsAutosave(SettingsStore store, std::chrono::milliseconds delay, QObject* parent)
    : QObject(parent)
    , m_store(std::move(store))
{
    m_delay.setSingleShot(true);
    m_delay.setInterval(delay);
    connect(&m_delay, &QTimer::timeout, this, &SettingsAutosave::save);
}

SettingsAutosave::~SettingsAutosave()
{
    cancel();
    if (m_dictionary)
        m_dictionary->setChangeListener(nullptr);
}

void SettingsAutosave::watch(SettingsDictionary& dictionary)
{
    m_dictionary = &dictionary;
    // Every change restarts the delay: one save per burst.
    dictionary.setChangeListener([this] { m_delay.start(); });
}

void SettingsAutosave::cancel()
{
    m_delay.stop();
    m_writer.waitUntilIdle();
}

// Main thread, from the delay.
void SettingsAutosave::save()
{
    if (!m_dictionary)
        return;
    m_writer.ask(
        this,
        // Writer thread: only the copies and the files.
        [store = m_store, dictionary = *m_dictionary] { return store.save(dictionary); },
        // Main thread.
        [](SettingsAutosave* autosave, bool ok) {
            if (ok)
                qCDebug(lcSettingsAutosave).noquote() << "settings saved to" << autosave->m_store.settingsFile();
            emit autosave->saved(ok);
        });
}
