#pragma once

#include <QLoggingCategory>

#include <cstdio>
#include <cstdlib>

// A broken promise of the code under test: printed and aborted, so
// libFuzzer keeps the input as a crash like any sanitizer report.
#define FUZZ_CHECK(condition)                                                                                  \
    do {                                                                                                        \
        if (!(condition)) {                                                                                     \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);                  \
            std::abort();                                                                                       \
        }                                                                                                       \
    } while (false)

// Damaged input is logged by the code under test; a log line for each of
// millions of inputs would cost most of the run.
inline void quietQtLogs()
{
    QLoggingCategory::setFilterRules(QStringLiteral("*=false"));
}
