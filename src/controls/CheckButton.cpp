#include "controls/CheckButton.h"

#include "controls/CheckButtonDelegate.h"
#include "controls/ControlImageState.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

bool isLeftButton(QEvent* event)
{
    return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
}

} // namespace

CheckButton::CheckButton(QWidget* parent)
    : QPushButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

CheckButton::~CheckButton() = default;

void CheckButton::awakeFromNib()
{
    m_enableCheckedImage = NamedImage::named(QStringLiteral("enableChecked"));
    m_enableUncheckedImage = NamedImage::named(QStringLiteral("enableUnchecked"));
    m_disableCheckedImage = NamedImage::named(QStringLiteral("disableChecked"));
    m_disableUncheckedImage = NamedImage::named(QStringLiteral("disableUnchecked"));
    m_hoverCheckedImage = NamedImage::named(QStringLiteral("hoverChecked"));
    m_hoverUncheckedImage = NamedImage::named(QStringLiteral("hoverUnchecked"));
    updateGeometry();
}

void CheckButton::changeImage(int state)
{
    switch (static_cast<ControlImageState>(state)) {
    case ControlImageState::Enable:
        setImage(m_checked ? m_enableCheckedImage : m_enableUncheckedImage);
        break;
    case ControlImageState::Disable:
        setImage(m_checked ? m_disableCheckedImage : m_disableUncheckedImage);
        break;
    case ControlImageState::Hover:
        setImage(m_checked ? m_hoverCheckedImage : m_hoverUncheckedImage);
        break;
    default:
        break;
    }
}

void CheckButton::setImage(const NamedImage& image)
{
    m_image = image;
    update();
}

// As in Button: pointer events are taken here so that a disabled switch
// still answers them, and Qt's own toggle handling never runs.
bool CheckButton::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Enter:
        mouseEntered();
        return true;
    case QEvent::Leave:
        mouseExited();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: // each click of a double click toggles
        if (!isLeftButton(event))
            break;
        mouseDown();
        event->accept();
        return true;
    case QEvent::MouseButtonRelease:
        if (!isLeftButton(event))
            break;
        event->accept();
        return true;
    default:
        break;
    }
    return QPushButton::event(event);
}

void CheckButton::mouseEntered()
{
    changeImage(static_cast<int>(isEnabled() ? ControlImageState::Hover : ControlImageState::Disable));
}

void CheckButton::mouseExited()
{
    changeImage(static_cast<int>(isEnabled() ? ControlImageState::Enable : ControlImageState::Disable));
}

void CheckButton::mouseDown()
{
    if (!isEnabled()) {
        changeImage(static_cast<int>(ControlImageState::Disable));
        return;
    }
    m_checked = !m_checked;
    changeImage(static_cast<int>(ControlImageState::Hover));
    CheckButtonDelegate* target = delegate();
    if (!target)
        return;
    if (m_role == Denoise)
        target->DenoiseChanged();
    else
        target->MonitorChanged();
}

void CheckButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    m_image.draw(painter, m_image.placedIn(rect()));
}

QSize CheckButton::sizeHint() const
{
    return m_enableUncheckedImage.isNull() ? QPushButton::sizeHint()
                                           : m_enableUncheckedImage.size().toSize();
}

QSize CheckButton::minimumSizeHint() const
{
    return sizeHint();
}
