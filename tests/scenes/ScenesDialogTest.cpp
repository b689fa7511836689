// The "Scenes…" dialog on the offscreen platform over a real scene store
// and controller: what it offers and what each of its changes stores.
#include "model/PanelModel.h"
#include "presets/PresetStore.h"
#include "scenes/SceneController.h"
#include "scenes/SceneStore.h"
#include "scenes/ScenesDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// What the sound server would tell of the applications recording.
class StreamsStandIn final : public RecordingStreams {
public:
    void follow(AudioObjectID) override {}
    void tell(const QList<RecordingStream>& streams) { emit streamsChanged(streams); }
};

TEST(ScenesDialog, OffersTheApplicationsSeenRecordingAndStoresEachChangeAtOnce)
{
    QTemporaryDir dir;
    PanelModel model;
    PresetStore presets(dir.filePath(QStringLiteral("presets")));
    presets.load();
    SceneStore store(dir.filePath(QStringLiteral("scenes")));
    store.load();
    QString why;
    ASSERT_TRUE(store.add({QStringLiteral("Zoom"), QStringLiteral("Voice")}, &why));
    StreamsStandIn streams;
    SceneController scenes(model, presets, store, streams);
    streams.tell({{7, QStringLiteral("Discord"), QStringLiteral("discord")}, {9, QString(), QStringLiteral("obs")}});

    ScenesDialog dialog(scenes, presets);
    EXPECT_TRUE(dialog.enabledBox()->isChecked());
    ASSERT_EQ(dialog.sceneList()->count(), 1);
    EXPECT_EQ(dialog.sceneList()->item(0)->text(), QStringLiteral("Zoom: preset Voice"));
    EXPECT_EQ(dialog.applicationBox()->findText(QStringLiteral("obs")), 0) << "the latest first";
    EXPECT_EQ(dialog.applicationBox()->findText(QStringLiteral("Discord")), 1);
    EXPECT_EQ(dialog.presetBox()->count(), presets.names().size());

    dialog.applicationBox()->setCurrentIndex(1);
    dialog.presetBox()->setCurrentText(QStringLiteral("Podcast"));
    QTest::mouseClick(dialog.addButton(), Qt::LeftButton);
    EXPECT_EQ(store.scenes().size(), 2);
    ASSERT_NE(store.find(QStringLiteral("discord")), nullptr);
    EXPECT_EQ(store.find(QStringLiteral("discord"))->preset, QStringLiteral("Podcast"));
    EXPECT_EQ(dialog.sceneList()->count(), 2);
    EXPECT_TRUE(dialog.refusal()->text().isEmpty());

    dialog.applicationBox()->setCurrentText(QStringLiteral("[chat]"));
    QTest::mouseClick(dialog.addButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.refusal()->text().isEmpty());
    EXPECT_EQ(store.scenes().size(), 2);

    EXPECT_FALSE(dialog.removeButton()->isEnabled()) << "nothing chosen to remove";
    dialog.sceneList()->setCurrentRow(0);
    QTest::mouseClick(dialog.removeButton(), Qt::LeftButton);
    EXPECT_EQ(store.find(QStringLiteral("Zoom")), nullptr);
    EXPECT_EQ(dialog.sceneList()->count(), 1);

    dialog.enabledBox()->click();
    EXPECT_FALSE(store.enabled());
    store.waitForWrites();
    SceneStore reread(store.file());
    EXPECT_TRUE(reread.load().isEmpty());
    EXPECT_FALSE(reread.enabled());
    EXPECT_EQ(reread.scenes(), store.scenes());
}

} // namespace
