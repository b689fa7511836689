// The file panels as real dialogs on the offscreen platform; a timer plays
// the user.
#include "transport/QtFilePanels.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

// What the user types into the panel's name field.
void type(QFileDialog* dialog, const QString& name)
{
    auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_TRUE(edit);
    edit->setText(name);
}

// Runs `answer` on the first visible top-level `Window` once one is shown.
template <typename Window>
void answerWhenShown(std::function<void(Window*)> answer)
{
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<Window*>(widget);
            if (window && window->isVisible()) {
                poll->stop();
                poll->deleteLater();
                answer(window);
                return;
            }
        }
    });
    poll->start();
}

// Runs `answer` on the panel once it is shown.
void answerPanel(std::function<void(QFileDialog*)> answer)
{
    answerWhenShown<QFileDialog>(std::move(answer));
}

// Answers the next message box with `button` once it is shown.
void answerMessage(QMessageBox::StandardButton button)
{
    answerWhenShown<QMessageBox>([button](QMessageBox* box) { box->button(button)->click(); });
}

class QtFilePanelsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QFile song(dir.filePath("song.wav"));
        ASSERT_TRUE(song.open(QIODevice::WriteOnly));
        song.close();
        ASSERT_TRUE(QDir(dir.path()).mkdir("album"));
    }
    QTemporaryDir dir;
    QWidget window;
    QtFilePanels panels{&window};
    QMessageBox::StandardButton replace = QMessageBox::No;
};

TEST_F(QtFilePanelsTest, OpenPanelTakesOneFileOrDirectoryWithoutFilter)
{
    const OpenPanelOptions options{true, true, false};
    answerPanel([this](QFileDialog* dialog) {
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        EXPECT_TRUE(dialog->nameFilters().isEmpty() || dialog->nameFilters() == QStringList{"All Files (*)"});
        dialog->setDirectory(dir.path());
        type(dialog, "song.wav");
        static_cast<QDialog*>(dialog)->accept();
    });
    PanelResult result = panels.runOpenPanel(options);
    EXPECT_TRUE(result.confirmed);
    EXPECT_EQ(result.location, QUrl::fromLocalFile(dir.filePath("song.wav")));

    answerPanel([this](QFileDialog* dialog) {
        dialog->setDirectory(dir.path());
        type(dialog, "album");
        static_cast<QDialog*>(dialog)->accept();
    });
    result = panels.runOpenPanel(options);
    EXPECT_TRUE(result.confirmed);
    EXPECT_EQ(result.location, QUrl::fromLocalFile(dir.filePath("album")));
}

// The player's Open: the desktop's own chooser where there is one, and
// Open on a folder enters it, as in every file chooser.
TEST_F(QtFilePanelsTest, OpenPanelForFilesEntersFoldersAndMayBeTheDesktops)
{
    QFile inside(dir.filePath("album/track.wav"));
    ASSERT_TRUE(inside.open(QIODevice::WriteOnly));
    inside.close();
    answerPanel([this](QFileDialog* dialog) {
        EXPECT_FALSE(dialog->testOption(QFileDialog::DontUseNativeDialog));
        dialog->setDirectory(dir.path());
        type(dialog, "album");
        static_cast<QDialog*>(dialog)->accept();
        EXPECT_TRUE(dialog->isVisible()) << "Open on a folder returned it";
        EXPECT_EQ(QFileInfo(dialog->directory().absolutePath()), QFileInfo(dir.filePath("album")));
        // The dialog lists a folder in the background and, until the list is
        // there, keeps the folder itself selected, which Open would enter
        // again; a person sees the list before typing.
        auto* model = dialog->findChild<QFileSystemModel*>();
        ASSERT_TRUE(model);
        EXPECT_TRUE(QTest::qWaitFor([&] { return model->rowCount(model->index(dir.filePath("album"))) > 0; }, 10000));
        type(dialog, "track.wav");
        static_cast<QDialog*>(dialog)->accept();
    });
    const PanelResult result = panels.runOpenPanel({false, true, false});
    EXPECT_TRUE(result.confirmed);
    EXPECT_EQ(result.location, QUrl::fromLocalFile(dir.filePath("album/track.wav")));
}

TEST_F(QtFilePanelsTest, SavePanelIsTitledAndAllowsOnlyItsType)
{
    const SavePanelOptions options{"Save File", "Save File", {"aac"}};
    answerPanel([this](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Save File");
        EXPECT_EQ(dialog->labelText(QFileDialog::FileName), "Save File");
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog->nameFilters(), QStringList{"AAC (*.aac)"});
        dialog->setDirectory(dir.path());
        type(dialog, "take");
        static_cast<QDialog*>(dialog)->accept();
    });
    PanelResult result = panels.runSavePanel(options);
    EXPECT_TRUE(result.confirmed);
    EXPECT_EQ(result.location, QUrl::fromLocalFile(dir.filePath("take.aac")));

    answerPanel([this](QFileDialog* dialog) {
        dialog->setDirectory(dir.path());
        type(dialog, "take.mp3");
        static_cast<QDialog*>(dialog)->accept();
    });
    result = panels.runSavePanel(options);
    EXPECT_TRUE(result.confirmed);
    EXPECT_EQ(result.location.toLocalFile().right(4), ".aac");
}

TEST_F(QtFilePanelsTest, SavePanelAsksBeforeReplacingAFileUnderTheCompletedName)
{
    QFile existing(dir.filePath("take.mp3.aac"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    const SavePanelOptions options{"Save File", "Save File", {"aac"}};
    auto typeTake = [this](QFileDialog* dialog) {
        dialog->setDirectory(dir.path());
        type(dialog, "take.mp3");
        answerMessage(replace);
        static_cast<QDialog*>(dialog)->accept();
    };

    replace = QMessageBox::No;
    answerPanel(typeTake);
    PanelResult result = panels.runSavePanel(options);
    EXPECT_FALSE(result.confirmed);
    EXPECT_TRUE(result.location.isEmpty());

    replace = QMessageBox::Yes;
    answerPanel(typeTake);
    result = panels.runSavePanel(options);
    EXPECT_TRUE(result.confirmed);
    EXPECT_EQ(result.location, QUrl::fromLocalFile(dir.filePath("take.mp3.aac")));
}

TEST_F(QtFilePanelsTest, CancellingEitherPanelConfirmsNothing)
{
    answerPanel([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_FALSE(panels.runOpenPanel({true, true, false}).confirmed);
    answerPanel([](QFileDialog* dialog) { dialog->reject(); });
    const PanelResult result = panels.runSavePanel({"Save File", "Save File", {"aac"}});
    EXPECT_FALSE(result.confirmed);
    EXPECT_TRUE(result.location.isEmpty());
}

} // namespace
