#include "controls/ControlsAccessibility.h"

#include "controls/Button.h"
#include "controls/CheckButton.h"
#include "controls/MessageBand.h"
#include "controls/PresetSelector.h"
#include "controls/ProgressIndicator.h"
#include "controls/SpkMicSliderAction.h"

#include <QAccessibleWidget>
#include <QCoreApplication>

#include <cmath>

namespace {

// The window's accessible name, or the control's own.
QString nameOr(const QWidget* widget, const QString& fallback)
{
    const QString name = widget->accessibleName();
    return name.isEmpty() ? fallback : name;
}

class SkinnedButtonAccessible : public QAccessibleWidget {
public:
    SkinnedButtonAccessible(SkinnedButton* button, QAccessible::Role role)
        : QAccessibleWidget(button, role)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return nameOr(widget(), button()->defaultName());
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State st = QAccessibleWidget::state();
        if (auto* check = qobject_cast<CheckButton*>(object())) {
            st.checkable = true;
            st.checked = check->checked();
        }
        return st;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled())
            names.prepend(clickAction());
        return names;
    }

    void doAction(const QString& name) override
    {
        if (name == clickAction()) {
            if (widget()->isEnabled())
                button()->performClick();
            return;
        }
        QAccessibleWidget::doAction(name);
    }

private:
    SkinnedButton* button() const { return static_cast<SkinnedButton*>(object()); }
    QString clickAction() const { return role() == QAccessible::CheckBox ? toggleAction() : pressAction(); }
};

// A widget with a value the bridge reads and sets.
class ValueAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    using QAccessibleWidget::QAccessibleWidget;

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
};

class SliderAccessible : public ValueAccessible {
public:
    explicit SliderAccessible(SpkMicSliderAction* slider)
        : ValueAccessible(slider, QAccessible::Slider)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return QString::number(slider()->value());
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return slider()->value(); }
    void setCurrentValue(const QVariant& value) override { slider()->moveByUser(value.toInt()); }
    QVariant maximumValue() const override { return slider()->maximum(); }
    QVariant minimumValue() const override { return slider()->minimum(); }
    QVariant minimumStepSize() const override { return slider()->singleStep(); }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled())
            names = QStringList{increaseAction(), decreaseAction()} + names;
        return names;
    }

    // One arrow key's step.
    void doAction(const QString& name) override
    {
        if (name == increaseAction() || name == decreaseAction()) {
            if (widget()->isEnabled())
                slider()->triggerAction(name == increaseAction() ? QAbstractSlider::SliderSingleStepAdd
                                                                 : QAbstractSlider::SliderSingleStepSub);
            return;
        }
        QAccessibleWidget::doAction(name);
    }

private:
    SpkMicSliderAction* slider() const { return static_cast<SpkMicSliderAction*>(object()); }
};

class LevelAccessible : public ValueAccessible {
public:
    explicit LevelAccessible(ProgressIndicator* level)
        : ValueAccessible(level, QAccessible::Slider)
    {
    }

    // The tag is set after creation, so the role is read each time.
    QAccessible::Role role() const override
    {
        return isReverb() ? QAccessible::Slider : QAccessible::ProgressBar;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return nameOr(widget(), isReverb() ? QCoreApplication::translate("ProgressIndicator", "Reverb")
                                                        : QCoreApplication::translate("ProgressIndicator", "Mixer"));
        if (t == QAccessible::Value)
            return level()->valueText();
        return QAccessibleWidget::text(t);
    }

    // The widget stays enabled to take presses; `enable` is what the user
    // sees as the control's state.
    QAccessible::State state() const override
    {
        QAccessible::State st = QAccessibleWidget::state();
        if (!level()->isEnable())
            st.disabled = true;
        if (!isReverb())
            st.readOnly = true;
        return st;
    }

    QVariant currentValue() const override { return level()->doubleValue(); }
    void setCurrentValue(const QVariant& value) override { level()->stepTo(value.toDouble()); }
    QVariant maximumValue() const override { return level()->maxValue(); }
    QVariant minimumValue() const override { return level()->minValue(); }
    QVariant minimumStepSize() const override { return isReverb() ? 1.0 : 0.0; }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (isReverb() && level()->isEnable())
            names = QStringList{increaseAction(), decreaseAction()} + names;
        return names;
    }

    // One arrow key's step.
    void doAction(const QString& name) override
    {
        if (name == increaseAction() || name == decreaseAction()) {
            const double unit = std::floor(level()->doubleValue());
            level()->stepTo(name == increaseAction() ? unit + 1 : unit - 1);
            return;
        }
        QAccessibleWidget::doAction(name);
    }

private:
    ProgressIndicator* level() const { return static_cast<ProgressIndicator*>(object()); }
    bool isReverb() const { return level()->tagId() == 0; }
};

// A combo box whose value is the active preset; its press opens the list.
class PresetSelectorAccessible : public QAccessibleWidget {
public:
    explicit PresetSelectorAccessible(PresetSelector* selector)
        : QAccessibleWidget(selector, QAccessible::ComboBox)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return nameOr(widget(), QStringLiteral("Preset"));
        if (t == QAccessible::Value)
            return selector()->valueText();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled())
            names.prepend(showMenuAction());
        return names;
    }

    void doAction(const QString& name) override
    {
        if (name == showMenuAction()) {
            selector()->showList();
            return;
        }
        QAccessibleWidget::doAction(name);
    }

private:
    PresetSelector* selector() const { return static_cast<PresetSelector*>(object()); }
};

// The message band is an alert whose name is what it says, so a screen
// reader reads the message as the band appears.
class MessageBandAccessible : public QAccessibleWidget {
public:
    explicit MessageBandAccessible(MessageBand* band)
        : QAccessibleWidget(band, QAccessible::AlertMessage)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<MessageBand*>(object())->text();
        return QAccessibleWidget::text(t);
    }
};

// Qt asks with each class name of the object's chain, most derived first.
QAccessibleInterface* controlsFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("Button") || className == QLatin1String("CheckButton")) {
        auto* button = qobject_cast<SkinnedButton*>(object);
        if (!button)
            return nullptr;
        const bool isSwitch = qobject_cast<CheckButton*>(object) != nullptr;
        return new SkinnedButtonAccessible(button, isSwitch ? QAccessible::CheckBox : QAccessible::Button);
    }
    if (className == QLatin1String("SpkMicSliderAction")) {
        if (auto* slider = qobject_cast<SpkMicSliderAction*>(object))
            return new SliderAccessible(slider);
    }
    if (className == QLatin1String("PresetSelector")) {
        if (auto* selector = qobject_cast<PresetSelector*>(object))
            return new PresetSelectorAccessible(selector);
    }
    if (className == QLatin1String("ProgressIndicator")) {
        if (auto* level = qobject_cast<ProgressIndicator*>(object))
            return new LevelAccessible(level);
    }
    if (className == QLatin1String("MessageBand")) {
        if (auto* band = qobject_cast<MessageBand*>(object))
            return new MessageBandAccessible(band);
    }
    return nullptr;
}

} // namespace

void installControlsAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(controlsFactory);
}
