#pragma once

#include "presets/Preset.h"
#include "presets/PresetFormat.h"
#include "presets/StoreFile.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>


// The presets a user can choose: the factory ones and the user's own, kept
// in a file of their own, <config>/quorel-panel/presets (never in the
// settings' "plist" value), with the name of the preset last chosen.
//
// Files: the store is read once at start on the main thread, as the
// settings are; it is refused unless it is a regular file of at most 64 KiB
// (at most 200 presets, about 25 KiB, fit within it), so that read costs
// about a millisecond for a full store (build/bench/preset_store_bench)
// and can never block on a FIFO or a device. Every change writes
// the whole store on a writer thread of its own (flushing to disk can take
// long on a busy disk), atomically and in order; so do import and export,
// whose files the user picks anywhere. Results come back queued to the
// main thread. Lives on the main thread.
class PresetStore : public QObject {
    Q_OBJECT

public:
    static constexpr int MaxUserPresets = 200;

    explicit PresetStore(QString file = defaultFile(), QObject* parent = nullptr);
    // Waits for the writes under way, so nothing saved is lost at exit.
    ~PresetStore() override;

    static QString defaultFile();
    QString file() const { return m_file.path(); }

    // Reads the store. A damaged preset is left out and so are those past
    // MaxUserPresets; they stay in the file, written back as they stand. A
    // file that cannot be read at all (refused, or from a newer panel)
    // offers only the factory presets, and is set aside (renamed to
    // "presets.unreadable-<date>", said through failed()) before the next
    // write. Returns one message per loss, naming the preset (also logged).
    QStringList load();

    // Factory presets first, then the user's in the order they were made.
    QList<Preset> all() const;
    QStringList names() const;
    // The preset of exactly this name, or null.
    const Preset* find(const QString& name) const;

    // The preset last chosen, empty for none; kept with the presets.
    QString active() const { return m_active; }
    void setActive(const QString& name);

    // Saves `sound` under `name`: a new user preset, or overwriting the
    // user's preset of that name. Factory names are refused.
    bool save(const QString& name, const PresetSound& sound, QString* why);
    bool rename(const QString& from, const QString& to, QString* why);
    bool remove(const QString& name, QString* why);

    // Reads one .qpreset and adds it as a user preset; a name already
    // taken gets " 2", " 3"... Ends in imported() or failed(); a file
    // that fails any check adds nothing.
    void importFile(const QString& path);
    // Writes the preset `name` to `path`; ends in exported() or failed().
    bool exportFile(const QString& name, const QString& path, QString* why);

    // Blocks until every write and import asked for so far is done (tests,
    // shut-down).
    void waitForFiles();

    // Whether a preset may be saved or renamed to `name`: a valid name
    // that is not a factory preset's; the reason in *why when not.
    static bool checkNewName(const QString& name, QString* why);

signals:
    void changed();
    void imported(const QString& name);
    void exported(const QString& path);
    // A file operation failed after it started, or the file load() could
    // not read was set aside; the message says which file and why (also
    // logged).
    void failed(const QString& message);

private:
    Preset* findUser(const QString& name);
    QString freeName(const QString& name) const;
    void addImported(Preset preset, const QString& path);
    void store();
    void fail(const QString& message);

    StoreFile m_file;
    QList<Preset> m_user;
    QString m_active;
    PresetFormat::Unread m_unread;
};
