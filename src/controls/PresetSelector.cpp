#include "controls/PresetSelector.h"

#include "controls/ControlsAccessibility.h"
#include "controls/FocusRing.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

#include <algorithm>

namespace {

// Room at the field's right end for the chevron, and the text's margins.
constexpr qreal kChevronWidth = 28;
constexpr qreal kTextMargin = 10;
constexpr qreal kDotGap = 6;

const QColor kText(0xdd, 0xe2, 0xe8);
const QColor kMutedText(0x9a, 0xa3, 0xae);
const QColor kDisabledText(0x5d, 0x64, 0x70);

} // namespace

PresetSelector::PresetSelector(QWidget* parent)
    : QWidget(parent)
    , m_enableImage(NamedImage::named(QStringLiteral("presetEnable")))
    , m_hoverImage(NamedImage::named(QStringLiteral("presetHover")))
    , m_disableImage(NamedImage::named(QStringLiteral("presetDisable")))
    , m_modifiedImage(NamedImage::named(QStringLiteral("presetModified")))
    , m_focusRingImage(NamedImage::named(QStringLiteral("focusRingPreset")))
{
    installControlsAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
}

void PresetSelector::setPresets(const QStringList& names)
{
    if (names == m_presets)
        return;
    m_presets = names;
    update();
}

void PresetSelector::setActive(const QString& name, bool modified)
{
    if (name == m_active && modified == m_modified)
        return;
    m_active = name;
    m_modified = modified;
    update();
    announce();
}

QString PresetSelector::valueText() const
{
    if (m_active.isEmpty())
        return tr("No preset");
    return m_modified ? tr("%1, modified").arg(m_active) : m_active;
}

void PresetSelector::announce()
{
    QAccessibleValueChangeEvent event(this, valueText());
    QAccessible::updateAccessibility(&event);
}

QMenu* PresetSelector::openList() const
{
    return m_list && m_list->isVisible() ? m_list : nullptr;
}

// A popup, never a nested event loop: the choice arrives as a signal.
void PresetSelector::showList()
{
    if (!isEnabled() || m_presets.isEmpty())
        return;
    if (!m_list) {
        m_list = new QMenu(this);
        m_list->setAccessibleName(tr("Presets"));
    }
    m_list->clear();
    QAction* activeAction = nullptr;
    for (const QString& name : m_presets) {
        QAction* action = m_list->addAction(name);
        action->setCheckable(true);
        action->setChecked(name == m_active);
        if (name == m_active)
            activeAction = action;
        connect(action, &QAction::triggered, this, [this, name] { emit presetChosen(name); });
    }
    m_list->setMinimumWidth(width());
    m_list->popup(mapToGlobal(QPoint(0, height())));
    // The keys in the list start from the active preset.
    if (activeAction)
        m_list->setActiveAction(activeAction);
}

void PresetSelector::chooseRelative(int offset)
{
    if (m_presets.isEmpty())
        return;
    const qsizetype at = m_presets.indexOf(m_active);
    qsizetype next = at < 0 ? (offset > 0 ? 0 : m_presets.size() - 1) : at + offset;
    next = std::clamp<qsizetype>(next, 0, m_presets.size() - 1);
    if (next != at)
        emit presetChosen(m_presets[next]);
}

QSize PresetSelector::sizeHint() const
{
    return m_enableImage.size().toSize();
}

QSize PresetSelector::minimumSizeHint() const
{
    return sizeHint();
}

void PresetSelector::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF field = rect();
    const NamedImage& face = !isEnabled() ? m_disableImage : m_hovered ? m_hoverImage : m_enableImage;
    face.draw(painter, field);

    QRectF textArea = field.adjusted(kTextMargin, 0, -kChevronWidth, 0);
    if (m_modified && !m_active.isEmpty()) {
        const QSizeF dot = m_modifiedImage.size();
        const QRectF dotRect(textArea.right() - dot.width(), field.center().y() - dot.height() / 2, dot.width(),
                             dot.height());
        // Dimmed with the rest of a disabled field.
        painter.setOpacity(isEnabled() ? 1.0 : 0.35);
        m_modifiedImage.draw(painter, dotRect);
        painter.setOpacity(1.0);
        textArea.setRight(dotRect.left() - kDotGap);
    }
    const bool none = m_active.isEmpty();
    painter.setPen(!isEnabled() ? kDisabledText : none ? kMutedText : kText);
    const QString text = none ? tr("No preset") : m_active;
    painter.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft,
                     fontMetrics().elidedText(text, Qt::ElideRight, static_cast<int>(textArea.width())));

    if (showsFocusRing(*this))
        m_focusRingImage.draw(painter, field);
}

void PresetSelector::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        // Qt clears the keyboard-focus mark only once a press is delivered,
        // and the list opened here takes the press over: clear it now, so a
        // click never brings up the ring.
        window()->setAttribute(Qt::WA_KeyboardFocusChange, false);
        showList();
        return;
    }
    QWidget::mousePressEvent(event);
}

void PresetSelector::keyPressEvent(QKeyEvent* event)
{
    const bool alt = event->modifiers().testFlag(Qt::AltModifier);
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F4:
        showList();
        return;
    case Qt::Key_Down:
        if (alt)
            showList();
        else
            chooseRelative(1);
        return;
    case Qt::Key_Up:
        chooseRelative(-1);
        return;
    case Qt::Key_Home:
        chooseRelative(-static_cast<int>(m_presets.size()));
        return;
    case Qt::Key_End:
        chooseRelative(static_cast<int>(m_presets.size()));
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void PresetSelector::enterEvent(QEnterEvent* event)
{
    m_hovered = true;
    update();
    QWidget::enterEvent(event);
}

void PresetSelector::leaveEvent(QEvent* event)
{
    m_hovered = false;
    update();
    QWidget::leaveEvent(event);
}

void PresetSelector::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}
