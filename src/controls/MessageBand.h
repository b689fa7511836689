#pragma once

#include "controls/AreaOverlay.h"

#include <QDeadlineTimer>
#include <QFrame>
#include <QList>
#include <QString>
#include <QTimer>

#include <chrono>

class QLabel;
class QToolButton;

// A band across the window that says what went wrong, in the skin's
// colours, for as long as it matters. Each source of messages (the
// device, the transport, …) has a topic of its own; the band shows every
// topic's text, one under the other, and hides when none is left. A new
// or changed text is raised as an accessibility alert, so screen readers
// read it without the user looking for it. Dismissing hides what is shown
// until a topic's text changes. It lies over an area of the window that
// takes no input (the spectrum) instead of taking a place in a layout, so a
// message coming or going moves no control and leaves the window's size as
// it is. Main thread only.
class MessageBand final : public QFrame {
    Q_OBJECT

public:
    // The band's own colours: light text on a dark amber panel, well above
    // the 4.5 : 1 contrast readable text needs, whatever the window's
    // style sheet gives other labels.
    static constexpr QRgb kBackground = 0xff3d2e14;
    static constexpr QRgb kText = 0xfffff3d6;
    static constexpr QRgb kBorder = 0xfff0b429;

    explicit MessageBand(QWidget* parent = nullptr);

    // A condition that lasts: `text` is shown under `topic` while it is not
    // empty. The same text again changes nothing (a dismissed one stays
    // dismissed); a different one is raised anew.
    void setCondition(const QString& topic, const QString& text);
    // Something that happened: `text` is shown under `topic` and raised,
    // even when the same text is already there, and stays at least
    // `keepFor`: a failure that ends at once still gets its time to be read.
    void announce(const QString& topic, const QString& text, std::chrono::milliseconds keepFor);
    // Ends the topic's message, once its time to be read has passed.
    void clear(const QString& topic);
    // What the band says now, topics one per line; empty while hidden.
    QString text() const;
    // Hides what is shown, as the band's close button does.
    void dismiss();
    // Lies across the top of `area`, inset from its edges, and follows it
    // as it is laid out; `area` is a descendant of the band's parent and
    // comes before the band in stacking order.
    void lieOver(QWidget* area);

signals:
    // A message was raised as an alert; `text` is all the band says.
    void raised(const QString& text);

private:
    struct Entry {
        QString topic;
        QString text;
        QDeadlineTimer keepUntil;
        bool clearPending = false;
        bool dismissed = false;
    };

    Entry* find(const QString& topic);
    void show(const QString& topic, const QString& text, std::chrono::milliseconds keepFor);
    void clearDueEntries();
    void refresh(bool alert);

    QList<Entry> m_entries;
    QLabel* m_label = nullptr;
    QToolButton* m_close = nullptr;
    QTimer m_clearTimer;
    AreaOverlay* m_overlay = nullptr;
};
