#include "controls/MessageBand.h"

#include "controls/ControlsAccessibility.h"

#include <QAccessible>
#include <QColor>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include <algorithm>

namespace {

QString cssColour(QRgb rgb)
{
    return QColor::fromRgb(rgb).name(QColor::HexRgb);
}

} // namespace

MessageBand::MessageBand(QWidget* parent)
    : QFrame(parent)
    , m_overlay(new AreaOverlay(*this, AreaOverlay::Edge::Top, [this](int width) {
        return hasHeightForWidth() ? heightForWidth(width) : sizeHint().height();
    }))
{
    installControlsAccessibility();
    // The band's own style sheet wins over any the window sets, whatever
    // its selectors; so the window's label colour cannot reach the text.
    setStyleSheet(QStringLiteral(
                      "MessageBand { background: %1; border: 1px solid %3; border-left: 4px solid %3; "
                      "border-radius: 8px; }"
                      "MessageBand QLabel { color: %2; background: transparent; font-size: 10pt; "
                      "font-weight: 600; }"
                      "MessageBand QToolButton { color: %2; background: transparent; border: 1px solid "
                      "transparent; border-radius: 4px; font-size: 12pt; font-weight: 600; padding: 0 6px; }"
                      "MessageBand QToolButton:hover { border-color: %3; }"
                      "MessageBand QToolButton:focus { border-color: %2; }")
                      .arg(cssColour(kBackground), cssColour(kText), cssColour(kBorder)));

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("MessageBandText"));
    m_label->setWordWrap(true);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_close = new QToolButton(this);
    m_close->setObjectName(QStringLiteral("MessageBandClose"));
    m_close->setText(QStringLiteral("\u00d7"));
    m_close->setAccessibleName(tr("Dismiss the message"));
    m_close->setToolTip(tr("Dismiss"));
    m_close->setCursor(Qt::PointingHandCursor);
    m_close->setFocusPolicy(Qt::TabFocus);
    connect(m_close, &QToolButton::clicked, this, &MessageBand::dismiss);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 6, 6, 6);
    layout->setSpacing(8);
    layout->addWidget(m_label, 1);
    layout->addWidget(m_close, 0, Qt::AlignTop);

    m_clearTimer.setSingleShot(true);
    connect(&m_clearTimer, &QTimer::timeout, this, &MessageBand::clearDueEntries);
    setVisible(false);
}

MessageBand::Entry* MessageBand::find(const QString& topic)
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [&](const Entry& entry) { return entry.topic == topic; });
    return it == m_entries.end() ? nullptr : &*it;
}

void MessageBand::setCondition(const QString& topic, const QString& text)
{
    if (text.isEmpty())
        return clear(topic);
    if (const Entry* entry = find(topic); entry && entry->text == text && !entry->clearPending)
        return;
    show(topic, text, std::chrono::milliseconds::zero());
}

void MessageBand::announce(const QString& topic, const QString& text, std::chrono::milliseconds keepFor)
{
    if (text.isEmpty())
        return clear(topic);
    show(topic, text, keepFor);
}

void MessageBand::show(const QString& topic, const QString& text, std::chrono::milliseconds keepFor)
{
    Entry* entry = find(topic);
    if (!entry) {
        m_entries.append(Entry());
        entry = &m_entries.last();
        entry->topic = topic;
    }
    entry->text = text;
    entry->keepUntil = QDeadlineTimer(keepFor);
    entry->clearPending = false;
    entry->dismissed = false;
    refresh(true);
}

void MessageBand::clear(const QString& topic)
{
    Entry* entry = find(topic);
    if (!entry)
        return;
    entry->clearPending = true;
    clearDueEntries();
}

void MessageBand::clearDueEntries()
{
    const qsizetype before = m_entries.size();
    m_entries.removeIf([](const Entry& entry) { return entry.clearPending && entry.keepUntil.hasExpired(); });
    qint64 nextMs = -1;
    for (const Entry& entry : std::as_const(m_entries)) {
        if (entry.clearPending) {
            const qint64 left = std::max<qint64>(entry.keepUntil.remainingTime(), 1);
            nextMs = nextMs < 0 ? left : std::min(nextMs, left);
        }
    }
    if (nextMs >= 0)
        m_clearTimer.start(int(nextMs));
    else
        m_clearTimer.stop();
    if (m_entries.size() != before)
        refresh(false);
}

void MessageBand::dismiss()
{
    for (Entry& entry : m_entries)
        entry.dismissed = true;
    // A message whose topic has ended only waited to be read.
    m_entries.removeIf([](const Entry& entry) { return entry.clearPending; });
    clearDueEntries();
    refresh(false);
}

void MessageBand::lieOver(QWidget* area)
{
    m_overlay->lieOver(area);
}

QString MessageBand::text() const
{
    return m_label->text();
}

void MessageBand::refresh(bool alert)
{
    QStringList shown;
    for (const Entry& entry : std::as_const(m_entries)) {
        if (!entry.dismissed)
            shown.append(entry.text);
    }
    const QString text = shown.join(QLatin1Char('\n'));
    const bool textChanged = text != m_label->text();
    m_label->setText(text);
    if (text.isEmpty()) {
        setVisible(false);
        return;
    }
    if (textChanged)
        m_overlay->place();
    // Screen readers over AT-SPI read an alert when it starts showing; a
    // band already shown shows again for the new message.
    if (alert && !isHidden())
        setVisible(false);
    setVisible(true);
    if (textChanged) {
        QAccessibleEvent nameChanged(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&nameChanged);
    }
    if (alert) {
        QAccessibleEvent alertEvent(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&alertEvent);
        emit raised(text);
    }
}
