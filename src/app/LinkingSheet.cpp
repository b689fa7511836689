#include "app/LinkingSheet.h"

#include "ui_LinkingSheet.h"

#include <QApplication>
#include <QEvent>

namespace {

bool placesItsOwnWindows()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool isInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
        return true;
    default:
        return false;
    }
}

} // namespace

LinkingSheet::LinkingSheet(QWidget* parent, Placement placement)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_ui(std::make_unique<Ui::LinkingSheet>())
{
    m_ui->setupUi(this);
    setWindowModality(Qt::WindowModal);
    setObjectName(QStringLiteral("LinkingPanel"));
    if (placement == Placement::ForPlatform)
        placement = placesItsOwnWindows() ? Placement::OwnWindow : Placement::InsideWindow;
    if (placement == Placement::InsideWindow && parent) {
        setWindowFlags(Qt::Widget);
        // A child paints no background of its own unless asked to.
        setAttribute(Qt::WA_StyledBackground);
    }
}

LinkingSheet::~LinkingSheet() = default;

void LinkingSheet::showEvent(QShowEvent* event)
{
    if (QWidget* owner = parentWidget()) {
        if (isWindow()) {
            const QRect frame = owner->geometry();
            move(frame.x() + (frame.width() - width()) / 2, frame.y());
        } else {
            // Only a window is held to its layout's minimum (a longer
            // translation needs more room).
            resize(size().expandedTo(minimumSizeHint()));
            move((owner->width() - width()) / 2, 0);
            raise();
            qApp->installEventFilter(this);
        }
    }
    QDialog::showEvent(event);
}

void LinkingSheet::hideEvent(QHideEvent* event)
{
    qApp->removeEventFilter(this);
    QDialog::hideEvent(event);
}

// Inside its window the sheet holds the window's input as a window-modal
// one does: what is meant for the window's other widgets goes nowhere.
bool LinkingSheet::eventFilter(QObject* watched, QEvent* event)
{
    if (!isInput(event->type()) || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    return widget->window() == window() && widget != this && !isAncestorOf(widget);
}

void LinkingSheet::setVisible(bool visible)
{
    if (visible && parentWidget() && !parentWidget()->isVisible())
        return;
    QDialog::setVisible(visible);
}

void LinkingSheet::reject() {}
