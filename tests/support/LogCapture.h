#pragma once

#include <QString>
#include <QStringList>
#include <QtMessageHandler>

// Collects every Qt log message while alive, so a test can check which
// lines the code under test wrote (and how often). Messages still reach
// the previous handler, so they show in the test output.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList messages() const;
    // How many captured messages contain `text`.
    int count(const QString& text) const;
    void clear();

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& message);
    QtMessageHandler m_previous = nullptr;
};
