// The linking sheet drawn inside its window, as on Wayland where no client
// places its own windows: it hangs from the window's top edge, centred,
// and holds the window's input (pointer and keys) until the link sequence
// closes it, as the window-modal sheet of its own does elsewhere.
#include "app/LinkingSheet.h"
#include "app/MainWindow.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

TEST(LinkingSheet, InsideItsWindowItHangsFromTheTopAndHoldsTheWindowsInput)
{
    MainWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    LinkingSheet sheet(&window, LinkingSheet::Placement::InsideWindow);
    auto* mixer = window.findChild<QPushButton*>(QStringLiteral("MixerButton"));
    ASSERT_NE(mixer, nullptr);
    int clicks = 0;
    QObject::connect(mixer, &QPushButton::clicked, [&] { ++clicks; });

    sheet.open();
    ASSERT_TRUE(sheet.isVisible());
    EXPECT_FALSE(sheet.isWindow());
    EXPECT_EQ(sheet.pos(), QPoint((window.width() - sheet.width()) / 2, 0));
    EXPECT_GE(sheet.width(), sheet.minimumSizeHint().width()) << "its text is not cut off";
    QTest::mouseClick(mixer, Qt::LeftButton);
    mixer->setFocus();
    QTest::keyClick(mixer, Qt::Key_Space);
    EXPECT_EQ(clicks, 0) << "the window takes no input while the sheet is up";

    sheet.done(QDialog::Accepted);
    EXPECT_FALSE(sheet.isVisible());
    QTest::mouseClick(mixer, Qt::LeftButton);
    EXPECT_EQ(clicks, 1) << "and all of it again once the sheet is gone";
}

TEST(LinkingSheet, ElsewhereItIsAWindowOfItsOwn)
{
    MainWindow window;
    window.show();
    LinkingSheet sheet(&window, LinkingSheet::Placement::OwnWindow);
    sheet.open();
    EXPECT_TRUE(sheet.isWindow());
    EXPECT_EQ(QApplication::activeModalWidget(), &sheet);
    sheet.done(QDialog::Accepted);
}
