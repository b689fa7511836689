// quorel-gallery [output.png]
// Renders every skinned control in every state (enabled, hover, pushed,
// disabled, checked, values at min/mid/max, tooltip open, keyboard focus)
// into one PNG at twice the logical size, the 200 % rendering, with a strip
// of the device pixels one control gets at 100, 150 and 200 %. Runs on the
// offscreen platform unless told otherwise.
#include "controls/Button.h"
#include "controls/CheckButton.h"
#include "controls/ImageView.h"
#include "controls/Popover.h"
#include "controls/PresetSelector.h"
#include "controls/ProgressIndicator.h"
#include "controls/RootView.h"
#include "controls/SpkMicSlider.h"
#include "controls/SpkMicSliderAction.h"

#include <QApplication>
#include <QEnterEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include <cstdio>
#include <vector>

namespace {

class TextDelegate : public ProgressDelegate {
public:
    explicit TextDelegate(const ProgressIndicator*& reverb, const ProgressIndicator*& mixer)
        : m_reverb(reverb)
        , m_mixer(mixer)
    {
    }
    void ReverberanceChanged(double) override {}
    QString ReverbText(double value) override { return QStringLiteral("%1%").arg(static_cast<int>(value)); }
    QString MixerText(double value) override { return QString::asprintf("%.1f", value); }

private:
    const ProgressIndicator*& m_reverb;
    const ProgressIndicator*& m_mixer;
};

void send(QWidget* widget, QEvent::Type type)
{
    if (type == QEvent::Enter) {
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(widget, &enter);
    } else if (type == QEvent::Leave) {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(widget, &leave);
    } else {
        const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
        QMouseEvent press(type, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &press);
    }
}

QLabel* caption(const QString& text, QWidget* parent, bool heading = false)
{
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(heading ? QStringLiteral("color: #eef1f5; font-size: 15px; font-weight: 600;")
                                 : QStringLiteral("color: #9aa3ae; font-size: 11px;"));
    label->setAlignment(heading ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    return label;
}

QWidget* section(const QString& title, QWidget* content, QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(caption(title, box, true));
    layout->addWidget(content);
    return box;
}

// One labelled cell: the widget above its caption, or below it when the
// widget's tooltip opens underneath.
void addCell(QGridLayout* grid, int row, int column, QWidget* widget, const QString& text, bool captionAbove = false)
{
    auto* cell = new QVBoxLayout;
    cell->setSpacing(6);
    if (captionAbove)
        cell->addWidget(caption(text, widget->parentWidget()));
    cell->addWidget(widget, 0, Qt::AlignHCenter | Qt::AlignBottom);
    if (!captionAbove)
        cell->addWidget(caption(text, widget->parentWidget()));
    grid->addLayout(cell, row, column);
}

QWidget* buttons(QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(22);
    grid->setVerticalSpacing(14);
    const char* roles[] = {"reset", "play", "record", "pause", "stop"};
    for (int tag = 0; tag < 5; ++tag) {
        const char* states[] = {"enable", "hover", "push", "disable"};
        for (int state = 0; state < 4; ++state) {
            auto* button = new Button(box);
            button->setTag(tag);
            button->awakeFromNib();
            button->setFixedSize(button->sizeHint());
            if (state == 1)
                send(button, QEvent::Enter);
            else if (state == 2)
                send(button, QEvent::MouseButtonPress);
            else if (state == 3) {
                button->setEnabled(false);
                send(button, QEvent::Leave);
            }
            addCell(grid, state, tag,
                    button, state == 0 ? QStringLiteral("%1\n%2").arg(QLatin1String(roles[tag]), QLatin1String(states[state]))
                                       : QLatin1String(states[state]));
        }
    }
    return box;
}

QWidget* switches(QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(22);
    const char* states[] = {"enable", "hover", "disable"};
    for (int checked = 0; checked < 2; ++checked) {
        for (int state = 0; state < 3; ++state) {
            auto* check = new CheckButton(box);
            check->awakeFromNib();
            check->setFixedSize(check->sizeHint());
            check->setChecked(checked != 0);
            check->changeImage(state == 0 ? 0 : state == 1 ? 2 : 1);
            addCell(grid, checked, state, check,
                    QStringLiteral("%1 %2").arg(QLatin1String(states[state]), checked ? QStringLiteral("on") : QStringLiteral("off")));
        }
    }
    return box;
}

QWidget* sliders(QWidget* parent, SpkMicSliderAction::CellClass cellClass)
{
    auto* box = new QWidget(parent);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(18);
    const bool stage = cellClass == SpkMicSliderAction::VSliderCell;
    const int min = stage ? -15 : 0;
    const int max = stage ? 15 : 100;
    const int mid = stage ? 0 : 50;
    struct Case {
        int value;
        bool hover;
        bool enabled;
        QString text;
    };
    const std::vector<Case> cases = {
        {min, false, true, QStringLiteral("min")},
        {mid, false, true, QStringLiteral("mid")},
        {max, false, true, QStringLiteral("max")},
        {stage ? 6 : 70, true, true, QStringLiteral("hover")},
        {stage ? -6 : 35, false, false, QStringLiteral("disabled")},
        {stage ? -6 : 35, true, false, QStringLiteral("disabled\nhover")},
    };
    int column = 0;
    for (const Case& c : cases) {
        auto* slider = new SpkMicSliderAction(box);
        slider->setCellClass(cellClass);
        slider->awakeFromNib();
        slider->setDelegate(slider->cell());
        slider->setRange(min, max);
        slider->setValue(c.value);
        slider->setEnabled(c.enabled);
        slider->setFixedSize(slider->sizeHint().width() + 8, 150);
        if (c.hover)
            send(slider, QEvent::Enter);
        addCell(grid, 0, column++, slider, c.text);
    }
    return box;
}

QWidget* levels(QWidget* parent, std::vector<ProgressIndicator*>& withTooltip, TextDelegate& delegate,
                const ProgressIndicator*& reverb, const ProgressIndicator*& mixer)
{
    auto* box = new QWidget(parent);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(26);
    grid->setVerticalSpacing(44);
    struct Case {
        int tagId;
        double value;
        bool enable;
        bool hover;
        QString text;
    };
    const std::vector<Case> cases = {
        {0, 0, true, false, QStringLiteral("reverb 0 (nothing)")},
        {0, 1, true, false, QStringLiteral("reverb 1")},
        {0, 57.8, true, true, QStringLiteral("reverb 57, hover")},
        {0, 100, true, false, QStringLiteral("reverb 100")},
        {0, 60, false, false, QStringLiteral("reverb 60, disabled")},
        {1, 1, true, false, QStringLiteral("mixer on, updateToolTip")},
    };
    int index = 0;
    for (const Case& c : cases) {
        auto* level = new ProgressIndicator(box);
        level->awakeFromNib();
        level->setFixedSize(level->sizeHint());
        level->setTagId(c.tagId);
        level->setMinValue(0);
        level->setMaxValue(c.tagId == 0 ? 100 : 1);
        level->setDoubleValue(c.value);
        level->setEnable(c.enable);
        level->setDelegate(&delegate);
        if (c.tagId == 0 && c.hover)
            reverb = level;
        if (c.tagId != 0)
            mixer = level;
        if (c.hover || c.tagId != 0)
            withTooltip.push_back(level);
        addCell(grid, index / 3, index % 3, level, c.text, true);
        ++index;
    }
    return box;
}

// The preset selector: a preset as chosen, changed since, none, hovered,
// disabled; the focused one is shown with the other focus rings.
QWidget* presetSelectors(QWidget* parent, std::vector<QWidget*>& focused)
{
    auto* box = new QWidget(parent);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(22);
    struct Case {
        QString active;
        bool modified;
        bool hover;
        bool enabled;
        bool focus;
        QString text;
    };
    const std::vector<Case> cases{
        {QStringLiteral("Voice"), false, false, true, false, QStringLiteral("chosen")},
        {QStringLiteral("Voice"), true, false, true, false, QStringLiteral("modified")},
        {QString(), false, false, true, false, QStringLiteral("none")},
        {QStringLiteral("Podcast"), false, true, true, false, QStringLiteral("hover")},
        {QStringLiteral("Music"), true, false, false, false, QStringLiteral("disabled")},
        {QStringLiteral("Late night, very quiet and soft"), false, false, true, true, QStringLiteral("focus, long name")},
    };
    int index = 0;
    for (const Case& c : cases) {
        auto* selector = new PresetSelector(box);
        selector->setPresets({QStringLiteral("Flat"), QStringLiteral("Voice"), QStringLiteral("Podcast"),
                              QStringLiteral("Music"), QStringLiteral("Late night, very quiet and soft")});
        selector->setActive(c.active, c.modified);
        selector->setFixedSize(selector->sizeHint());
        selector->setEnabled(c.enabled);
        if (c.hover)
            send(selector, QEvent::Enter);
        if (c.focus)
            focused.push_back(selector);
        addCell(grid, index / 3, index % 3, selector, c.text);
        ++index;
    }
    return box;
}

// One control of each kind, each later shown with its focus ring: only one
// widget holds the focus at a time, so each is rendered while it does.
QWidget* focusRings(QWidget* parent, std::vector<QWidget*>& focused)
{
    auto* box = new QWidget(parent);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(22);
    auto* play = new Button(box);
    play->setTag(1);
    play->awakeFromNib();
    play->setFixedSize(play->sizeHint());
    auto* reset = new Button(box);
    reset->setTag(0);
    reset->awakeFromNib();
    reset->setFixedSize(reset->sizeHint());
    auto* check = new CheckButton(box);
    check->awakeFromNib();
    check->setFixedSize(check->sizeHint());
    check->setChecked(true);
    check->changeImage(0);
    auto* speaker = new SpkMicSliderAction(box);
    speaker->awakeFromNib();
    speaker->setRange(0, 100);
    speaker->setValue(60);
    speaker->setFixedSize(speaker->sizeHint().width() + 8, 110);
    auto* stage = new SpkMicSliderAction(box);
    stage->setCellClass(SpkMicSliderAction::VSliderCell);
    stage->awakeFromNib();
    stage->setRange(-15, 15);
    stage->setValue(4);
    stage->setFixedSize(stage->sizeHint().width() + 8, 110);
    auto* reverb = new ProgressIndicator(box);
    reverb->awakeFromNib();
    reverb->setFixedSize(reverb->sizeHint());
    reverb->setMaxValue(100);
    reverb->setDoubleValue(57);
    reverb->setEnable(true);
    const std::vector<std::pair<QWidget*, const char*>> cells = {
        {play, "button"}, {reset, "reset"}, {check, "switch"}, {speaker, "speaker"}, {stage, "stage"}, {reverb, "reverb"}};
    int column = 0;
    for (const auto& [widget, text] : cells) {
        addCell(grid, 0, column++, widget, QLatin1String(text));
        focused.push_back(widget);
    }
    return box;
}

// The play button and a switch as the screen gets them at 100, 150 and
// 200 %: each shown pixel for pixel, enlarged to the same size.
QWidget* scales(QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(22);
    Button play;
    play.setTag(1);
    play.awakeFromNib();
    play.resize(play.sizeHint());
    CheckButton check;
    check.awakeFromNib();
    check.resize(check.sizeHint());
    check.setChecked(true);
    check.changeImage(0);
    int column = 0;
    for (QWidget* control : std::initializer_list<QWidget*>{&play, &check}) {
        for (qreal ratio : {1.0, 1.5, 2.0}) {
            QImage pixels((QSizeF(control->size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
            pixels.setDevicePixelRatio(ratio);
            pixels.fill(Qt::transparent);
            control->render(&pixels, QPoint(), QRegion(), QWidget::DrawChildren);
            // Enlarged without smoothing to the gallery's own 2x pixels, so
            // each device pixel shows.
            QImage shown = pixels.scaled(control->size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            shown.setDevicePixelRatio(2);
            auto* label = new QLabel(box);
            label->setPixmap(QPixmap::fromImage(shown));
            addCell(grid, 0, column++, label, QStringLiteral("%1 %").arg(ratio * 100));
        }
    }
    return box;
}

QWidget* spectrum(QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* layout = new QGridLayout(box);
    layout->setHorizontalSpacing(4);
    layout->setVerticalSpacing(2);
    for (int level = 1; level <= 8; ++level) {
        auto* up = new ImageView(box);
        up->setImageName(QStringLiteral("up%1").arg(level));
        up->setImageAlignment(Qt::AlignBottom | Qt::AlignHCenter);
        up->setFixedSize(12, 48);
        auto* down = new ImageView(box);
        down->setImageName(QStringLiteral("down%1").arg(level));
        down->setImageAlignment(Qt::AlignTop | Qt::AlignHCenter);
        down->setFixedSize(12, 48);
        layout->addWidget(up, 0, level - 1);
        layout->addWidget(down, 1, level - 1);
        layout->addWidget(caption(QString::number(level), box), 2, level - 1);
    }
    auto* links = new QWidget(box);
    auto* linkLayout = new QHBoxLayout(links);
    linkLayout->setSpacing(20);
    for (const char* name : {"linkEnable", "linkDisable"}) {
        auto* image = new ImageView(links);
        image->setImageName(QLatin1String(name));
        image->setFixedSize(image->sizeHint());
        auto* cell = new QVBoxLayout;
        cell->addWidget(image, 0, Qt::AlignHCenter);
        cell->addWidget(caption(QLatin1String(name), links));
        linkLayout->addLayout(cell);
    }
    layout->setColumnMinimumWidth(8, 40);
    layout->addWidget(links, 0, 9, 3, 1, Qt::AlignVCenter);
    return box;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/gallery.png");

    const ProgressIndicator* reverb = nullptr;
    const ProgressIndicator* mixer = nullptr;
    TextDelegate delegate(reverb, mixer);
    std::vector<ProgressIndicator*> withTooltip;
    std::vector<QWidget*> focused;

    QWidget window;
    auto* root = new RootView(&window);
    auto* outer = new QVBoxLayout(&window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(root);
    auto* columns = new QHBoxLayout(root);
    columns->setContentsMargins(28, 24, 28, 40);
    columns->setSpacing(48);
    auto* left = new QVBoxLayout;
    left->setSpacing(26);
    left->addWidget(section(QStringLiteral("Transport and reset buttons"), buttons(root), root));
    left->addWidget(section(QStringLiteral("Switches (Monitor, Denoise)"), switches(root), root));
    left->addWidget(section(QStringLiteral("Keyboard focus"), focusRings(root, focused), root));
    left->addWidget(section(QStringLiteral("Device pixels at 100, 150 and 200 %"), scales(root), root));
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->setSpacing(26);
    right->addWidget(section(QStringLiteral("Volume and gain sliders, 0 to 100"),
                             sliders(root, SpkMicSliderAction::SpkMicSliderCell), root));
    right->addWidget(section(QStringLiteral("Equaliser stage sliders, -15 to 15"),
                             sliders(root, SpkMicSliderAction::VSliderCell), root));
    right->addWidget(section(QStringLiteral("Level controls (Reverb, Mixer)"),
                             levels(root, withTooltip, delegate, reverb, mixer), root));
    right->addWidget(section(QStringLiteral("Spectrum bars and link status"), spectrum(root), root));
    right->addWidget(section(QStringLiteral("Preset selector"), presetSelectors(root, focused), root));
    right->addStretch();
    columns->addLayout(left);
    columns->addLayout(right);
    window.show();
    QApplication::processEvents();

    // The tooltips are popups of their own: open them, then paint each one
    // into the picture under its control (the offscreen screen is smaller
    // than the gallery, so their on-screen places are clamped).
    for (ProgressIndicator* level : withTooltip) {
        if (level->tagId() == 0)
            send(level, QEvent::Enter);
        else
            level->updateToolTip();
    }
    QApplication::processEvents();

    const qreal scale = 2.0;
    QImage image(window.size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::black);
    window.render(&image);
    QPainter painter(&image);
    for (ProgressIndicator* level : withTooltip) {
        QWidget* popup = level->popoverTooltip();
        const QPoint under = level->mapTo(&window, QPoint(level->width() / 2, level->height()));
        const QPoint at(under.x() - popup->width() / 2, under.y() + 1);
        popup->render(&painter, at, QRegion(), QWidget::DrawChildren);
    }
    // Each focus example as it looks while it holds the focus from the
    // keyboard, over its unfocused self.
    window.activateWindow();
    QApplication::processEvents();
    window.setAttribute(Qt::WA_KeyboardFocusChange);
    for (QWidget* control : focused) {
        control->setFocus(Qt::TabFocusReason);
        QImage ringed(control->size() * scale, QImage::Format_ARGB32_Premultiplied);
        ringed.setDevicePixelRatio(scale);
        ringed.fill(Qt::transparent);
        control->render(&ringed, QPoint(), QRegion(), QWidget::DrawChildren);
        painter.drawImage(control->mapTo(&window, QPoint(0, 0)), ringed);
    }
    painter.end();
    if (!image.save(output)) {
        std::fprintf(stderr, "quorel-gallery: could not write %s\n", qPrintable(output));
        return 1;
    }
    std::printf("%s: %dx%d\n", qPrintable(output), image.width(), image.height());
    return 0;
}
