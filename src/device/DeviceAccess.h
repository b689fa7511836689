#pragma once

#include <QString>
#include <QStringList>

// What a user whose panel may not open the device's HID node should do,
// which depends on how the panel was installed. Any thread.
namespace DeviceAccess {

inline const QString RuleName = QStringLiteral("70-quorel-panel.rules");
// The Debian package's list of the files it installed.
inline const QString PackageList = QStringLiteral("/var/lib/dpkg/info/quorel-panel.list");

// Where udev reads rules from, in its own order of precedence.
QStringList udevRuleDirs();

// How the running panel came onto the machine, as far as the fix cares.
enum class Install {
    RuleInPlace,  // the rule is installed (by the package or a source install)
    PackageNoRule, // installed from the package, but its rule is gone
    SourceNoRule,  // run from a build or installed without the rule
};

// Looks for the rule in `ruleDirs` and for the package's file list naming
// `program`.
Install detectInstall(const QStringList& ruleDirs, const QString& program, const QString& packageList);
// The same for this program on this machine.
Install detectInstall();

// One sentence naming the fix, with the commands to run, in the user's
// language; for the log, the same in English.
QString permissionFix(Install install);
QString permissionFixForLog(Install install);

}
