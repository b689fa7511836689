#pragma once

#include "base/WorkQueue.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

// One of the user's small store files (the presets', the scenes'): read
// once on the main thread (refused unless a regular file of at most 64 KiB,
// so the read never blocks), then written whole on a thread of its own,
// atomically and in the order asked. A file its store could not read is
// renamed "<file>.unreadable-<date>" before the first write, so nothing
// the user had is replaced. Lives on the main thread.
class StoreFile : public QObject {
    Q_OBJECT

public:
    explicit StoreFile(QString path, QObject* parent = nullptr);
    // Waits for the writes under way, so nothing saved is lost at exit.
    ~StoreFile() override;

    QString path() const { return m_path; }

    // The file's bytes; nothing when it is missing (*missing) or refused,
    // with *why.
    std::optional<QByteArray> read(bool* missing, QString* why) const;
    // Whether the store could not make sense of what read() gave, so the
    // next write sets the file aside first.
    void setUnreadable(bool unreadable);

    // Writes `bytes` in the file's place; ends in setAside() and failed()
    // when it must.
    void write(const QByteArray& bytes);
    // The queue the writes run on, for other file work that must keep its
    // place among them.
    WorkQueue& queue() { return m_queue; }
    // Blocks until every write asked for so far is done (tests, shut-down).
    void waitForWrites() { m_queue.waitUntilIdle(); }

signals:
    // The unreadable file is kept as `keptAs`.
    void setAside(const QString& keptAs);
    void failed(const QString& why);

private:
    QString m_path;
    // Made by setUnreadable(); then only the queue's jobs touch it, one after
    // another, so a write queued before an earlier one failed to set the file
    // aside still does not replace it.
    std::shared_ptr<bool> m_unreadable = std::make_shared<bool>(false);
    WorkQueue m_queue;
};
