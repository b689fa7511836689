#include "presets/PresetFile.h"

#include "presets/PresetFormat.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

std::optional<QByteArray> PresetFile::read(const QString& path, ReadStatus* status, QString* why)
{
    *status = ReadStatus::Refused;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            *status = ReadStatus::Missing;
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        *why = QCoreApplication::translate("PresetFile", "it is not a regular file");
        return std::nullopt;
    }
    if (info.st_size > PresetFormat::MaxFileSize) {
        ::close(fd);
        *why = QCoreApplication::translate("PresetFile", "it is %1 bytes, larger than %2 KiB")
                   .arg(static_cast<qint64>(info.st_size))
                   .arg(PresetFormat::MaxFileSize / 1024);
        return std::nullopt;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *why = file.errorString();
        return std::nullopt;
    }
    // One byte more than allowed tells a file that grew since fstat.
    QByteArray bytes = file.read(PresetFormat::MaxFileSize + 1);
    if (bytes.size() > PresetFormat::MaxFileSize) {
        *why = QCoreApplication::translate("PresetFile", "it is larger than %1 KiB")
                   .arg(PresetFormat::MaxFileSize / 1024);
        return std::nullopt;
    }
    if (file.error() != QFileDevice::NoError) {
        *why = file.errorString();
        return std::nullopt;
    }
    *status = ReadStatus::Read;
    return bytes;
}

bool PresetFile::write(const QString& path, const QByteArray& bytes, QString* why)
{
    const QString folder = QFileInfo(path).path();
    if (!QDir().mkpath(folder)) {
        *why = QCoreApplication::translate("PresetFile", "cannot create %1").arg(folder);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *why = file.errorString();
        return false;
    }
    return true;
}

std::optional<QString> PresetFile::setAside(const QString& path, const QDate& date, QString* why)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return QString();
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    const QString base = path + QStringLiteral(".unreadable-") + date.toString(Qt::ISODate);
    for (int n = 1;; ++n) {
        const QString candidate = n == 1 ? base : QStringLiteral("%1-%2").arg(base).arg(n);
        // rename() would replace a file set aside before.
        if (::lstat(QFile::encodeName(candidate).constData(), &info) == 0)
            continue;
        if (errno != ENOENT
            || ::rename(QFile::encodeName(path).constData(), QFile::encodeName(candidate).constData()) != 0) {
            *why = QString::fromLocal8Bit(std::strerror(errno));
            return std::nullopt;
        }
        return candidate;
    }
}
