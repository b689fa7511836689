#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class ImageView;
class QLabel;

namespace Ui {
class ToolTipView;
}

// The tooltip's content, laid out in ToolTipView.ui: a background image view
// and a centred text field that shows `tooltipText`.
class ToolTipViewController : public QWidget {
    Q_OBJECT

public:
    explicit ToolTipViewController(QWidget* parent = nullptr);
    ~ToolTipViewController() override;

    // Runs each time the popup is about to show: the field takes the text.
    void viewWillAppear();

    QString tooltipText() const { return m_tooltipText; }
    void setTooltipText(const QString& text) { m_tooltipText = text; }

    QLabel* tooltipField() const;
    ImageView* bgView() const;

private:
    void viewDidLoad();

    std::unique_ptr<Ui::ToolTipView> m_ui;
    QString m_tooltipText;
};
