#pragma once

#include "controls/DelegateRef.h"
#include "controls/NamedImage.h"
#include "controls/ProgressDelegate.h"

#include <QRectF>
#include <QWidget>

class Popover;
class ToolTipViewController;

// A skinned horizontal level bar set by pressing and dragging along it, with
// a tooltip popup under it that shows the value as text from the delegate.
// `tagId` 0 makes it the Reverb control (reports ReverberanceChanged on press
// and on release, text from ReverbText); any other tagId the Mixer control
// (never reports, text from MixerText, and only shows its value: pressing or
// dragging along it shows the tooltip but does not move it).
//
// `enable` is the control's own switch: it gates dragging and hover, not the
// press and release reports. (The widget itself stays enabled so that it
// gets those events.) Setting the value from code redraws but reports nothing.
//
// Keyboard (Reverb only; Mixer takes no focus): Right/Up and Left/Down
// move one whole unit, Page Up/Down ten, Home/End go to the ends. Each key
// is one press-drag-release landing on the new value: the drag step (value,
// tooltip) and one ReverberanceChanged. Like a drag, keys do nothing while
// `enable` is off. The bar wears its focus ring while focused from the
// keyboard.
//
// Images: "vBg" (not drawn; its size is the bar's full extent),
// "vHeaderEnable"/"vHeaderDisable", "vMiddleEnable"/"vMiddleDisable",
// "vFooterEnable"/"vFooterDisable"/"vFooterHighlight", focus ring
// "focusRingLevel".
//
// Create it in Designer as a promoted QWidget, and call awakeFromNib() once
// after setupUi().
class ProgressIndicator : public QWidget {
    Q_OBJECT
    Q_PROPERTY(double doubleValue READ doubleValue WRITE setDoubleValue)
    Q_PROPERTY(double minValue READ minValue WRITE setMinValue)
    Q_PROPERTY(double maxValue READ maxValue WRITE setMaxValue)
    Q_PROPERTY(bool enable READ isEnable WRITE setEnable)
    Q_PROPERTY(int tagId READ tagId WRITE setTagId)

public:
    // Where the pieces of the bar go; `drawn` is false when nothing is drawn
    // (value below 1.0) and `hasMiddle` false when the body is skipped.
    struct BarRects {
        bool drawn = false;
        bool hasMiddle = false;
        QRectF header;
        QRectF middle;
        QRectF footer;
    };

    explicit ProgressIndicator(QWidget* parent = nullptr);
    ~ProgressIndicator() override;

    // Loads the images and creates the tooltip and its popup.
    void awakeFromNib();

    // Closes the tooltip, refreshes its text and shows it again under the
    // control, whether or not the pointer is over it.
    void updateToolTip();

    // The value is kept within [minValue, maxValue]; setting it redraws.
    double doubleValue() const { return m_value; }
    void setDoubleValue(double value);
    double minValue() const { return m_minValue; }
    void setMinValue(double minValue);
    double maxValue() const { return m_maxValue; }
    void setMaxValue(double maxValue);

    // It doesn't redraw. Only an enabled Reverb takes the focus.
    bool isEnable() const { return m_enable; }
    void setEnable(bool enable);

    int tagId() const { return m_tagId; }
    // Reverb (0) takes the focus while enabled; Mixer never does.
    void setTagId(int tagId);

    // One keyboard or assistive step to `value` (kept within the range), as
    // described above; nothing for Mixer or while `enable` is off.
    void stepTo(double value);
    // The delegate's text for the value, as the tooltip shows it.
    QString valueText() const;

    bool IsHighlight() const { return m_IsHighlight; }
    void setIsHighlight(bool highlight) { m_IsHighlight = highlight; }
    bool isMouseDown() const { return m_isMouseDown; }

    BarRects barRects() const;
    // The value a pointer at x (in the control's coordinates) stands for.
    double valueForPosition(qreal x) const;

    const NamedImage& bgImage() const { return m_bgImage; }
    void setBgImage(const NamedImage& image) { m_bgImage = image; }
    const NamedImage& headerEnableImage() const { return m_headerEnableImage; }
    void setHeaderEnableImage(const NamedImage& image) { m_headerEnableImage = image; }
    const NamedImage& headerDisableImage() const { return m_headerDisableImage; }
    void setHeaderDisableImage(const NamedImage& image) { m_headerDisableImage = image; }
    const NamedImage& middleEnableImage() const { return m_middleEnableImage; }
    void setMiddleEnableImage(const NamedImage& image) { m_middleEnableImage = image; }
    const NamedImage& middleDisableImage() const { return m_middleDisableImage; }
    void setMiddleDisableImage(const NamedImage& image) { m_middleDisableImage = image; }
    const NamedImage& footerEnableImage() const { return m_footerEnableImage; }
    void setFooterEnableImage(const NamedImage& image) { m_footerEnableImage = image; }
    const NamedImage& footerDisableImage() const { return m_footerDisableImage; }
    void setFooterDisableImage(const NamedImage& image) { m_footerDisableImage = image; }
    const NamedImage& footerHighLightImage() const { return m_footerHighLightImage; }
    void setFooterHighLightImage(const NamedImage& image) { m_footerHighLightImage = image; }

    // Not owned; cleared automatically when it is a QObject that is destroyed.
    ProgressDelegate* delegate() const { return m_delegate.get(); }
    void setDelegate(ProgressDelegate* delegate) { m_delegate.reset(delegate); }

    Popover* popoverTooltip() const { return m_popoverTooltip; }
    ToolTipViewController* tooltipViewController() const { return m_tooltipViewController; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void mouseDown(const QPointF& point);
    void mouseDragged(const QPointF& point);
    void mouseUp();
    void mouseEntered();
    void mouseExited();
    void dragTo(const QPointF& point);
    void showToolTip();
    void closeToolTip();
    void updateFocusPolicy();

    bool m_isMouseDown = false;
    bool m_enable = false;
    bool m_IsHighlight = false;
    // The open tooltip was opened by a key step, so it goes with the focus.
    bool m_tooltipFromKeys = false;
    int m_tagId = 0;
    double m_value = 0.0;
    double m_minValue = 0.0;
    double m_maxValue = 100.0;
    NamedImage m_bgImage;
    NamedImage m_headerEnableImage;
    NamedImage m_headerDisableImage;
    NamedImage m_middleEnableImage;
    NamedImage m_middleDisableImage;
    NamedImage m_footerEnableImage;
    NamedImage m_footerDisableImage;
    NamedImage m_footerHighLightImage;
    NamedImage m_focusRingImage;
    DelegateRef<ProgressDelegate> m_delegate;
    Popover* m_popoverTooltip = nullptr;
    ToolTipViewController* m_tooltipViewController = nullptr;
};
