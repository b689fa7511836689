#include "session/Autostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// The Exec key's quoting, as freedesktop.org's desktop entries have it: an
// argument with a reserved character goes in double quotes with ", `, $
// and \ escaped; '%' is doubled. The string-level escape then doubles each
// backslash.
QString execArgument(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString text = argument;
    text.replace(QLatin1Char('%'), QStringLiteral("%%"));
    const bool quote = std::any_of(text.cbegin(), text.cend(), [](QChar c) { return reserved.contains(c); });
    if (quote) {
        QString quoted;
        for (QChar c : text) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        text = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return text;
}

} // namespace

Autostart::Autostart(QString configHome)
    : m_configHome(std::move(configHome))
{
}

QString Autostart::defaultConfigHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString Autostart::programForEntry()
{
    const QString self = QCoreApplication::applicationFilePath();
    const QString found = QStandardPaths::findExecutable(QStringLiteral("quorel-panel"));
    if (!found.isEmpty() && QFileInfo(found).canonicalFilePath() == QFileInfo(self).canonicalFilePath())
        return QStringLiteral("quorel-panel");
    return self;
}

QString Autostart::entryText(const QString& program)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Quorel Panel\n"
                          "Comment=Keeps the Quorel IIS Audio set up whenever it is plugged in\n"
                          "Exec=%1 --hidden\n"
                          "Icon=com.quorel.panel\n"
                          "Terminal=false\n"
                          "NoDisplay=true\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execArgument(program));
}

QString Autostart::entryPath() const
{
    return QDir(m_configHome).filePath(QStringLiteral("autostart/com.quorel.panel.desktop"));
}

bool Autostart::isEnabled() const
{
    return QFileInfo::exists(entryPath());
}

bool Autostart::enable(const QString& program, AutostartError* why)
{
    const QString path = entryPath();
    const QString folder = QFileInfo(path).path();
    if (!QDir().mkpath(folder)) {
        *why = {QStringLiteral("cannot make the folder %1").arg(folder),
                QCoreApplication::translate("Autostart", "cannot make the folder %1").arg(folder)};
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entryText(program).toUtf8()) < 0 || !file.commit()) {
        *why = {QStringLiteral("cannot write %1: %2").arg(path, file.errorString()),
                QCoreApplication::translate("Autostart", "cannot write %1: %2").arg(path, file.errorString())};
        return false;
    }
    return true;
}

bool Autostart::disable(AutostartError* why)
{
    QFile file(entryPath());
    if (!file.exists() || file.remove())
        return true;
    *why = {QStringLiteral("cannot remove %1: %2").arg(file.fileName(), file.errorString()),
            QCoreApplication::translate("Autostart", "cannot remove %1: %2").arg(file.fileName(), file.errorString())};
    return false;
}
