#include "transport/FileKind.h"

#include <QFile>

#include <sys/stat.h>

QString nonRegularFileReason(unsigned mode)
{
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return QStringLiteral(QT_TRANSLATE_NOOP("Transport", "it is a folder"));
    if (S_ISFIFO(mode))
        return QStringLiteral(QT_TRANSLATE_NOOP("Transport", "it is a named pipe, not a file"));
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral(QT_TRANSLATE_NOOP("Transport", "it is a device, not a file"));
    if (S_ISSOCK(mode))
        return QStringLiteral(QT_TRANSLATE_NOOP("Transport", "it is a socket, not a file"));
    return QStringLiteral(QT_TRANSLATE_NOOP("Transport", "it is not a regular file"));
}

QString nonRegularFileReason(const QString& path)
{
    struct stat info{};
    if (stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return nonRegularFileReason(unsigned(info.st_mode));
}
