#pragma once

#include <QObject>

#include <functional>

#include "device/ControlPanelInfo.h"
#include "model/PanelModel.h"

// Sends the device the record each change of the model's settings calls
// for, and nothing else sends one. While the device is linked:
// - a control's change sends a record with its setting's change code, even
//   when the value stays (the reverb bar reports its press and release);
// - a change from the bus, the command line, the tray or undo sends what
//   the same change made by hand would: one setting's code when one changed,
//   a full record (code 8) when several did, nothing when none did;
// - a preset sends one full record; the stage reset one record a stage.
// Volumes go to the sound server, loads and the server's own volume
// changes nowhere. Main thread.
class DeviceRecordSender final : public QObject {
    Q_OBJECT

public:
    using Send = std::function<void(const ControlPanelReport& report)>;

    // `model` must outlive the sender; `send` writes a report when a device
    // is there to take it.
    DeviceRecordSender(const PanelModel& model, Send send, QObject* parent = nullptr);

    // The full record of the model's settings (the link, a resume, records
    // the device missed).
    void sendAll();
    // The last record built.
    const _IIS_CONTROL_PANEL_INFO& record() const { return m_record; }

private:
    void applied(const SettingsChange& change);
    void send(unsigned changeCode);

    const PanelModel& m_model;
    Send m_send;
    _IIS_CONTROL_PANEL_INFO m_record{};
};
