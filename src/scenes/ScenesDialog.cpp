#include "scenes/ScenesDialog.h"

#include "presets/PresetStore.h"
#include "scenes/SceneController.h"
#include "scenes/SceneStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

ScenesDialog::ScenesDialog(SceneController& scenes, const PresetStore& presets, QWidget* parent)
    : QDialog(parent)
    , m_scenes(scenes)
    , m_presets(presets)
{
    setWindowTitle(tr("Scenes"));
    auto* layout = new QVBoxLayout(this);
    auto* about = new QLabel(tr("While an application records from the device, its scene's preset is the device's "
                                "sound; when it stops, your settings come back."),
                             this);
    about->setWordWrap(true);
    layout->addWidget(about);
    m_enabled = new QCheckBox(tr("Follow the scenes"), this);
    layout->addWidget(m_enabled);
    m_list = new QListWidget(this);
    m_list->setAccessibleName(tr("Scenes"));
    layout->addWidget(m_list);
    m_remove = new QPushButton(tr("Remove"), this);
    layout->addWidget(m_remove, 0, Qt::AlignRight);

    auto* form = new QFormLayout;
    m_application = new QComboBox(this);
    // An application not seen yet is typed by the name the sound server
    // will give it.
    m_application->setEditable(true);
    m_application->setInsertPolicy(QComboBox::NoInsert);
    form->addRow(tr("Application:"), m_application);
    m_preset = new QComboBox(this);
    form->addRow(tr("Preset:"), m_preset);
    layout->addLayout(form);
    m_add = new QPushButton(tr("Add"), this);
    layout->addWidget(m_add, 0, Qt::AlignRight);
    m_refusal = new QLabel(this);
    m_refusal->setWordWrap(true);
    layout->addWidget(m_refusal);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_add, &QPushButton::clicked, this, &ScenesDialog::add);
    connect(m_remove, &QPushButton::clicked, this, &ScenesDialog::removeChosen);
    connect(m_enabled, &QCheckBox::toggled, this, [this](bool on) { m_scenes.store().setEnabled(on); });
    connect(&scenes.store(), &SceneStore::changed, this, &ScenesDialog::refresh);
    connect(&presets, &PresetStore::changed, this, &ScenesDialog::refresh);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) { m_remove->setEnabled(row >= 0); });

    m_application->addItems(scenes.recentApplications());
    m_application->setCurrentText(QString());
    refresh();
}

ScenesDialog* ScenesDialog::openOver(QWidget* window, SceneController& scenes, const PresetStore& presets)
{
    auto* dialog = new ScenesDialog(scenes, presets, window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

void ScenesDialog::refresh()
{
    const SceneStore& store = m_scenes.store();
    m_enabled->setChecked(store.enabled());
    m_list->clear();
    for (const Scene& scene : store.scenes()) {
        auto* item = new QListWidgetItem(tr("%1: preset %2").arg(scene.application, scene.preset), m_list);
        item->setData(Qt::UserRole, scene.application);
    }
    m_remove->setEnabled(m_list->currentRow() >= 0);
    const QString chosen = m_preset->currentText();
    m_preset->clear();
    m_preset->addItems(m_presets.names());
    if (!chosen.isEmpty())
        m_preset->setCurrentText(chosen);
}

void ScenesDialog::add()
{
    QString why;
    if (m_scenes.store().add({m_application->currentText().trimmed(), m_preset->currentText()}, &why))
        why.clear();
    m_refusal->setText(why);
}

void ScenesDialog::removeChosen()
{
    const QListWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    QString why;
    m_scenes.store().remove(item->data(Qt::UserRole).toString(), &why);
    m_refusal->setText(why);
}
