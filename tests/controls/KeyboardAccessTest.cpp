// The skinned controls from the keyboard and through Qt's accessibility
// interfaces (what the AT-SPI bridge reads and calls).
#include "controls/Button.h"
#include "controls/CheckButton.h"
#include "controls/Popover.h"
#include "controls/ControlImageState.h"
#include "controls/ProgressIndicator.h"
#include "controls/SpkMicSliderAction.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

class Delegate : public QObject, public ButtonDelegate, public CheckButtonDelegate, public ProgressDelegate {
public:
    QStringList calls;
    ProgressIndicator* level = nullptr;
    ProgressIndicator* mixer = nullptr;

    void ResetStage() override { calls << QStringLiteral("ResetStage"); }
    void Play() override { calls << QStringLiteral("Play"); }
    void Record() override { calls << QStringLiteral("Record"); }
    void Pause() override { calls << QStringLiteral("Pause"); }
    void Stop() override { calls << QStringLiteral("Stop"); }
    void MonitorChanged(bool) override { calls << QStringLiteral("MonitorChanged"); }
    void DenoiseChanged(bool) override { calls << QStringLiteral("DenoiseChanged"); }
    void ReverberanceChanged(double value) override { calls << QStringLiteral("Reverb %1").arg(value); }
    QString ReverbText(double value) override { return QStringLiteral("%1%").arg(static_cast<int>(value)); }
    QString MixerText(double value) override { return QString::asprintf("%.1f", value); }
};

QAccessibleInterface* accessible(QObject* object)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    EXPECT_NE(iface, nullptr);
    return iface;
}

void sendKey(QWidget* widget, QEvent::Type type, int key, bool autoRepeat = false)
{
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(widget, &event);
}

// One window holding a control of each kind, in the window's reading order.
struct Panel {
    QWidget window;
    Delegate delegate;
    SpkMicSliderAction* slider = new SpkMicSliderAction(&window);
    Button* reset = new Button(&window);
    CheckButton* denoise = new CheckButton(&window);
    ProgressIndicator* reverb = new ProgressIndicator(&window);
    ProgressIndicator* mixer = new ProgressIndicator(&window);
    Button* play = new Button(&window);

    Panel()
    {
        auto* layout = new QHBoxLayout(&window);
        for (QWidget* w : std::initializer_list<QWidget*>{slider, reset, denoise, reverb, mixer, play})
            layout->addWidget(w);
        slider->setRange(0, 100);
        slider->setValue(37);
        slider->awakeFromNib();
        reset->setTag(0);
        reset->awakeFromNib();
        reset->setDelegate(&delegate);
        play->setTag(1);
        play->awakeFromNib();
        play->setDelegate(&delegate);
        denoise->setRole(CheckButton::Denoise);
        denoise->awakeFromNib();
        denoise->setDelegate(&delegate);
        for (ProgressIndicator* level : {reverb, mixer}) {
            level->awakeFromNib();
            level->setEnable(true);
            level->setDelegate(&delegate);
        }
        reverb->setTagId(0);
        reverb->setMaxValue(100);
        reverb->setDoubleValue(57.4);
        mixer->setTagId(1);
        mixer->setMaxValue(1);
        mixer->setDoubleValue(1);
        delegate.level = reverb;
        delegate.mixer = mixer;
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        slider->setFocus(Qt::OtherFocusReason);
    }
};

} // namespace

TEST(Keyboard, TabVisitsEveryControlButTheMixerBarInOrder)
{
    Panel panel;
    QList<QWidget*> visited{QApplication::focusWidget()};
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget();
    }
    const QList<QWidget*> expected{panel.slider, panel.reset, panel.denoise, panel.reverb, panel.play, panel.slider};
    EXPECT_EQ(visited, expected);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), panel.play);

    // A disabled control is passed over.
    panel.reset->setEnabled(false);
    panel.slider->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(panel.slider, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), panel.denoise);
}

TEST(Keyboard, SpaceAndEnterPressAButtonAsOneClick)
{
    Panel panel;
    Button* play = panel.play;
    play->setFocus(Qt::TabFocusReason);

    sendKey(play, QEvent::KeyPress, Qt::Key_Space);
    EXPECT_EQ(panel.delegate.calls, QStringList{QStringLiteral("Play")});
    EXPECT_EQ(play->status(), static_cast<int>(ControlImageState::Push));
    EXPECT_EQ(play->image(), play->pushImage());
    // Holding the key presses once.
    sendKey(play, QEvent::KeyPress, Qt::Key_Space, true);
    sendKey(play, QEvent::KeyRelease, Qt::Key_Space, true);
    EXPECT_EQ(panel.delegate.calls.size(), 1);
    // The release returns to the resting look, the pointer being elsewhere.
    sendKey(play, QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_EQ(play->status(), static_cast<int>(ControlImageState::Enable));
    EXPECT_EQ(play->image(), play->enableImage());

    QTest::keyClick(play, Qt::Key_Return);
    QTest::keyClick(play, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(panel.delegate.calls.size(), 3);
    // Other keys and modified ones do nothing.
    QTest::keyClick(play, Qt::Key_A);
    QTest::keyClick(play, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(panel.delegate.calls.size(), 3);

    // A disabled button takes no keys, as it takes no clicks.
    play->setEnabled(false);
    sendKey(play, QEvent::KeyPress, Qt::Key_Space);
    sendKey(play, QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_EQ(panel.delegate.calls.size(), 3);
}

TEST(Keyboard, AKeyHeldWhileTheFocusMovesReleasesTheButton)
{
    Panel panel;
    panel.reset->setFocus(Qt::TabFocusReason);
    sendKey(panel.reset, QEvent::KeyPress, Qt::Key_Space);
    ASSERT_EQ(panel.reset->image(), panel.reset->pushImage());
    panel.denoise->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(panel.reset->image(), panel.reset->enableImage());
    // Its key release lands on the switch, which was never pressed.
    sendKey(panel.denoise, QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_EQ(panel.delegate.calls, QStringList{QStringLiteral("ResetStage")});
}

TEST(Accessibility, SwitchIsACheckBoxWhoseToggleIsAClick)
{
    Panel panel;
    CheckButton* denoise = panel.denoise;
    QAccessibleInterface* iface = accessible(denoise);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::CheckBox);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Denoise"));
    EXPECT_TRUE(iface->state().checkable);
    EXPECT_FALSE(iface->state().checked);

    // Through the accessible action: the click's handler, flip and report.
    QAccessibleActionInterface* actions = iface->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    actions->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(denoise->checked());
    EXPECT_TRUE(iface->state().checked);
    EXPECT_EQ(panel.delegate.calls, QStringList{QStringLiteral("DenoiseChanged")});
    EXPECT_EQ(denoise->image(), denoise->enableCheckedImage());

    // Space does the same.
    denoise->setFocus(Qt::TabFocusReason);
    QTest::keyClick(denoise, Qt::Key_Space);
    EXPECT_FALSE(denoise->checked());
    EXPECT_EQ(panel.delegate.calls.size(), 2);

    // Disabled: no action offered, and one forced through does nothing.
    denoise->setEnabled(false);
    EXPECT_TRUE(iface->state().disabled);
    EXPECT_FALSE(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    actions->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(denoise->checked());
    EXPECT_EQ(panel.delegate.calls.size(), 2);
}

TEST(Accessibility, ButtonsAreNamedByTheirRoleUnlessTheWindowNamesThem)
{
    Panel panel;
    QAccessibleInterface* play = accessible(panel.play);
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->role(), QAccessible::Button);
    EXPECT_EQ(play->text(QAccessible::Name), QStringLiteral("Play"));
    EXPECT_EQ(accessible(panel.reset)->text(QAccessible::Name), QStringLiteral("Reset equaliser"));
    panel.play->setAccessibleName(QStringLiteral("Play a file"));
    EXPECT_EQ(play->text(QAccessible::Name), QStringLiteral("Play a file"));

    play->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(panel.delegate.calls, QStringList{QStringLiteral("Play")});
    EXPECT_EQ(panel.play->image(), panel.play->enableImage());
    EXPECT_FALSE(play->state().disabled);
    panel.play->setEnabled(false);
    EXPECT_TRUE(play->state().disabled);
}

TEST(Keyboard, SliderKeysAreUserChangesByOneTenAndToTheEnds)
{
    Panel panel;
    SpkMicSliderAction* slider = panel.slider;
    QSignalSpy actions(slider, &SpkMicSliderAction::action);
    const QList<std::pair<int, int>> steps{{Qt::Key_Up, 38},     {Qt::Key_PageUp, 48}, {Qt::Key_Down, 47},
                                           {Qt::Key_PageDown, 37}, {Qt::Key_End, 100},  {Qt::Key_Home, 0}};
    for (auto [key, expected] : steps) {
        QTest::keyClick(slider, static_cast<Qt::Key>(key));
        ASSERT_EQ(actions.count(), 1) << key;
        EXPECT_EQ(actions.takeFirst().at(0).toInt(), expected) << key;
    }

    QAccessibleInterface* iface = accessible(slider);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Slider);
    QAccessibleValueInterface* value = iface->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 100);
    EXPECT_EQ(value->minimumStepSize().toInt(), 1);
    // Set through the bridge: a user change, kept within the range.
    value->setCurrentValue(150);
    ASSERT_EQ(actions.count(), 1);
    EXPECT_EQ(actions.takeFirst().at(0).toInt(), 100);
    EXPECT_EQ(value->currentValue().toInt(), 100);
    iface->actionInterface()->doAction(QAccessibleActionInterface::decreaseAction());
    ASSERT_EQ(actions.count(), 1);
    EXPECT_EQ(actions.takeFirst().at(0).toInt(), 99);
    EXPECT_EQ(iface->text(QAccessible::Value), QStringLiteral("99"));

    slider->setEnabled(false);
    value->setCurrentValue(10);
    QTest::keyClick(slider, Qt::Key_Up);
    EXPECT_EQ(actions.count(), 0);
    EXPECT_EQ(slider->value(), 99);
}

TEST(Keyboard, ReverbKeysAreOneReportedDragStepEach)
{
    Panel panel;
    ProgressIndicator* reverb = panel.reverb;
    reverb->setFocus(Qt::TabFocusReason);
    // From 57.4 a step moves whole units, so the stored value moves by one.
    const QList<std::pair<int, QString>> steps{
        {Qt::Key_Right, QStringLiteral("Reverb 58")},    {Qt::Key_Left, QStringLiteral("Reverb 57")},
        {Qt::Key_Down, QStringLiteral("Reverb 56")},     {Qt::Key_PageUp, QStringLiteral("Reverb 66")},
        {Qt::Key_PageDown, QStringLiteral("Reverb 56")}, {Qt::Key_End, QStringLiteral("Reverb 100")},
        {Qt::Key_Up, QStringLiteral("Reverb 100")},      {Qt::Key_Home, QStringLiteral("Reverb 0")}};
    for (auto [key, expected] : steps) {
        panel.delegate.calls.clear();
        QTest::keyClick(reverb, static_cast<Qt::Key>(key));
        EXPECT_EQ(panel.delegate.calls, QStringList{expected}) << key;
    }
    // The tooltip follows, as in a drag, and goes with the focus; one the
    // pointer side opened stays as it always did.
    EXPECT_TRUE(reverb->popoverTooltip()->isShown());
    panel.play->setFocus(Qt::TabFocusReason);
    EXPECT_FALSE(reverb->popoverTooltip()->isShown());
    reverb->setFocus(Qt::TabFocusReason);
    reverb->updateToolTip();
    panel.play->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(reverb->popoverTooltip()->isShown());
    reverb->setFocus(Qt::TabFocusReason);

    QAccessibleInterface* iface = accessible(reverb);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Slider);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Reverb"));
    EXPECT_EQ(iface->text(QAccessible::Value), QStringLiteral("0%"));
    panel.delegate.calls.clear();
    iface->valueInterface()->setCurrentValue(40);
    iface->actionInterface()->doAction(QAccessibleActionInterface::increaseAction());
    EXPECT_EQ(panel.delegate.calls, (QStringList{QStringLiteral("Reverb 40"), QStringLiteral("Reverb 41")}));

    // With its switch off, keys and the bridge do nothing, as drags don't.
    reverb->setEnable(false);
    EXPECT_TRUE(iface->state().disabled);
    panel.delegate.calls.clear();
    QTest::keyClick(reverb, Qt::Key_Up);
    iface->valueInterface()->setCurrentValue(90);
    EXPECT_TRUE(panel.delegate.calls.isEmpty());
    EXPECT_EQ(reverb->doubleValue(), 41);
}

TEST(Accessibility, MixerBarIsAReadOnlyProgressBarThatKeysDoNotMove)
{
    Panel panel;
    ProgressIndicator* mixer = panel.mixer;
    EXPECT_EQ(mixer->focusPolicy(), Qt::NoFocus);
    QAccessibleInterface* iface = accessible(mixer);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::ProgressBar);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Mixer"));
    EXPECT_EQ(iface->text(QAccessible::Value), QStringLiteral("1.0"));
    EXPECT_TRUE(iface->state().readOnly);
    QTest::keyClick(mixer, Qt::Key_Home);
    iface->valueInterface()->setCurrentValue(0);
    EXPECT_EQ(mixer->doubleValue(), 1.0);
    EXPECT_TRUE(panel.delegate.calls.isEmpty());
}

TEST(FocusRing, ShowsForKeyboardFocusOnly)
{
    Panel panel;
    const auto look = [](QWidget* w) { return w->grab().toImage(); };
    panel.window.setFocus(Qt::OtherFocusReason);
    const QImage sliderUnfocused = look(panel.slider);

    // Focus taken by a click on the knob (which moves nothing) shows no ring.
    const QPoint knob = panel.slider->knobRect().center().toPoint();
    QTest::mouseClick(panel.slider, Qt::LeftButton, {}, knob);
    ASSERT_TRUE(panel.slider->hasFocus());
    EXPECT_EQ(panel.slider->value(), 37);
    EXPECT_EQ(look(panel.slider), sliderUnfocused);

    for (QWidget* control : std::initializer_list<QWidget*>{panel.play, panel.denoise, panel.slider, panel.reverb}) {
        panel.window.setFocus(Qt::OtherFocusReason);
        const QImage unfocused = look(control);
        QWidget* before = control->previousInFocusChain();
        before->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(before, Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), control) << control->metaObject()->className();
        EXPECT_NE(look(control), unfocused) << control->metaObject()->className();
    }
}

TEST(FocusRing, ButtonRingIsTheSkinsRingOverTheImage)
{
    Panel panel;
    Button* reset = panel.reset;
    ASSERT_FALSE(reset->focusRingImage().isNull());
    QImage expected = reset->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&expected);
        painter.setRenderHint(QPainter::Antialiasing);
        reset->focusRingImage().draw(painter, reset->focusRingImage().placedIn(reset->rect()));
    }
    panel.slider->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(panel.slider, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), reset);
    const QImage shown = reset->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(shown, expected);
}
