#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTest>

#include <chrono>
#include <functional>

// What the real binary printed and how it ended; -1 when it did not end in
// time or crashed.
struct PanelCommandResult {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs `binary` with `arguments` while this process's event loop keeps
// turning (it may be answering the binary on a private bus). `childSetUp`
// runs in the child before it starts the binary.
inline PanelCommandResult runPanelCommand(const QString& binary, const QStringList& arguments,
                                          const QProcessEnvironment& env,
                                          std::chrono::milliseconds bound = std::chrono::seconds(20),
                                          const std::function<void()>& childSetUp = {})
{
    QProcess process;
    process.setProcessEnvironment(env);
    if (childSetUp)
        process.setChildProcessModifier(childSetUp);
    process.start(binary, arguments);
    PanelCommandResult result;
    if (!process.waitForStarted(5000)
        || !QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, static_cast<int>(bound.count()))) {
        process.kill();
        process.waitForFinished(2000);
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}
