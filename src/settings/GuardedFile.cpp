#include "settings/GuardedFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>

QString englishErrorText(int error)
{
    // strerror() follows LC_MESSAGES; log lines and bug reports are English.
    const char* text = ::strerrordesc_np(error);
    return text ? QString::fromLatin1(text) : QStringLiteral("error %1").arg(error);
}

QString GuardedRead::loggedReason(const QString& path) const
{
    switch (outcome) {
    case Outcome::CannotOpen:
        return QStringLiteral("%1 cannot be read (%2)").arg(path, englishErrorText(error));
    case Outcome::NotRegular:
        return QStringLiteral("%1 is not a regular file").arg(path);
    case Outcome::TooLarge:
        return QStringLiteral("%1 is damaged (%2 bytes, far more than it should hold)").arg(path).arg(size);
    case Outcome::Read:
    case Outcome::Missing:
        break;
    }
    return {};
}

GuardedRead readGuarded(const QString& path, qint64 maxSize)
{
    GuardedRead result;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.error = errno;
        result.outcome = result.error == ENOENT ? GuardedRead::Outcome::Missing : GuardedRead::Outcome::CannotOpen;
        return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        result.outcome = GuardedRead::Outcome::NotRegular;
        return result;
    }
    result.size = info.st_size;
    if (info.st_size > maxSize) {
        ::close(fd);
        result.outcome = GuardedRead::Outcome::TooLarge;
        return result;
    }
    // One byte more than allowed tells a file that grew since the stat.
    result.bytes.resize(maxSize + 1);
    qint64 filled = 0;
    while (filled < result.bytes.size()) {
        const ssize_t got = ::read(fd, result.bytes.data() + filled, static_cast<size_t>(result.bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            result.error = errno;
            ::close(fd);
            result.bytes.clear();
            result.outcome = GuardedRead::Outcome::CannotOpen;
            return result;
        }
        if (got == 0)
            break;
        filled += got;
    }
    ::close(fd);
    result.bytes.truncate(filled);
    result.size = filled;
    result.outcome = filled > maxSize ? GuardedRead::Outcome::TooLarge : GuardedRead::Outcome::Read;
    if (result.outcome == GuardedRead::Outcome::TooLarge)
        result.bytes.clear();
    return result;
}

// QSettings parses only files it opens by name, so the bytes already read
// are handed to it in a private copy rather than letting it open the
// user's file again.
std::optional<QVariantMap> iniValues(const QByteArray& text)
{
    QTemporaryFile copy(QDir(QDir::tempPath()).filePath(QStringLiteral("quorel-panel-ini.XXXXXX")));
    if (!copy.open() || copy.write(text) != text.size() || !copy.flush())
        return std::nullopt;
    const QSettings settings(copy.fileName(), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return std::nullopt;
    QVariantMap values;
    for (const QString& key : settings.allKeys())
        values.insert(key, settings.value(key));
    return values;
}

bool replaceIniFile(const QString& path, qint64 maxSize, const QVariantMap& values, bool durable, QString* why)
{
    const auto fail = [why](const QString& text) {
        if (why)
            *why = text;
        return false;
    };
    // A file the panel cannot read may be the user's; it is theirs to move.
    const GuardedRead existing = readGuarded(path, maxSize);
    if (existing.refused())
        return fail(existing.loggedReason(path) + QStringLiteral("; it is kept"));

    const QFileInfo target(path);
    if (!QDir().mkpath(target.path()))
        return fail(QStringLiteral("cannot create %1").arg(target.path()));
    QTemporaryFile temporary(path + QStringLiteral(".XXXXXX"));
    if (!temporary.open())
        return fail(temporary.errorString());
    {
        QSettings settings(temporary.fileName(), QSettings::IniFormat);
        for (auto value = values.begin(); value != values.end(); ++value)
            settings.setValue(value.key(), value.value());
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return fail(QStringLiteral("the new file could not be written"));
    }
    // QSettings wrote through a descriptor of its own; this one sees the
    // same file.
    if (durable && ::fsync(temporary.handle()) != 0)
        return fail(englishErrorText(errno));
    if (::rename(QFile::encodeName(temporary.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return fail(englishErrorText(errno));
    temporary.setAutoRemove(false);

    if (durable) {
        // The rename itself reaches the disk with the folder.
        const int folder = ::open(QFile::encodeName(target.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
    }
    return true;
}
