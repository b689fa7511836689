#include "model/PanelModel.h"

void PanelModel::setSettings(const PanelSettings& settings)
{
    const PanelSettings now = settings.bounded();
    const PanelFields fields = differingFields(m_settings, now);
    if (!fields)
        return;
    m_settings = now;
    emit settingsChanged(m_settings, fields);
}

void PanelModel::setSpeaker(int value)
{
    PanelSettings s = m_settings;
    s.speaker = value;
    setSettings(s);
}

void PanelModel::setMic(int value)
{
    PanelSettings s = m_settings;
    s.mic = value;
    setSettings(s);
}

void PanelModel::setMonitor(bool on)
{
    PanelSettings s = m_settings;
    s.sound.monitor = on;
    setSettings(s);
}

void PanelModel::setDenoise(bool on)
{
    PanelSettings s = m_settings;
    s.sound.denoise = on;
    setSettings(s);
}

void PanelModel::setStage(int number, int value)
{
    if (number < 1 || number > 5)
        return;
    PanelSettings s = m_settings;
    s.sound.stages[number - 1] = value;
    setSettings(s);
}

void PanelModel::setReverb(double value)
{
    PanelSettings s = m_settings;
    s.sound.reverb = value;
    setSettings(s);
}

void PanelModel::setMixer(bool on)
{
    PanelSettings s = m_settings;
    s.sound.mixer = on;
    setSettings(s);
}

void PanelModel::setSound(const SoundValues& sound)
{
    PanelSettings s = m_settings;
    s.sound = sound;
    setSettings(s);
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
