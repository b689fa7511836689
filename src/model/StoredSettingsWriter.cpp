#include "model/StoredSettingsWriter.h"

#include "model/PanelModel.h"
#include "settings/SettingsDictionary.h"

StoredSettingsWriter::StoredSettingsWriter(const PanelModel& model, SettingsDictionary& file, QObject* parent)
    : QObject(parent)
    , m_model(model)
    , m_file(file)
{
    connect(&model, &PanelModel::settingsChanged, this,
            [this](const PanelSettings& settings, PanelFields fields) { settings.storeFieldsInto(m_file, fields); });
}

void StoredSettingsWriter::storeValues()
{
    m_model.settings().storeFieldsInto(m_file, allFields());
}

void StoredSettingsWriter::storeAll()
{
    m_model.settings().storeInto(m_file);
}
