#include "LogCapture.h"

#include <mutex>

namespace {
std::mutex g_mutex;
QStringList g_messages;
LogCapture* g_active = nullptr;
QtMessageHandler g_previous = nullptr;
}

LogCapture::LogCapture()
{
    std::lock_guard lock(g_mutex);
    g_messages.clear();
    g_active = this;
    m_previous = qInstallMessageHandler(&LogCapture::handler);
    g_previous = m_previous;
}

LogCapture::~LogCapture()
{
    std::lock_guard lock(g_mutex);
    qInstallMessageHandler(m_previous);
    g_active = nullptr;
    g_previous = nullptr;
}

// Runs on whichever thread logs.
void LogCapture::handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    QtMessageHandler previous = nullptr;
    {
        std::lock_guard lock(g_mutex);
        if (g_active)
            g_messages.append(message);
        previous = g_previous;
    }
    if (previous)
        previous(type, context, message);
}

QStringList LogCapture::messages() const
{
    std::lock_guard lock(g_mutex);
    return g_messages;
}

int LogCapture::count(const QString& text) const
{
    std::lock_guard lock(g_mutex);
    int n = 0;
    for (const QString& m : g_messages)
        n += m.contains(text) ? 1 : 0;
    return n;
}

void LogCapture::clear()
{
    std::lock_guard lock(g_mutex);
    g_messages.clear();
}
