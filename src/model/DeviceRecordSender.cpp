#include "model/DeviceRecordSender.h"

#include <vector>

DeviceRecordSender::DeviceRecordSender(const PanelModel& model, Send send, QObject* parent)
    : QObject(parent)
    , m_model(model)
    , m_send(std::move(send))
{
    connect(&model, &PanelModel::applied, this, &DeviceRecordSender::applied);
}

void DeviceRecordSender::sendAll()
{
    send(ChangeFullRefresh);
}

void DeviceRecordSender::applied(const SettingsChange& change)
{
    if (!m_model.link().linked)
        return;
    PanelFields fields;
    switch (change.origin) {
    case ChangeOrigin::Stored:
    case ChangeOrigin::Server:
        return;
    case ChangeOrigin::Control:
    case ChangeOrigin::Preset:
    case ChangeOrigin::Scene:
    case ChangeOrigin::StageReset:
        fields = change.requested;
        break;
    case ChangeOrigin::Remote:
    case ChangeOrigin::History:
        fields = change.changed;
        break;
    }
    std::vector<unsigned> codes;
    for (const SettingRow& row : settingRows()) {
        if ((fields & fieldOf(row.setting)) && row.changeCode != 0)
            codes.push_back(row.changeCode);
    }
    if (codes.empty())
        return;
    if (change.origin == ChangeOrigin::StageReset) {
        for (unsigned code : codes)
            send(code);
    } else if (codes.size() == 1 && change.origin != ChangeOrigin::Preset
               && change.origin != ChangeOrigin::Scene) {
        send(codes.front());
    } else {
        send(ChangeFullRefresh);
    }
}

void DeviceRecordSender::send(unsigned changeCode)
{
    m_record = rebuildControlPanelInfo(m_model.settings().recordValues(), changeCode);
    m_send(controlPanelReport(m_record));
}
