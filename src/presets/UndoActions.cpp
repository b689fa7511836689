#include "presets/UndoActions.h"

#include "presets/PresetController.h"

#include <QAction>

UndoActions::UndoActions(PresetController& presets, QObject* parent)
    : QObject(parent)
    , m_presets(presets)
    , m_undo(new QAction(tr("Undo"), this))
    , m_redo(new QAction(tr("Redo"), this))
{
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    connect(m_undo, &QAction::triggered, this, [this] {
        QString why;
        if (!m_presets.undo(&why))
            emit failed(tr("Cannot undo: %1").arg(why));
    });
    connect(m_redo, &QAction::triggered, this, [this] {
        QString why;
        if (!m_presets.redo(&why))
            emit failed(tr("Cannot redo: %1").arg(why));
    });
    connect(&presets, &PresetController::historyChanged, this, &UndoActions::refresh);
    refresh();
}

void UndoActions::refresh()
{
    m_undo->setEnabled(m_presets.canUndo());
    m_redo->setEnabled(m_presets.canRedo());
}
