#include "controls/ToolTipViewController.h"

#include "controls/ImageView.h"
#include "ui_ToolTipView.h"

ToolTipViewController::ToolTipViewController(QWidget* parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::ToolTipView>())
{
    m_ui->setupUi(this);
    viewDidLoad();
}

ToolTipViewController::~ToolTipViewController() = default;

void ToolTipViewController::viewDidLoad()
{
    m_ui->tooltipField->setText(m_tooltipText);
    m_ui->tooltipField->setAlignment(Qt::AlignCenter);
}

void ToolTipViewController::viewWillAppear()
{
    m_ui->tooltipField->setText(m_tooltipText);
}

QLabel* ToolTipViewController::tooltipField() const
{
    return m_ui->tooltipField;
}

ImageView* ToolTipViewController::bgView() const
{
    return m_ui->bgView;
}
