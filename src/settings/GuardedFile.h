#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QVariantMap>

// The panel's own small files (the settings, the background options) are
// opened only here: non-blocking, so a FIFO in their place cannot hold the
// caller, and read only when they are regular files of a sane size, so a
// huge one costs neither seconds nor memory. Any thread.
struct GuardedRead {
    enum class Outcome { Read, Missing, CannotOpen, NotRegular, TooLarge };
    Outcome outcome = Outcome::Missing;
    // Read: the whole file.
    QByteArray bytes;
    // CannotOpen: the errno.
    int error = 0;
    // TooLarge: its size.
    qint64 size = 0;

    // Neither read nor missing: such a file is kept as it is.
    bool refused() const { return outcome != Outcome::Read && outcome != Outcome::Missing; }
    // Why it was refused, in English for the log.
    QString loggedReason(const QString& path) const;
};

GuardedRead readGuarded(const QString& path, qint64 maxSize);

// The values in QSettings' INI text (keys as QSettings names them, e.g.
// "keepRunning"); nothing when QSettings finds the text damaged.
std::optional<QVariantMap> iniValues(const QByteArray& text);

// Writes `values` as QSettings' INI text into a new file beside `path` and
// renames it over, so a crash mid-write keeps the previous file; `durable`
// flushes both to disk first. A file at `path` that readGuarded() refuses is
// kept and nothing is written. On failure *why says why, in English.
bool replaceIniFile(const QString& path, qint64 maxSize, const QVariantMap& values, bool durable, QString* why);

// The errno's description in English, whatever the user's language.
QString englishErrorText(int error);
