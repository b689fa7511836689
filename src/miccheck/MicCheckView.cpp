#include "miccheck/MicCheckView.h"

#include "controls/MessageBand.h"
#include "miccheck/MicCheck.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QShortcut>

#include <algorithm>
#include <cmath>

MicCheckView::MicCheckView(MicCheck& check, QWidget* parent)
    : QFrame(parent)
    , m_check(check)
    , m_overlay(new AreaOverlay(*this, AreaOverlay::Edge::Bottom, [this](int) { return sizeHint().height(); }))
{
    setObjectName(QStringLiteral("micCheckView"));
    // The message band's colours, readable over any skin.
    setStyleSheet(QStringLiteral("#micCheckView { background: #%1; border: 1px solid #%2; border-radius: 4px; }"
                                 "#micCheckView QLabel { color: #%3; }")
                      .arg(MessageBand::kBackground & 0xffffff, 6, 16, QLatin1Char('0'))
                      .arg(MessageBand::kBorder & 0xffffff, 6, 16, QLatin1Char('0'))
                      .arg(MessageBand::kText & 0xffffff, 6, 16, QLatin1Char('0')));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    m_label = new QLabel(this);
    m_level = new QProgressBar(this);
    m_level->setRange(0, 100);
    m_level->setTextVisible(false);
    m_level->setFixedWidth(120);
    m_level->setAccessibleName(tr("Microphone level"));
    layout->addWidget(m_label, 1);
    layout->addWidget(m_level);
    setAccessibleName(tr("Microphone check"));

    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), parent, [this] { m_check.stop(); });
    m_escape->setContext(Qt::WindowShortcut);

    connect(&m_check, &MicCheck::phaseChanged, this, &MicCheckView::refresh);
    connect(&m_check, &MicCheck::progressed, this, &MicCheckView::refresh);
    refresh();
}

void MicCheckView::lieOver(QWidget* area)
{
    m_overlay->lieOver(area);
}

QString MicCheckView::text() const
{
    return m_label->text();
}

int MicCheckView::level() const
{
    return m_level->value();
}

void MicCheckView::refresh()
{
    const int seconds = m_check.secondsLeft();
    switch (m_check.phase()) {
    case MicCheck::Phase::Idle:
        m_escape->setEnabled(false);
        hide();
        return;
    case MicCheck::Phase::Recording:
        m_label->setText(tr("Recording, speak now: %n s left", nullptr, seconds));
        break;
    case MicCheck::Phase::Playing:
        m_label->setText(tr("Playing back what was recorded: %n s left", nullptr, seconds));
        break;
    }
    // Decibels read as the ear hears: -60 dBFS and below is an empty bar.
    const float peak = m_check.level();
    const double db = peak > 0.0F ? 20.0 * std::log10(peak) : -60.0;
    m_level->setValue(static_cast<int>(std::lround(std::clamp((db + 60.0) / 60.0, 0.0, 1.0) * 100.0)));
    m_escape->setEnabled(true);
    if (isHidden()) {
        m_overlay->place();
        show();
        raise();
    }
}
