#pragma once

#include "controls/DelegateRef.h"
#include "controls/SpkMicSlider.h"
#include "controls/SpkMicSliderDelegate.h"

#include <QSlider>

#include <memory>

// A skinned vertical slider. Value handling (drag, track clicks, wheel,
// keys, clamping) is QSlider's; drawing goes to the cell: the bar through
// drawBarInside() and the knob through drawKnob(), in the rectangles below.
// Hover (enter/leave, also while disabled) tells the delegate - normally the
// slider's own cell, set by the controller - and redraws.
//
// Signals: `action(int)` fires only when the user changes the value (drag,
// click, wheel, keys, assistive technologies); setValue() from code never
// fires it. QSlider's valueChanged() fires for both.
//
// Keyboard: QSlider's keys (arrows by one, Page Up/Down by ten, Home/End to
// the ends), each one user change like one drag step. The knob wears its
// focus ring while the slider is focused from the keyboard.
//
// The cell class is chosen with `cellClass` in the .ui: SpkMicSliderCell
// (speaker/microphone, the default) or VSliderCell (equaliser stages).
// Promote a vertical QSlider in Designer and call awakeFromNib() once after
// setupUi().
class SpkMicSliderAction : public QSlider {
    Q_OBJECT
    Q_PROPERTY(CellClass cellClass READ cellClass WRITE setCellClass)

public:
    enum CellClass { SpkMicSliderCell, VSliderCell };
    Q_ENUM(CellClass)

    explicit SpkMicSliderAction(QWidget* parent = nullptr);
    ~SpkMicSliderAction() override;

    // Loads the cell's images and sizes the knob's hit area to its image.
    void awakeFromNib();

    CellClass cellClass() const { return m_cellClass; }
    // Replaces the cell with a new one of that class (before awakeFromNib).
    void setCellClass(CellClass cellClass);
    // A SpkMicSlider, or a VSlider for VSliderCell.
    SpkMicSlider* cell() const { return m_cell.get(); }

    // Not owned; cleared automatically when it is a QObject that is destroyed.
    SpkMicSliderDelegate* delegate() const { return m_delegate.get(); }
    void setDelegate(SpkMicSliderDelegate* delegate) { m_delegate.reset(delegate); }

    // The rectangles handed to the cell: the bar area runs from the knob
    // centre at the maximum to the knob centre at the minimum; the knob area
    // is Qt's handle rectangle.
    QRectF barRect() const;
    QRectF knobRect() const;

    // A change made on the user's behalf (assistive technologies): moves to
    // `value`, kept within the range, and fires `action` as a drag step
    // would; nothing when the slider is disabled or already there.
    void moveByUser(int value);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void action(int value);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void mouseEntered();
    void mouseExited();
    void onActionTriggered();
    void onValueChanged(int value);

    CellClass m_cellClass = SpkMicSliderCell;
    std::unique_ptr<SpkMicSlider> m_cell;
    DelegateRef<SpkMicSliderDelegate> m_delegate;
    bool m_userChange = false;
};
