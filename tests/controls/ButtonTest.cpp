#include "Pointer.h"

#include "controls/Button.h"
#include "controls/CheckButton.h"
#include "controls/ControlImageState.h"

#include <QObject>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

constexpr int kEnable = static_cast<int>(ControlImageState::Enable);
constexpr int kDisable = static_cast<int>(ControlImageState::Disable);
constexpr int kHover = static_cast<int>(ControlImageState::Hover);
constexpr int kPush = static_cast<int>(ControlImageState::Push);

void press(QWidget* widget)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, QPoint(widget->width() / 2, widget->height() / 2));
}

void release(QWidget* widget)
{
    QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(widget->width() / 2, widget->height() / 2));
}

// Records every operation, and lets a test look at the control at the
// moment an operation arrives.
class RecordingDelegate : public QObject, public ButtonDelegate, public CheckButtonDelegate {
public:
    QStringList calls;
    std::function<void()> onCall;

    void ResetStage() override { record(QStringLiteral("ResetStage")); }
    void Play() override { record(QStringLiteral("Play")); }
    void Record() override { record(QStringLiteral("Record")); }
    void Pause() override { record(QStringLiteral("Pause")); }
    void Stop() override { record(QStringLiteral("Stop")); }
    void MonitorChanged(bool) override { record(QStringLiteral("MonitorChanged")); }
    void DenoiseChanged(bool) override { record(QStringLiteral("DenoiseChanged")); }

private:
    void record(const QString& name)
    {
        calls << name;
        if (onCall)
            onCall();
    }
};

std::unique_ptr<Button> makeButton(int tag, RecordingDelegate* delegate)
{
    auto button = std::make_unique<Button>();
    button->setTag(tag);
    button->resize(44, 44);
    button->awakeFromNib();
    button->setDelegate(delegate);
    return button;
}

} // namespace

TEST(Button, EachTagLoadsItsImagesAndSendsItsOperation)
{
    struct Role {
        int tag;
        const char* prefix;
        const char* operation;
    };
    const Role roles[] = {{0, "reset", "ResetStage"}, {1, "play", "Play"}, {2, "record", "Record"},
                          {3, "pause", "Pause"},      {4, "stop", "Stop"}};
    for (const Role& role : roles) {
        SCOPED_TRACE(role.prefix);
        RecordingDelegate delegate;
        auto button = makeButton(role.tag, &delegate);
        const QString prefix = QLatin1String(role.prefix);
        EXPECT_EQ(button->enableImage().name(), prefix + QStringLiteral("Enable"));
        EXPECT_EQ(button->disableImage().name(), prefix + QStringLiteral("Disable"));
        EXPECT_EQ(button->hoverImage().name(), prefix + QStringLiteral("Hover"));
        EXPECT_EQ(button->pushImage().name(), prefix + QStringLiteral("Push"));
        for (const NamedImage* image : {&button->enableImage(), &button->disableImage(), &button->hoverImage(),
                                        &button->pushImage()})
            EXPECT_FALSE(image->isNull()) << "the skin lacks an image of " << role.prefix;
        press(button.get());
        release(button.get());
        EXPECT_EQ(delegate.calls, QStringList{QLatin1String(role.operation)});
    }
}

TEST(Button, AwakeShowsTheEnableOrDisableImageAndLeavesStatusAlone)
{
    Button enabled;
    enabled.setTag(1);
    enabled.awakeFromNib();
    EXPECT_EQ(enabled.image(), enabled.enableImage());
    EXPECT_EQ(enabled.status(), kEnable);

    Button disabled;
    disabled.setTag(1);
    disabled.setEnabled(false);
    disabled.awakeFromNib();
    EXPECT_EQ(disabled.image(), disabled.disableImage());
    EXPECT_EQ(disabled.status(), kEnable);
}

TEST(Button, EnabledRowsOfTheEventTable)
{
    RecordingDelegate delegate;
    auto button = makeButton(1, &delegate);

    pointerEnters(button.get());
    EXPECT_EQ(button->status(), kHover);
    EXPECT_EQ(button->image(), button->hoverImage());

    // On press the status and the image are already set when the delegate runs.
    int statusSeen = -1;
    NamedImage imageSeen;
    delegate.onCall = [&] {
        statusSeen = button->status();
        imageSeen = button->image();
    };
    press(button.get());
    EXPECT_EQ(delegate.calls, QStringList{QStringLiteral("Play")});
    EXPECT_EQ(statusSeen, kPush);
    EXPECT_EQ(imageSeen, button->pushImage());
    EXPECT_EQ(button->status(), kPush);

    release(button.get());
    EXPECT_EQ(button->status(), kHover);
    EXPECT_EQ(button->image(), button->hoverImage());
    EXPECT_EQ(delegate.calls.size(), 1) << "nothing is sent on release";

    pointerExits(button.get());
    EXPECT_EQ(button->status(), kEnable);
    EXPECT_EQ(button->image(), button->enableImage());

    // Qt's own click machinery never runs.
    int clicks = 0;
    QObject::connect(button.get(), &QAbstractButton::clicked, [&] { ++clicks; });
    QTest::mouseClick(button.get(), Qt::LeftButton);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(delegate.calls.size(), 2);
}

TEST(Button, DisabledIgnoresEnterPressReleaseButShowsDisableOnExit)
{
    RecordingDelegate delegate;
    auto button = makeButton(4, &delegate);
    pointerEnters(button.get());
    button->setEnabled(false);

    pointerEnters(button.get());
    press(button.get());
    release(button.get());
    EXPECT_EQ(button->status(), kHover);
    EXPECT_EQ(button->image(), button->hoverImage());
    EXPECT_TRUE(delegate.calls.isEmpty());

    pointerExits(button.get());
    EXPECT_EQ(button->status(), kDisable);
    EXPECT_EQ(button->image(), button->disableImage());
}

TEST(Button, PlayThatDisablesItselfKeepsPushUntilThePointerLeaves)
{
    RecordingDelegate delegate;
    auto button = makeButton(1, &delegate);
    delegate.onCall = [&] { button->setEnabled(false); };
    pointerEnters(button.get());
    press(button.get());
    release(button.get());
    EXPECT_EQ(button->image(), button->pushImage());
    EXPECT_EQ(button->status(), kPush);

    pointerExits(button.get());
    EXPECT_EQ(button->image(), button->disableImage());
    EXPECT_EQ(button->status(), kDisable);
}

TEST(Button, StateSetFromCodeChangesNoImage)
{
    RecordingDelegate delegate;
    auto button = makeButton(2, &delegate);
    button->setEnabled(false);
    button->setStatus(kDisable);
    EXPECT_EQ(button->image(), button->enableImage());
    button->setEnabled(true);
    button->setStatus(kEnable);
    EXPECT_EQ(button->image(), button->enableImage());
    EXPECT_TRUE(delegate.calls.isEmpty());
}

TEST(Button, TagOutsideTheTableHasNoImagesAndNeverReports)
{
    RecordingDelegate delegate;
    auto button = makeButton(5, &delegate);
    EXPECT_TRUE(button->image().isNull());
    pointerEnters(button.get());
    EXPECT_EQ(button->status(), kHover);
    press(button.get());
    EXPECT_EQ(button->status(), kPush);
    EXPECT_TRUE(button->image().isNull());
    release(button.get());
    pointerExits(button.get());
    EXPECT_EQ(button->status(), kEnable);
    EXPECT_TRUE(delegate.calls.isEmpty());
}

TEST(Button, DelegateThatIsGoneIsNotCalled)
{
    auto delegate = std::make_unique<RecordingDelegate>();
    auto button = makeButton(0, delegate.get());
    delegate.reset();
    press(button.get());
    EXPECT_EQ(button->status(), kPush);
    release(button.get());
    EXPECT_EQ(button->delegate(), nullptr);
}

namespace {

std::unique_ptr<CheckButton> makeCheck(CheckButton::Role role, RecordingDelegate* delegate)
{
    auto check = std::make_unique<CheckButton>();
    check->setRole(role);
    check->resize(46, 26);
    check->awakeFromNib();
    check->setDelegate(delegate);
    return check;
}

} // namespace

TEST(CheckButton, AwakeLoadsTheSixImagesAndShowsNone)
{
    auto check = makeCheck(CheckButton::Monitor, nullptr);
    EXPECT_TRUE(check->image().isNull());
    for (const NamedImage* image : {&check->enableCheckedImage(), &check->enableUncheckedImage(),
                                    &check->disableCheckedImage(), &check->disableUncheckedImage(),
                                    &check->hoverCheckedImage(), &check->hoverUncheckedImage()})
        EXPECT_FALSE(image->isNull());
    EXPECT_EQ(check->hoverCheckedImage().name(), QStringLiteral("hoverChecked"));
}

TEST(CheckButton, EnabledPressFlipsShowsHoverOfTheNewStateThenReportsByRole)
{
    RecordingDelegate delegate;
    auto denoise = makeCheck(CheckButton::Denoise, &delegate);
    bool checkedSeen = false;
    NamedImage imageSeen;
    delegate.onCall = [&] {
        checkedSeen = denoise->checked();
        imageSeen = denoise->image();
    };
    press(denoise.get());
    release(denoise.get());
    EXPECT_TRUE(denoise->checked());
    EXPECT_TRUE(checkedSeen);
    EXPECT_EQ(imageSeen, denoise->hoverCheckedImage());
    EXPECT_EQ(delegate.calls, QStringList{QStringLiteral("DenoiseChanged")});

    // A quick second click arrives as a double click; it toggles again.
    QTest::mouseDClick(denoise.get(), Qt::LeftButton);
    release(denoise.get());
    EXPECT_FALSE(denoise->checked());
    EXPECT_EQ(denoise->image(), denoise->hoverUncheckedImage());

    RecordingDelegate monitorDelegate;
    auto monitor = makeCheck(CheckButton::Monitor, &monitorDelegate);
    monitor->setChecked(true);
    press(monitor.get());
    release(monitor.get());
    EXPECT_FALSE(monitor->checked());
    EXPECT_EQ(monitor->image(), monitor->hoverUncheckedImage());
    EXPECT_EQ(monitorDelegate.calls, QStringList{QStringLiteral("MonitorChanged")});
}

TEST(CheckButton, DisabledPressShowsDisableImageAndReportsNothing)
{
    RecordingDelegate delegate;
    auto check = makeCheck(CheckButton::Denoise, &delegate);
    check->setChecked(true);
    check->setEnabled(false);
    press(check.get());
    release(check.get());
    EXPECT_TRUE(check->checked());
    EXPECT_EQ(check->image(), check->disableCheckedImage());
    EXPECT_TRUE(delegate.calls.isEmpty());
}

TEST(CheckButton, PointerCrossingsShowTheImageOfTheState)
{
    auto check = makeCheck(CheckButton::Monitor, nullptr);
    pointerEnters(check.get());
    EXPECT_EQ(check->image(), check->hoverUncheckedImage());
    pointerExits(check.get());
    EXPECT_EQ(check->image(), check->enableUncheckedImage());

    check->setChecked(true);
    check->setEnabled(false);
    pointerEnters(check.get());
    EXPECT_EQ(check->image(), check->disableCheckedImage());
    check->changeImage(kEnable);
    pointerExits(check.get());
    EXPECT_EQ(check->image(), check->disableCheckedImage());
}

TEST(CheckButton, ChangeImageShowsTheStateAndIgnoresOtherValues)
{
    auto check = makeCheck(CheckButton::Monitor, nullptr);
    check->setChecked(true);
    check->changeImage(kEnable);
    EXPECT_EQ(check->image(), check->enableCheckedImage());
    check->changeImage(kHover);
    EXPECT_EQ(check->image(), check->hoverCheckedImage());
    check->changeImage(kDisable);
    EXPECT_EQ(check->image(), check->disableCheckedImage());
    for (int other : {kPush, -1, 7}) {
        check->changeImage(other);
        EXPECT_EQ(check->image(), check->disableCheckedImage()) << other;
    }
    EXPECT_TRUE(check->checked());
    EXPECT_TRUE(check->isEnabled());

    // Setting checked from code changes no image until asked.
    check->setChecked(false);
    EXPECT_EQ(check->image(), check->disableCheckedImage());
    check->changeImage(kDisable);
    EXPECT_EQ(check->image(), check->disableUncheckedImage());
}

TEST(Button, WindowSystemPointerReachesADisabledButton)
{
    // Real pointer motion through the window, not events sent straight to
    // the button: Qt must still let the disabled button see the exit.
    QWidget window;
    window.resize(200, 100);
    auto* button = new Button(&window);
    button->setTag(1);
    button->setGeometry(50, 20, 44, 44);
    button->awakeFromNib();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QTest::mouseMove(window.windowHandle(), QPoint(5, 5));
    QTest::mouseMove(window.windowHandle(), QPoint(70, 40));
    EXPECT_EQ(button->status(), kHover);
    button->setEnabled(false);
    QTest::mouseMove(window.windowHandle(), QPoint(150, 80));
    EXPECT_EQ(button->status(), kDisable);
    EXPECT_EQ(button->image(), button->disableImage());
}
