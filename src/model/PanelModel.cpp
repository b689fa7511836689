#include "model/PanelModel.h"

SettingsBatch& SettingsBatch::set(PanelSetting setting, double value)
{
    values[static_cast<std::size_t>(setting)] = value;
    fields |= fieldOf(setting);
    return *this;
}

SettingsBatch SettingsBatch::of(PanelSetting setting, double value)
{
    return SettingsBatch().set(setting, value);
}

SettingsBatch SettingsBatch::ofSound(const SoundValues& sound)
{
    PanelSettings settings;
    settings.sound = sound;
    SettingsBatch batch;
    for (const SettingRow& row : settingRows()) {
        if (row.inSound)
            batch.set(row.setting, settings.value(row.setting));
    }
    return batch;
}

SettingsBatch SettingsBatch::ofAll(const PanelSettings& settings)
{
    SettingsBatch batch;
    for (const SettingRow& row : settingRows())
        batch.set(row.setting, settings.value(row.setting));
    return batch;
}

bool PanelModel::apply(const SettingsBatch& batch, ChangeOrigin origin, QString* why)
{
    PanelSettings now = m_settings;
    for (const SettingRow& row : settingRows()) {
        if (!(batch.fields & fieldOf(row.setting)))
            continue;
        const double value = batch.values[static_cast<std::size_t>(row.setting)];
        if (!settingInRange(row, value, why))
            return false;
        now.setValue(row.setting, value);
    }
    const PanelFields changed = differingFields(m_settings, now);
    m_settings = now;
    if (changed)
        emit settingsChanged(m_settings, changed);
    emit applied(SettingsChange{m_settings, batch.fields, changed, origin});
    return true;
}

void PanelModel::setLink(const LinkState& link)
{
    if (link == m_link)
        return;
    m_link = link;
    emit linkChanged(m_link);
}

void PanelModel::setFaults(const PanelFaults& faults)
{
    if (faults == m_faults)
        return;
    m_faults = faults;
    emit faultsChanged(m_faults);
}

void PanelModel::setTransportState(std::int64_t state)
{
    if (state == m_transport)
        return;
    m_transport = state;
    emit transportStateChanged(m_transport);
}
