#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <filesystem>

#include "app/DesktopFixture.h"
#include "convert/run/ParsedMovie.h"
#include "player/PlaybackClock.h"
#include "player/PlayerHost.h"
#include "player/SeekController.h"
#include "resources/StringTable.h"
#include "run/RunTestFiles.h"
#include "swf/player/Player.h"

namespace apptest {
namespace {

using app::kCmdBatchCreate;
using app::kCmdCreateAvi;
using app::kCmdCreatePng;
using app::kCmdCreateTga;
using app::kCmdExit;
using app::kCmdOpen;
using app::kCmdPlay;
using app::kCmdRewind;
using app::kCmdSeekMode;
using app::kCmdStop;

// The items of a popup as shown: texts, "-" for a separator, ">text" for a sub-menu.
std::vector<std::string> Items(QMenu* menu) {
    std::vector<std::string> items;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            items.push_back("-");
        else
            // Appended rather than added to a literal: GCC 12 warns (-Wrestrict) at -O2.
            items.push_back(
                std::string(action->menu() ? ">" : "").append(action->text().toStdString()));
    }
    return items;
}

class MainWindowTest : public DesktopFixture {
  protected:
    bool Enabled(app::Command command) { return window_->Action(command)->isEnabled(); }
    bool PopupEnabled(app::MenuPosition position) {
        return window_->Popup(position)->menuAction()->isEnabled();
    }
    // The Control popup as it is about to be shown.
    void ShowControlMenu() { emit window_->Popup(app::kMenuControl)->aboutToShow(); }
};

TEST_F(MainWindowTest, TheMenuHasItsItemsInOrderWithTheirSeparators) {
    const QList<QAction*> bar = window_->menuBar()->actions();
    ASSERT_EQ(bar.size(), 4);
    EXPECT_EQ(bar[0]->text(), "&File");
    EXPECT_EQ(bar[1]->text(), "&Control");
    EXPECT_EQ(bar[2]->text(), "&Options");
    EXPECT_EQ(bar[3]->text(), "&Help");
    EXPECT_EQ(Items(window_->Popup(app::kMenuFile)),
              (std::vector<std::string>{"&Open...", ">Open &Recent", "-", "Create &AVI...",
                                        "Create &Video...", ">Create &Image Sequence...",
                                        "&Batch Create...", "-", "E&xit"}));
    EXPECT_EQ(Items(window_->Popup(app::kMenuControl)),
              (std::vector<std::string>{"&Play", "&Stop", "&Rewind", "-", "Seek &Mode..."}));
    EXPECT_EQ(Items(window_->Popup(app::kMenuOptions)),
              (std::vector<std::string>{"&Dimensions...", "&Keep Aspect Ratio"}));
    EXPECT_EQ(Items(window_->Popup(app::kMenuHelp)),
              (std::vector<std::string>{"&Kinetrope Pro Help...", "-", "&Quillmoth Home Page",
                                        "Support F&orum", "-", "&About Kinetrope Pro"}));
    EXPECT_EQ(window_->Action(kCmdCreateTga)->text(), "TGA...");
    EXPECT_EQ(window_->Action(kCmdCreatePng)->text(), "PNG...");
    EXPECT_EQ(window_->Action(kCmdCreateTga)->data().toInt(), 32779);
    EXPECT_EQ(window_->Action(app::kCmdSupportForum)->data().toInt(), 32788);
}

TEST_F(MainWindowTest, WithoutAMovieOnlyOpeningBatchExitAndHelpWork) {
    EXPECT_EQ(window_->windowTitle(), "Quillmoth Kinetrope Pro");
    EXPECT_TRUE(Enabled(kCmdOpen));
    EXPECT_TRUE(Enabled(kCmdBatchCreate));
    EXPECT_TRUE(Enabled(kCmdExit));
    EXPECT_FALSE(Enabled(kCmdCreateAvi));
    EXPECT_FALSE(Enabled(app::kCmdCreateVideo));
    EXPECT_FALSE(Enabled(kCmdCreateTga));
    EXPECT_FALSE(Enabled(kCmdCreatePng));
    EXPECT_FALSE(PopupEnabled(app::kMenuControl));
    EXPECT_FALSE(PopupEnabled(app::kMenuOptions));
    EXPECT_TRUE(PopupEnabled(app::kMenuHelp));
    EXPECT_TRUE(window_->Action(app::kCmdKeepAspectRatio)->isChecked());
    EXPECT_TRUE(window_->Action(kCmdStop)->isChecked());
    EXPECT_FALSE(window_->Action(kCmdPlay)->isChecked());
    // Reached without the menu, the exports have nothing to do.
    dialogs_.saveAnswer = QString::fromStdString(scratch_.File("out.avi"));
    window_->RunCommand(kCmdCreateAvi);
    window_->RunCommand(kCmdCreateTga);
    EXPECT_TRUE(dialogs_.requests.empty());
}

TEST_F(MainWindowTest, OpeningAMovieEnablesEverythingAndShowsItsPath) {
    const std::string movie = WriteMovie("first.swf", 120, 90);
    OpenThroughCommand(movie);

    ASSERT_EQ(dialogs_.requests.size(), 1u);
    EXPECT_EQ(dialogs_.requests[0].title, "Select a Flash File");
    EXPECT_EQ(dialogs_.requests[0].filter, "Flash (*.swf);;All files (*)");
    EXPECT_EQ(window_->windowTitle(),
              QString::fromStdString("Quillmoth Kinetrope Pro - [" + movie + "]"));
    EXPECT_EQ(settings_.openDir,
              QString::fromStdString(std::filesystem::path(movie).parent_path()));
    for (app::Command command :
         {kCmdCreateAvi, app::kCmdCreateVideo, kCmdCreateTga, kCmdCreatePng, kCmdPlay})
        EXPECT_TRUE(Enabled(command)) << command;
    EXPECT_TRUE(PopupEnabled(app::kMenuControl));
    EXPECT_TRUE(PopupEnabled(app::kMenuOptions));
    EXPECT_TRUE(window_->Stopped());
    EXPECT_TRUE(window_->View().Control().HasMovie());
    EXPECT_EQ(window_->Seek().EndFrame(), 3u);
}

TEST_F(MainWindowTest, SeekModeGreysPlayStopAndRewindAndChecksItsItem) {
    OpenThroughCommand(WriteMovie("movie.swf", 120, 90));
    ShowControlMenu();
    EXPECT_TRUE(Enabled(kCmdPlay));
    EXPECT_FALSE(window_->Action(kCmdSeekMode)->isChecked());

    dialogs_.seekNoticeTicked = true;
    window_->RunCommand(kCmdSeekMode);
    ShowControlMenu();
    EXPECT_TRUE(window_->Seek().IsShown());
    for (app::Command command : {kCmdPlay, kCmdStop, kCmdRewind})
        EXPECT_FALSE(Enabled(command)) << command;
    EXPECT_TRUE(window_->Action(kCmdSeekMode)->isChecked());
    // The notice was ticked away: it is not shown the next time.
    int32_t dontShow = 0;
    EXPECT_TRUE(settings_.ReadNumber(app::SettingsStore::kSeekNoticeValue, dontShow));
    EXPECT_EQ(dontShow, 1);

    window_->RunCommand(kCmdSeekMode);
    ShowControlMenu();
    EXPECT_FALSE(window_->Seek().IsShown());
    EXPECT_TRUE(Enabled(kCmdPlay));
    EXPECT_FALSE(window_->Action(kCmdSeekMode)->isChecked());

    window_->RunCommand(kCmdSeekMode);
    EXPECT_EQ(dialogs_.seekNoticesShown, 1);
    EXPECT_TRUE(window_->Seek().IsShown());
}

TEST_F(MainWindowTest, ALockedWindowGreysItsMenusAndCanBeNeitherResizedNorClosed) {
    OpenThroughCommand(WriteMovie("movie.swf", 120, 90));
    const QSize size = window_->size();
    window_->SetInterfaceEnabled(false);
    EXPECT_FALSE(PopupEnabled(app::kMenuFile));
    EXPECT_FALSE(PopupEnabled(app::kMenuControl));
    EXPECT_FALSE(PopupEnabled(app::kMenuOptions));
    EXPECT_TRUE(PopupEnabled(app::kMenuHelp));

    window_->resize(size.width() + 50, size.height() + 50);
    QApplication::processEvents();
    EXPECT_EQ(window_->size(), size);
    EXPECT_FALSE(window_->close());
    EXPECT_TRUE(window_->isVisible());

    window_->SetInterfaceEnabled(true);
    EXPECT_TRUE(PopupEnabled(app::kMenuFile));
    EXPECT_TRUE(PopupEnabled(app::kMenuControl));
    window_->resize(size.width() + 50, size.height() + 50);
    EXPECT_EQ(window_->size(), QSize(size.width() + 50, size.height() + 50));
    EXPECT_TRUE(window_->close());
}

TEST_F(MainWindowTest, UnlockingWithoutAMovieLeavesControlAndOptionsGreyed) {
    window_->SetInterfaceEnabled(false);
    window_->SetInterfaceEnabled(true);
    EXPECT_TRUE(PopupEnabled(app::kMenuFile));
    EXPECT_FALSE(PopupEnabled(app::kMenuControl));
    EXPECT_FALSE(PopupEnabled(app::kMenuOptions));
}

TEST_F(MainWindowTest, TheClientAreaIsExactlyTheMovieSize) {
    OpenThroughCommand(WriteMovie("movie.swf", 320, 240));
    EXPECT_EQ(ViewSize().width, 320);
    EXPECT_EQ(ViewSize().height, 240);
    EXPECT_EQ(window_->View().Control().ViewWidth(), 320);
    EXPECT_EQ(window_->View().Control().ViewHeight(), 240);

    window_->ResizeToMovie(200, 310, true);
    EXPECT_EQ(ViewSize().width, 200);
    EXPECT_EQ(ViewSize().height, 310);
}

TEST_F(MainWindowTest, ANarrowWindowWhoseMenuBarWrapsStillGetsTheWholeHeight) {
    OpenThroughCommand(WriteMovie("narrow.swf", 60, 200));
    // At this width the four menu titles do not fit on one line.
    EXPECT_GT(window_->menuBar()->sizeHint().width(), 60);
    EXPECT_EQ(ViewSize().width, 60);
    EXPECT_EQ(ViewSize().height, 200);
}

TEST_F(MainWindowTest, DimensionsResizesThePlayerAreaAndKeepsTheScaleMode) {
    OpenThroughCommand(WriteMovie("movie.swf", 120, 90));
    window_->RunCommand(app::kCmdKeepAspectRatio);
    EXPECT_FALSE(window_->Action(app::kCmdKeepAspectRatio)->isChecked());
    EXPECT_EQ(window_->View().Control().GetScaleMode(), swf::Player::ExactFit);

    dialogs_.dimensions = settings::PixelSize{250, 130};
    window_->RunCommand(app::kCmdDimensions);
    EXPECT_EQ(ViewSize().width, 250);
    EXPECT_EQ(ViewSize().height, 130);
    EXPECT_EQ(window_->View().Control().GetScaleMode(), swf::Player::ExactFit);

    // The menu item toggles as the command does.
    window_->Action(app::kCmdKeepAspectRatio)->trigger();
    EXPECT_TRUE(window_->Action(app::kCmdKeepAspectRatio)->isChecked());
    EXPECT_EQ(window_->View().Control().GetScaleMode(), swf::Player::ShowAll);
}

TEST_F(MainWindowTest, TogglingKeepAspectRatioRedrawsTheStillFrameAtOnce) {
    OpenThroughCommand(WriteMovie("movie.swf", 120, 90));
    dialogs_.dimensions = settings::PixelSize{240, 90};
    window_->RunCommand(app::kCmdDimensions);
    convert::FrameBuffer& frame = window_->ConversionHost().Renderer().colourBuffer;
    // The frame's colour at the view's left edge, after the paints the change asked for.
    auto leftEdgeFrame = [&] {
        QApplication::processEvents();
        const uint8_t* pixel = frame.row(45);
        return runtest::FrameOfColour(pixel[0], pixel[1], pixel[2]);
    };
    // Shown whole with its own aspect, the movie leaves the sides to the background.
    EXPECT_EQ(leftEdgeFrame(), -1);
    window_->RunCommand(app::kCmdKeepAspectRatio);
    EXPECT_EQ(leftEdgeFrame(), 0);
    window_->RunCommand(app::kCmdKeepAspectRatio);
    EXPECT_EQ(leftEdgeFrame(), -1);
}

TEST_F(MainWindowTest, PlayStopAndRewindDriveThePlayer) {
    OpenThroughCommand(WriteMovie("movie.swf", 120, 90, 6));
    swf::Player& control = window_->View().Control();
    window_->RunCommand(kCmdPlay);
    EXPECT_FALSE(window_->Stopped());
    EXPECT_TRUE(window_->Action(kCmdPlay)->isChecked());
    EXPECT_FALSE(window_->Action(kCmdStop)->isChecked());
    control.advanceFrame();
    control.advanceFrame();
    EXPECT_EQ(control.TCurrentFrame(), 2);

    // Rewind while playing goes on playing from the first frame.
    window_->RunCommand(kCmdRewind);
    EXPECT_EQ(control.TCurrentFrame(), 0);
    EXPECT_FALSE(window_->Stopped());
    EXPECT_TRUE(control.IsPlaying());

    window_->RunCommand(kCmdStop);
    EXPECT_TRUE(window_->Stopped());
    EXPECT_FALSE(control.IsPlaying());
    EXPECT_TRUE(window_->Action(kCmdStop)->isChecked());
    control.advanceFrame();
    window_->RunCommand(kCmdRewind);
    EXPECT_EQ(control.TCurrentFrame(), 0);
    EXPECT_TRUE(window_->Stopped());
}

TEST_F(MainWindowTest, AnUnreadableMovieLeavesTheOpenOneAsItWas) {
    const std::string good = WriteMovie("good.swf", 120, 90, 4, true);
    OpenThroughCommand(good);
    const convert::ParsedMovie* movie = window_->Movie();
    ASSERT_NE(movie, nullptr);
    const QString title = window_->windowTitle();

    const std::string broken = scratch_.File("broken.swf");
    testfiles::WriteBytes(broken, {'F', 'W', 'S', 8, 3, 0});
    OpenThroughCommand(broken);

    ASSERT_EQ(presenter_.texts.size(), 1u);
    EXPECT_EQ(presenter_.texts[0], "File Open Error");
    EXPECT_EQ(window_->windowTitle(), title);
    EXPECT_EQ(window_->Movie(), movie);
    EXPECT_EQ(window_->View().Control().Header()->widthPixels(), 120);
    EXPECT_EQ(ViewSize().width, 120);
}

TEST_F(MainWindowTest, OpeningMoviesWritesNoFile) {
    const std::string compressed = WriteMovie("compressed.swf", 120, 90, 4, true);
    OpenThroughCommand(compressed);
    EXPECT_EQ(window_->Movie()->header().width, 120);
    const std::string plain = WriteMovie("plain.swf", 100, 80);
    OpenThroughCommand(plain);
    EXPECT_EQ(window_->Movie()->header().width, 100);
    EXPECT_EQ(ViewSize().width, 100);

    window_.reset();
    std::vector<std::string> entries = scratch_.Entries();
    std::ranges::sort(entries);
    EXPECT_EQ(entries, (std::vector<std::string>{"compressed.swf", "plain.swf"}));
}

TEST_F(MainWindowTest, TheWindowOpensWhereItWasClosed) {
    // Before anything was stored, the player area has a new movie's stage size.
    EXPECT_EQ(ViewSize().width, 550);
    EXPECT_EQ(ViewSize().height, 400);

    window_->setGeometry(40, 50, 300, 200);
    EXPECT_TRUE(window_->close());
    const app::StoredRect rect = settings_.mainWindow;
    EXPECT_EQ(rect.right - rect.left, 300);
    EXPECT_EQ(rect.bottom - rect.top, 200);

    window_ = std::make_unique<app::MainWindow>(
        app::DesktopServices{settings_, messages_, launcher_, dialogs_});
    window_->show();
    QApplication::processEvents();
    EXPECT_EQ(window_->normalGeometry(), QRect(rect.left, rect.top, 300, 200));
}

TEST_F(MainWindowTest, HelpItemsGoThroughTheLauncher) {
    window_->RunCommand(app::kCmdHomePage);
    window_->RunCommand(app::kCmdSupportForum);
    ASSERT_EQ(shell_.opened.size(), 2u);
    EXPECT_EQ(shell_.opened[0], QUrl(app::DocumentLauncher::kHomePageAddress));
    EXPECT_EQ(shell_.opened[1], QUrl(app::DocumentLauncher::kSupportForumAddress));
    window_->RunCommand(app::kCmdAbout);
    EXPECT_EQ(dialogs_.aboutShown, 1);
}

}  // namespace
}  // namespace apptest
