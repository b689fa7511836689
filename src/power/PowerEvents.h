#pragma once

#include <QObject>

// What the panel hears of the system's power state. Many USB devices lose
// their settings across a suspend while their node stays, and sound servers
// often choose another default on resume. Main thread.
class PowerEvents : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

signals:
    // The system has come back from suspend or hibernation.
    void resumed();
};
