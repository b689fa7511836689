#include "app/LinkingSheet.h"

#include "ui_LinkingSheet.h"

LinkingSheet::LinkingSheet(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_ui(std::make_unique<Ui::LinkingSheet>())
{
    m_ui->setupUi(this);
    setWindowModality(Qt::WindowModal);
    setObjectName(QStringLiteral("LinkingPanel"));
}

LinkingSheet::~LinkingSheet() = default;

void LinkingSheet::showEvent(QShowEvent* event)
{
    if (QWidget* owner = parentWidget()) {
        const QRect frame = owner->geometry();
        move(frame.x() + (frame.width() - width()) / 2, frame.y());
    }
    QDialog::showEvent(event);
}

void LinkingSheet::setVisible(bool visible)
{
    if (visible && parentWidget() && !parentWidget()->isVisible())
        return;
    QDialog::setVisible(visible);
}

void LinkingSheet::reject() {}
