#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <deque>
#include <fstream>
#include <vector>

#include "batch/BatchDialog.h"
#include "batch/BatchTaskList.h"
#include "batch/ExportRecords.h"
#include "settings/AviExportTask.h"
#include "settings/ImageSequenceTask.h"
#include "settings/VideoExportTask.h"
#include "support/SwfWriter.h"

namespace {

using settings::OutputKind;

// The file choosers answer from queues (an empty answer is a cancel) and the settings
// dialogs accept or refuse as told.
struct ScriptedServices {
    std::deque<QString> movies;
    std::deque<QString> outputs;
    bool editAccepts = true;
    int32_t colorDepthOnEdit = 0;  // written into the task by an accepted edit when set
    std::vector<QString> movieFolders;
    std::vector<QString> outputFolders;
    std::vector<QString> proposedNames;
    std::vector<std::vector<OutputKind>> offeredKinds;
    int edits = 0;
    std::vector<int> messages;

    batch::BatchDialogServices Services() {
        batch::BatchDialogServices services;
        services.chooseMovie = [this](QWidget*, const QString& folder) {
            movieFolders.push_back(folder);
            return Next(movies);
        };
        services.chooseOutput = [this](QWidget*, std::span<const OutputKind> kinds,
                                       const QString& folder, const QString& proposed) {
            offeredKinds.emplace_back(kinds.begin(), kinds.end());
            outputFolders.push_back(folder);
            proposedNames.push_back(proposed);
            return Next(outputs);
        };
        services.editTask = [this](QWidget*, settings::ExportTask& task) {
            ++edits;
            if (editAccepts && colorDepthOnEdit != 0) {
                if (auto* avi = dynamic_cast<settings::AviExportTask*>(&task))
                    avi->settings.colorDepth = colorDepthOnEdit;
                if (auto* images = dynamic_cast<settings::ImageSequenceTask*>(&task))
                    images->settings.colorDepth = colorDepthOnEdit;
            }
            return editAccepts;
        };
        services.showMessage = [this](QWidget*, const settings::DialogMessage& message) {
            messages.push_back(message.stringId);
        };
        return services;
    }

    static QString Next(std::deque<QString>& answers) {
        if (answers.empty()) return {};
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class BatchDialogTest : public ::testing::Test {
  protected:
    BatchDialogTest() {
        swftest::SwfWriter movie;
        movie.frameSizePixels(320, 240).frameRate(12);
        for (int frame = 0; frame < 10; ++frame) movie.showFrame();
        movie.writeFile(Path("movies/clip.swf").toStdString());
        std::ofstream(Path("movies/broken.swf").toStdString()) << "not a movie";
        records.avi.width = records.image.width = 320;
        records.avi.height = records.image.height = 240;
    }

    QString Path(const QString& name) const {
        QDir(folder.path()).mkpath(QFileInfo(folder.filePath(name)).path());
        return folder.filePath(name);
    }

    // Adds the movie as a task writing to `output`, through the "Add..." button.
    void AddTask(const QString& output) {
        scripted.movies.push_back(Path("movies/clip.swf"));
        scripted.outputs.push_back(Path(output));
        Button("add")->click();
    }

    QPushButton* Button(const char* name) {
        return dialog.findChild<QPushButton*>(QString::fromUtf8(name));
    }
    QString Text(const char* label) {
        return dialog.findChild<QLabel*>(QString::fromUtf8(label))->text();
    }
    bool Hidden(const char* label) {
        return dialog.findChild<QLabel*>(QString::fromUtf8(label))->isHidden();
    }
    QTreeWidget* List() { return dialog.findChild<QTreeWidget*>(QStringLiteral("tasks")); }
    std::vector<bool> TaskButtonsEnabled() {
        return {Button("remove")->isEnabled(), Button("removeAll")->isEnabled(),
                Button("outputFile")->isEnabled(), Button("setting")->isEnabled()};
    }
    void Select(int row) { List()->setCurrentItem(List()->topLevelItem(row)); }

    QTemporaryDir folder;
    batch::ExportRecords records;
    batch::BatchTaskList tasks;
    QString openDir = QStringLiteral("/start/open");
    QString saveDir = QStringLiteral("/start/save");
    ScriptedServices scripted;
    batch::BatchDialog dialog{tasks, records, openDir, saveDir, scripted.Services()};
};

const std::vector<bool> kAllEnabled{true, true, true, true};
const std::vector<bool> kAllDisabled{false, false, false, false};

TEST_F(BatchDialogTest, TaskButtonsAreEnabledExactlyWhileTasksAreListed) {
    EXPECT_EQ(TaskButtonsEnabled(), kAllDisabled);
    EXPECT_TRUE(Button("add")->isEnabled());

    AddTask("out/clip.avi");
    EXPECT_EQ(TaskButtonsEnabled(), kAllEnabled);
    EXPECT_EQ(Text("duration"), "0 ~ 9 frames");

    Button("remove")->click();
    EXPECT_TRUE(tasks.empty());
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_EQ(TaskButtonsEnabled(), kAllDisabled);
    EXPECT_EQ(Text("duration"), "");

    AddTask("out/a.avi");
    AddTask("out/b.png");
    Button("removeAll")->click();
    EXPECT_TRUE(tasks.empty());
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_EQ(TaskButtonsEnabled(), kAllDisabled);
    EXPECT_EQ(Text("sequence"), "");
}

TEST_F(BatchDialogTest, AddedTaskGetsARowOfItsOwnAndIsSelected) {
    AddTask("out/first.png");
    AddTask("out/CLIP.AVI");
    AddTask("out/frames.tga");

    ASSERT_EQ(tasks.size(), 3u);
    ASSERT_EQ(List()->topLevelItemCount(), 3);
    const QTreeWidgetItem* row = List()->topLevelItem(1);
    EXPECT_EQ(row->text(0), Path("movies/clip.swf"));
    EXPECT_EQ(row->text(1), Path("out/CLIP.AVI"));
    EXPECT_EQ(row->text(2), "AVI");
    EXPECT_EQ(List()->topLevelItem(0)->text(2), "PNG");
    EXPECT_EQ(List()->topLevelItem(2)->text(2), "TGA");
    EXPECT_EQ(tasks.at(1).kind, OutputKind::Avi);
    EXPECT_EQ(List()->selectedItems(), QList<QTreeWidgetItem*>{List()->topLevelItem(2)});

    // Every kind offered, AVI first, under the movie's own name, from the folders last used.
    EXPECT_EQ(scripted.offeredKinds.front(),
              (std::vector<OutputKind>{OutputKind::Avi, OutputKind::Video, OutputKind::Tga,
                                       OutputKind::Png}));
    EXPECT_EQ(scripted.proposedNames.front(), "clip");
    EXPECT_EQ(scripted.movieFolders.front(), "/start/open");
    EXPECT_EQ(scripted.outputFolders.front(), "/start/save");
    EXPECT_EQ(scripted.movieFolders.back(), Path("movies"));
    EXPECT_EQ(openDir, Path("movies"));
    EXPECT_EQ(saveDir, Path("out"));
}

TEST_F(BatchDialogTest, AddStopsAtACancelOrAnUnreadableMovie) {
    Button("add")->click();  // no movie chosen
    EXPECT_EQ(scripted.outputFolders.size(), 0u);

    scripted.movies.push_back(Path("movies/broken.swf"));
    Button("add")->click();
    EXPECT_EQ(scripted.messages, std::vector<int>{110});
    EXPECT_EQ(scripted.outputFolders.size(), 0u);
    EXPECT_EQ(openDir, Path("movies"));

    scripted.movies.push_back(Path("movies/clip.swf"));
    Button("add")->click();  // no output chosen
    EXPECT_EQ(scripted.edits, 0);
    EXPECT_EQ(saveDir, "/start/save");

    scripted.editAccepts = false;
    AddTask("out/clip.avi");
    EXPECT_EQ(scripted.edits, 1);

    EXPECT_TRUE(tasks.empty());
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_EQ(TaskButtonsEnabled(), kAllDisabled);
}

TEST_F(BatchDialogTest, SummaryShowsTheSelectedTasksLines) {
    AddTask("out/clip.avi");
    AddTask("out/clip.png");

    Select(0);
    EXPECT_EQ(Text("sequence"), "normal");
    EXPECT_EQ(Text("dimension"), "320 x 240, keep aspect ratio");
    EXPECT_EQ(Text("video"), "Uncompressed, 12.00 fps, 24 bits");
    EXPECT_EQ(Text("audio"), "PCM, 44.100 kHz, 16 Bit, Stereo");
    EXPECT_FALSE(Hidden("videoLabel"));
    EXPECT_TRUE(Hidden("colorsLabel"));
    EXPECT_FALSE(Hidden("audioLabel"));
    EXPECT_FALSE(Hidden("audio"));

    Select(1);
    EXPECT_EQ(Text("video"), "24 bits");
    EXPECT_TRUE(Hidden("videoLabel"));
    EXPECT_FALSE(Hidden("colorsLabel"));
    EXPECT_TRUE(Hidden("audioLabel"));
    EXPECT_TRUE(Hidden("audio"));
}

TEST_F(BatchDialogTest, ClickBelowTheRowsClearsTheSummary) {
    AddTask("out/clip.avi");
    dialog.show();
    QWidget* viewport = List()->viewport();
    const QPointF below(5, viewport->height() - 2);
    ASSERT_EQ(List()->itemAt(below.toPoint()), nullptr);

    QMouseEvent press(QEvent::MouseButtonPress, below, viewport->mapToGlobal(below),
                      Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);

    EXPECT_EQ(Text("sequence"), "");
    EXPECT_EQ(Text("video"), "");
    EXPECT_EQ(tasks.size(), 1u);
}

TEST_F(BatchDialogTest, RemoveTakesTheSelectedTaskOnly) {
    AddTask("out/a.png");
    AddTask("out/b.png");
    scripted.colorDepthOnEdit = 32;
    AddTask("out/c.png");
    Select(1);

    Button("remove")->click();

    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks.at(0).outputPath, Path("out/a.png").toStdString());
    EXPECT_EQ(tasks.at(1).outputPath, Path("out/c.png").toStdString());
    EXPECT_EQ(List()->topLevelItem(1)->text(1), Path("out/c.png"));
    EXPECT_EQ(TaskButtonsEnabled(), kAllEnabled);
    // With no row selected any more, nothing is summarised.
    // The list moves the selection to a neighbour, whose summary is then shown.
    ASSERT_EQ(List()->selectedItems().size(), 1);
    const int selected = List()->indexOfTopLevelItem(List()->selectedItems().first());
    EXPECT_EQ(Text("video"), selected == 1 ? "32 bits" : "24 bits");

    List()->clearSelection();
    Button("remove")->click();
    EXPECT_EQ(tasks.size(), 2u);
}

TEST_F(BatchDialogTest, SettingAndOutputFileChangeTheSelectedTask) {
    AddTask("out/a.png");
    AddTask("out/b.avi");
    Select(0);

    scripted.colorDepthOnEdit = 32;
    Button("setting")->click();
    EXPECT_EQ(Text("video"), "32 bits");
    EXPECT_EQ(dynamic_cast<settings::ImageSequenceTask&>(tasks.at(0)).settings.colorDepth, 32);

    scripted.outputs.push_back(Path("elsewhere/renamed.avi"));
    Button("outputFile")->click();
    EXPECT_EQ(scripted.offeredKinds.back(), std::vector<OutputKind>{OutputKind::Png});
    EXPECT_EQ(scripted.proposedNames.back(), Path("out/a.png"));
    EXPECT_EQ(tasks.at(0).outputPath, Path("elsewhere/renamed.avi").toStdString());
    EXPECT_EQ(tasks.at(0).kind, OutputKind::Png);
    EXPECT_EQ(List()->topLevelItem(0)->text(1), Path("elsewhere/renamed.avi"));
    EXPECT_EQ(List()->topLevelItem(0)->text(2), "PNG");
    EXPECT_EQ(saveDir, Path("elsewhere"));

    // A cancelled edit or choice changes nothing.
    scripted.editAccepts = false;
    scripted.colorDepthOnEdit = 24;
    Button("setting")->click();
    Button("outputFile")->click();
    EXPECT_EQ(dynamic_cast<settings::ImageSequenceTask&>(tasks.at(0)).settings.colorDepth, 32);
    EXPECT_EQ(tasks.at(0).outputPath, Path("elsewhere/renamed.avi").toStdString());
}

TEST_F(BatchDialogTest, CancelEmptiesTheListAndOkKeepsIt) {
    AddTask("out/a.avi");
    AddTask("out/b.png");
    ASSERT_NE(dynamic_cast<settings::AviExportTask&>(tasks.at(0)).compressor, nullptr);

    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(tasks.size(), 2u);
    EXPECT_EQ(dynamic_cast<settings::AviExportTask&>(tasks.at(0)).compressor->hic, nullptr);

    dialog.reject();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(tasks.empty());
}

TEST_F(BatchDialogTest, AVideoTaskIsWrittenInTheContainerItsOutputNames) {
    AddTask("out/clip.webm");
    ASSERT_EQ(tasks.size(), 1u);
    auto& video = dynamic_cast<settings::VideoExportTask&>(tasks.at(0));
    EXPECT_EQ(video.kind, OutputKind::Video);
    EXPECT_EQ(video.settings.container, settings::VideoContainer::WebM);
    EXPECT_EQ(video.settings.endFrame, 9);
    EXPECT_EQ(List()->topLevelItem(0)->text(2), "WEBM");
    EXPECT_EQ(Text("video"), "WebM, vp9, 12.00 fps, 24 bits");
    EXPECT_FALSE(Hidden("audioLabel"));

    // Another container by name brings its own codecs; a name of no container keeps it.
    scripted.outputs.push_back(Path("out/clip.MOV"));
    Button("outputFile")->click();
    EXPECT_EQ(scripted.offeredKinds.back(), std::vector<OutputKind>{OutputKind::Video});
    EXPECT_EQ(video.settings.container, settings::VideoContainer::Mov);
    EXPECT_EQ(video.settings.videoCodec, settings::VideoCodec::ProRes);
    EXPECT_EQ(List()->topLevelItem(0)->text(2), "MOV");
    EXPECT_EQ(Text("video"), "QuickTime, prores, 12.00 fps, 24 bits");
    scripted.outputs.push_back(Path("out/clip.bin"));
    Button("outputFile")->click();
    EXPECT_EQ(video.settings.container, settings::VideoContainer::Mov);
    EXPECT_EQ(List()->topLevelItem(0)->text(1), Path("out/clip.bin"));
}

}  // namespace
