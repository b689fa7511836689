#include "app/PresetWindowControls.h"

#include "app/MainWindow.h"
#include "controls/MessageBand.h"
#include "controls/PresetSelector.h"
#include "presets/PresetController.h"
#include "presets/PresetStore.h"
#include "presets/PresetsLog.h"
#include "presets/UndoActions.h"

#include <QAction>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {


QAction* separator(QObject* parent)
{
    auto* action = new QAction(parent);
    action->setSeparator(true);
    return action;
}

// A name asked for over the window; `answered` gets it when confirmed.
template<typename Answered>
void askName(QWidget* window, const QString& title, const QString& label, const QString& name, Answered answered)
{
    auto* dialog = new QInputDialog(window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setWindowTitle(title);
    dialog->setLabelText(label);
    dialog->setTextValue(name);
    QObject::connect(dialog, &QInputDialog::textValueSelected, window,
                     [answered](const QString& text) { answered(text.trimmed()); });
    dialog->open();
}

} // namespace

PresetWindowControls::PresetWindowControls(MainWindow& window, PresetController& presets, QObject* parent)
    : QObject(parent)
    , m_window(window)
    , m_presets(presets)
    , m_undo(new UndoActions(presets, this))
{
    connect(window.presetSelector(), &PresetSelector::presetChosen, this, &PresetWindowControls::choose);
    connect(m_undo, &UndoActions::failed, this, &PresetWindowControls::showMessage);
    connect(&presets, &PresetController::stateChanged, this, &PresetWindowControls::refresh);

    PresetStore& store = presets.store();
    connect(&store, &PresetStore::failed, this, &PresetWindowControls::showMessage);
    connect(&store, &PresetStore::imported, this,
            [this](const QString& name) { showMessage(tr("Imported the preset \"%1\".").arg(name)); });
    connect(&store, &PresetStore::exported, this,
            [this](const QString& path) { showMessage(tr("Exported the preset to %1.").arg(path)); });

    m_saveAs = makeAction(tr("Save preset as…"), &PresetWindowControls::askSaveAs);
    m_rename = makeAction(tr("Rename preset…"), &PresetWindowControls::askRename);
    m_delete = makeAction(tr("Delete preset"), &PresetWindowControls::askDelete);
    m_import = makeAction(tr("Import preset…"), &PresetWindowControls::askImport);
    m_export = makeAction(tr("Export preset…"), &PresetWindowControls::askExport);
    QList<QAction*> actions{m_undo->undoAction(), m_undo->redoAction(), separator(this), m_saveAs, m_rename,
                            m_delete, separator(this), m_import, m_export};
    // The window's actions are its shortcuts and, with nothing under the
    // pointer taking the menu itself, its context menu; these go before the
    // ones already there (the tray's options).
    QAction* before = window.actions().value(0);
    if (before)
        actions.append(separator(this));
    window.insertActions(before, actions);
    window.setContextMenuPolicy(Qt::ActionsContextMenu);
    refresh();
}

QAction* PresetWindowControls::undoAction() const
{
    return m_undo->undoAction();
}

QAction* PresetWindowControls::redoAction() const
{
    return m_undo->redoAction();
}

QAction* PresetWindowControls::makeAction(const QString& text, void (PresetWindowControls::*ask)())
{
    auto* action = new QAction(text, this);
    connect(action, &QAction::triggered, this, ask);
    return action;
}

void PresetWindowControls::showMessage(const QString& text)
{
    if (MessageBand* band = m_window.outlets().messageBand)
        band->announce(QStringLiteral("presets"), text, std::chrono::seconds(5));
}

void PresetWindowControls::fail(const QString& logged, const QString& shown)
{
    qCWarning(lcPresets).noquote() << logged;
    showMessage(shown);
}

void PresetWindowControls::refresh()
{
    PresetSelector* selector = m_window.presetSelector();
    selector->setPresets(m_presets.names());
    selector->setActive(m_presets.active(), m_presets.modified());
    const bool userPreset = !activeUserPreset().isEmpty();
    m_rename->setEnabled(userPreset);
    m_delete->setEnabled(userPreset);
    m_export->setEnabled(!m_presets.active().isEmpty());
}

QString PresetWindowControls::activeUserPreset() const
{
    const Preset* preset = m_presets.store().find(m_presets.active());
    return preset && !preset->factory ? preset->name : QString();
}

void PresetWindowControls::choose(const QString& name)
{
    QString why;
    if (!m_presets.apply(name, &why))
        fail(QStringLiteral("Cannot apply the preset \"%1\": %2").arg(name, why),
             tr("Cannot apply the preset \"%1\": %2").arg(name, why));
}

void PresetWindowControls::askSaveAs()
{
    askName(&m_window, tr("Save Preset"),
            tr("Save the current sound as the preset (a preset of yours of the same name is replaced):"),
            activeUserPreset(), [this](const QString& name) {
                QString why;
                if (!m_presets.saveCurrent(name, &why))
                    fail(QStringLiteral("Cannot save the preset \"%1\": %2").arg(name, why),
                         tr("Cannot save the preset \"%1\": %2").arg(name, why));
            });
}

void PresetWindowControls::askRename()
{
    const QString from = activeUserPreset();
    if (from.isEmpty())
        return;
    askName(&m_window, tr("Rename Preset"), tr("New name of the preset \"%1\":").arg(from), from,
            [this, from](const QString& to) {
                QString why;
                if (to != from && !m_presets.store().rename(from, to, &why))
                    fail(QStringLiteral("Cannot rename the preset \"%1\": %2").arg(from, why),
                         tr("Cannot rename the preset \"%1\": %2").arg(from, why));
            });
}

void PresetWindowControls::askDelete()
{
    const QString name = activeUserPreset();
    if (name.isEmpty())
        return;
    auto* box = new QMessageBox(QMessageBox::Question, tr("Delete Preset"),
                                tr("Delete the preset \"%1\"? The sound stays as it is.").arg(name),
                                QMessageBox::Cancel, &m_window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    QPushButton* remove = box->addButton(tr("Delete"), QMessageBox::DestructiveRole);
    connect(remove, &QPushButton::clicked, this, [this, name] {
        QString why;
        if (!m_presets.store().remove(name, &why))
            fail(QStringLiteral("Cannot delete the preset \"%1\": %2").arg(name, why),
                 tr("Cannot delete the preset \"%1\": %2").arg(name, why));
    });
    box->open();
}

void PresetWindowControls::askImport()
{
    auto* dialog = new QFileDialog(&m_window, tr("Import Preset"), QString(), tr("Quorel presets (*.qpreset)"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    connect(dialog, &QFileDialog::fileSelected, this,
            [this](const QString& path) { m_presets.store().importFile(path); });
    dialog->open();
}

void PresetWindowControls::askExport()
{
    const QString name = m_presets.active();
    if (name.isEmpty())
        return;
    auto* dialog = new QFileDialog(&m_window, tr("Export Preset"), QString(), tr("Quorel presets (*.qpreset)"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("qpreset"));
    dialog->selectFile(name + QStringLiteral(".qpreset"));
    connect(dialog, &QFileDialog::fileSelected, this, [this, name](const QString& path) {
        QString why;
        if (!m_presets.store().exportFile(name, path, &why))
            fail(QStringLiteral("Cannot export the preset \"%1\": %2").arg(name, why),
                 tr("Cannot export the preset \"%1\": %2").arg(name, why));
    });
    dialog->open();
}
