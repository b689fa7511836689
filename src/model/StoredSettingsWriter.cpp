#include "model/StoredSettingsWriter.h"

#include "model/PanelModel.h"
#include "settings/SettingsDictionary.h"

StoredSettingsWriter::StoredSettingsWriter(const PanelModel& model, SettingsDictionary& file, QObject* parent)
    : QObject(parent)
    , m_model(model)
    , m_file(file)
{
    connect(&model, &PanelModel::applied, this, &StoredSettingsWriter::applied);
}

void StoredSettingsWriter::applied(const SettingsChange& change)
{
    PanelFields fields = change.changed;
    switch (change.origin) {
    case ChangeOrigin::Scene:
        m_sceneFields |= fields;
        return;
    case ChangeOrigin::Stored:
    case ChangeOrigin::Server:
        break;
    case ChangeOrigin::Control:
    case ChangeOrigin::Remote:
    case ChangeOrigin::Preset:
    case ChangeOrigin::History:
    case ChangeOrigin::StageReset:
        if (fields) {
            fields |= m_sceneFields;
            m_sceneFields = {};
        }
        break;
    }
    change.settings.storeFieldsInto(m_file, fields);
}

void StoredSettingsWriter::storeValues()
{
    m_model.settings().storeFieldsInto(m_file, allFields() & ~m_sceneFields);
}

void StoredSettingsWriter::storeAll()
{
    m_model.settings().storeInto(m_file, allFields() & ~m_sceneFields);
}
