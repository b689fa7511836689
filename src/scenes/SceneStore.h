#pragma once

#include "presets/StoreFile.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// A scene: while the application records from the device's input, its
// preset is the device's sound.
struct Scene {
    // As the sound server names the application or its program; matched
    // without regard to case.
    QString application;
    QString preset;

    bool operator==(const Scene&) const = default;
};

// The user's scenes and the one switch for all of them, in a file of their
// own beside the presets, <config>/quorel-panel/scenes (never in the
// settings' "plist" value), in the presets' store text:
//
//   format=quorel-scenes
//   version=1
//   enabled=on
//   [Zoom]
//   preset=Voice
//
// Read once at start; every change writes the whole file on a thread of its
// own (StoreFile). What the panel does not understand (a header line, a
// damaged section) is kept and written back as it stands; a file that
// cannot be read at all offers no scenes and is set aside before the next
// write. Main thread.
class SceneStore : public QObject {
    Q_OBJECT

public:
    static constexpr int Version = 1;
    static constexpr int MaxScenes = 100;
    static constexpr int MaxNameLength = 64;

    explicit SceneStore(QString file = defaultFile(), QObject* parent = nullptr);

    static QString defaultFile();
    QString file() const { return m_file.path(); }

    // Returns one message per loss (also logged).
    QStringList load();

    QList<Scene> scenes() const { return m_scenes; }
    // The scene for `application`, matched without regard to case; null
    // when there is none.
    const Scene* find(const QString& application) const;
    bool enabled() const { return m_enabled; }
    void setEnabled(bool on);

    // Adds the scene, or gives the application's scene the preset; false
    // with *why for a name that cannot be one.
    bool add(const Scene& scene, QString* why);
    bool remove(const QString& application, QString* why);

    // A name an application or a preset may have in a scene: 1 to 64
    // characters, no control characters, not starting with "[" nor with or
    // after a space; *why says why not.
    static bool validName(const QString& name, QString* why);

    void waitForWrites() { m_file.waitForWrites(); }

signals:
    void changed();
    // A write failed, or the unreadable file was set aside (also logged).
    void failed(const QString& message);

private:
    void store();
    void fail(const QString& message);

    StoreFile m_file;
    QList<Scene> m_scenes;
    bool m_enabled = true;
    // Header lines and sections not understood, as they stand.
    QByteArray m_unreadHeader;
    QList<QByteArray> m_unreadSections;
};
