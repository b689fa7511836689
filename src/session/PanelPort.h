#pragma once

#include "session/PanelState.h"

#include <QObject>

// The running panel as the session interface and the tray drive it: its
// state, and each setting changed through the same operation as the
// window's control uses. The controller's side implements it; main thread
// only.
class PanelPort : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual PanelState state() const = 0;
    // Sets one setting as the user would in the window; false, with the
    // reason in *why, when the panel refuses (the device is not linked).
    // The value is within the key's range (checked by the caller).
    virtual bool set(PanelSetting setting, int value, QString* why) = 0;
    // Shows the window and brings it to the front.
    virtual void showWindow() = 0;

signals:
    // Something the state is made of may have changed; emitted at most once
    // per turn of the event loop.
    void stateMayHaveChanged();
};
