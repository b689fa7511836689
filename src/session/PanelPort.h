#pragma once

#include "session/PanelState.h"
#include "session/SceneMap.h"

#include <QObject>
#include <QStringList>

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

    // The presets' names, factory ones first; empty while presets are not
    // available.
    virtual QStringList presets() const = 0;
    // The preset last chosen (empty for none), and whether the sound has
    // changed since.
    virtual QString activePreset() const = 0;
    virtual bool activePresetModified() const = 0;
    // Applies the preset `name` (one of presets()) as one change, as choosing
    // it in the window would; false with the reason in *why when refused.
    virtual bool applyPreset(const QString& name, QString* why) = 0;
    // Saves the current sound as the user preset `name` (new or
    // overwriting) and makes it the active one; false with *why when the
    // name is refused (a factory preset's, empty, ...).
    virtual bool savePreset(const QString& name, QString* why) = 0;

    // Whether the panel follows scenes; a port without them has none and
    // refuses each change.
    virtual bool scenesAvailable() const { return false; }
    virtual SceneMap scenes() const { return {}; }
    // The application of the scene in force; empty for none.
    virtual QString activeScene() const { return {}; }
    // Adds the scene, or gives the application's scene `preset` (one of
    // presets()); false with *why when refused.
    virtual bool addScene(const QString& application, const QString& preset, QString* why)
    {
        static_cast<void>(application);
        static_cast<void>(preset);
        static_cast<void>(why);
        return false;
    }
    // False with *why when there is no scene for `application`.
    virtual bool removeScene(const QString& application, QString* why)
    {
        static_cast<void>(application);
        static_cast<void>(why);
        return false;
    }

signals:
    // Something the state is made of may have changed; emitted at most once
    // per turn of the event loop.
    void stateMayHaveChanged();
};
