#pragma once

#include <QString>

// Why the entry could not be changed: in English for the log, and in the
// user's language for the window.
struct AutostartError {
    QString logged;
    QString shown;
};

// "Start at login": an XDG autostart entry, <config>/autostart/
// com.quorel.panel.desktop, that starts the panel in the background
// (--hidden). Whether it is on is whether the entry is there, so removing
// the file by hand turns it off too. Main thread; the entry is a few
// hundred bytes written at once.
class Autostart {
public:
    // `configHome` is $XDG_CONFIG_HOME (by default, or ~/.config).
    explicit Autostart(QString configHome = defaultConfigHome());

    static QString defaultConfigHome();
    // How the entry names the program: "quorel-panel" when that is what the
    // PATH finds, else this binary's absolute path.
    static QString programForEntry();
    // The entry's text for `program`, quoted as the Exec key requires.
    static QString entryText(const QString& program);

    QString entryPath() const;
    bool isEnabled() const;
    // Writes (replacing atomically) or removes the entry; false with the
    // reason in *why.
    bool enable(const QString& program, AutostartError* why);
    bool disable(AutostartError* why);

private:
    QString m_configHome;
};
