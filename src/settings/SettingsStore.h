#pragma once

#include <optional>

#include <QString>

#include "settings/SettingsDictionary.h"

// Where the settings dictionary lives between runs: the property-list text
// under "plist" in the per-user settings file, or, when that holds nothing
// usable, the first-run defaults in "Config.plist".
class SettingsStore {
public:
    // The user's store, ~/.config/quorel-panel/quorel-panel.conf (INI), with
    // the defaults compiled into the program's resources.
    SettingsStore();
    // An explicit settings file (INI) and defaults file, e.g. for tests.
    SettingsStore(QString settingsFile, QString defaultsFile);

    // Larger settings files are damaged: the thirteen keys take about 1 KiB.
    static constexpr qint64 MaxFileSize = 64 * 1024;

    // The stored dictionary; else the defaults file's; else nothing. Damaged
    // stored data, a settings path that is not a regular file or one far too
    // large are logged and treated as absent, and left untouched; the file
    // is opened once, non-blocking, and read only when it is a regular file
    // of at most MaxFileSize. A stored key of the wrong kind is left out
    // alone (it reads 0 or false). *storedKept says whether a stored file
    // was there but could not be read at all, and is kept as it is.
    std::optional<SettingsDictionary> load(bool* storedKept = nullptr) const;

    // Writes the whole dictionary under "plist" and flushes it to disk; the
    // file is replaced atomically, so a crash mid-save keeps the previous
    // one. A damaged file is replaced, but one load() could not read at all
    // (not a regular file, far too large, not readable) is kept and nothing
    // is written. Returns false (and logs) when it could not be written.
    // Any thread: it touches nothing but the files.
    bool save(const SettingsDictionary& dictionary) const;

    QString settingsFile() const { return m_settingsFile; }
    QString defaultsFile() const { return m_defaultsFile; }

    // Only computed: the file is neither opened nor read.
    static QString defaultSettingsFile();
    static inline const QString defaultDefaultsFile = QStringLiteral(":/Config.plist");

private:
    std::optional<SettingsDictionary> loadStored(bool* storedKept) const;
    std::optional<SettingsDictionary> loadDefaults() const;

    QString m_settingsFile;
    QString m_defaultsFile;
};
