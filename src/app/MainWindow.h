#pragma once
// The program's one window: a menu bar over the player view. It owns the player and its
// clock, the seek controller, the open movie, the current export settings and the
// conversion runs, and it receives the clock's ticks and the seek controller's and the
// batch's events.

#include <QMainWindow>
#include <QString>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "app/DesktopConversionHost.h"
#include "audio/Mixer.h"
#include "batch/BatchHost.h"
#include "batch/BatchTaskList.h"
#include "batch/ExportRecords.h"
#include "player/ClockOwner.h"
#include "player/FrameRenderer.h"
#include "settings/OutputKind.h"
#include "settings/dialogs/OutputSizeBoxes.h"

class QAction;
class QMenu;
class QMimeData;

namespace convert {
class ConversionRunner;
class ParsedMovie;
class ProgressDialog;
}  // namespace convert
namespace batch {
class BatchRun;
}
namespace player {
class PlaybackClock;
class PlayerHost;
class SeekController;
class SoundOutput;
}  // namespace player

namespace app {

class DocumentLauncher;
class MessageBoxes;
class SettingsStore;
class UserDialogs;

// What the window uses of the desktop; tests put in their own dialogs and message boxes.
struct DesktopServices {
    SettingsStore& settings;
    MessageBoxes& messages;
    DocumentLauncher& launcher;
    UserDialogs& dialogs;
};

// The menu commands, numbered as the program's menu always had them.
enum Command : int {
    kCmdOpen = 32769,
    kCmdExit = 32770,
    kCmdCreateAvi = 32771,
    kCmdDimensions = 32772,
    kCmdAbout = 32773,
    kCmdKeepAspectRatio = 32774,
    kCmdPlay = 32777,
    kCmdStop = 32778,
    kCmdCreateTga = 32779,
    kCmdCreatePng = 32780,
    kCmdHomePage = 32782,
    kCmdHelp = 32784,
    kCmdRewind = 32785,
    kCmdBatchCreate = 32786,
    kCmdSeekMode = 32787,
    kCmdSupportForum = 32788,
    kCmdCreateVideo = 32789,
};

// The menu bar's popups, by position.
enum MenuPosition : int { kMenuFile = 0, kMenuControl = 1, kMenuOptions = 2, kMenuHelp = 3 };

class MainWindow : public QMainWindow, public player::ClockOwner, public batch::BatchHost {
  public:
    // Placed where the settings store says; shown by the caller.
    explicit MainWindow(DesktopServices services);
    ~MainWindow() override;

    QAction* Action(Command command) const { return actions_.at(command); }
    QMenu* Popup(MenuPosition position) const { return popups_.at(position); }
    // Runs a command as its menu item does.
    void RunCommand(Command command);

    // Opens the movie at `path` as the Open command does after its file dialog, also for a
    // movie named on the command line, dropped on the window or chosen from Open Recent. A
    // movie that cannot be read leaves the open one and the title as they were.
    bool OpenMovie(const QString& path);
    // File > Open Recent, rebuilt from the settings each time the File menu is shown.
    QMenu* RecentMenu() const { return recentMenu_; }
    void UpdateRecentMenu();
    // The open movie; null until a movie is open.
    const convert::ParsedMovie* Movie() const { return movie_.get(); }

    player::PlayerHost& View() { return *view_; }
    player::SeekController& Seek() { return *seek_; }
    player::PlaybackClock& Clock() { return *clock_; }
    DesktopConversionHost& ConversionHost() { return *conversionHost_; }
    convert::ConversionRunner* Runner() { return runner_.get(); }
    bool Stopped() const;
    bool InterfaceLocked() const { return locked_; }

    void ShowMovieTitle(const std::string& path) override;
    // The player area becomes exactly width x height, however many lines the menu bar
    // takes at that width.
    void ResizeToMovie(int32_t width, int32_t height, bool keepAspectRatio) override;
    // The player view fills the window's client area.
    void FitHostWindow();
    // A stopped movie is drawn again at the view's size.
    void RefreshStoppedFrame();
    // Off greys File, Control and Options; the window can then be neither resized nor closed.
    void SetInterfaceEnabled(bool enabled);
    // Seek mode plays the movie muted, stepped by the seek controller.
    void SetSeekMode(bool on);

    // player::ClockOwner
    bool RunInProgress() const override;
    bool BatchRunning() const override;
    void PostBatchNextTask() override;

    // batch::BatchHost
    batch::ExportRecords& Records() override { return records_; }
    bool OpenTaskMovie(const settings::ExportTask& task) override;
    int32_t OpenMovieFrameCount() const override;
    int32_t RunImageSequence(const settings::ImageSequenceSettings& settings,
                             settings::OutputKind kind, const std::string& outputPath) override;
    int32_t RunAvi(const convert::AviJob& job) override;
    int32_t RunVideo(const convert::VideoJob& job) override;
    int32_t LastFrameReached() const override;
    void DiscardQueuedTicks() override;
    void HideSeekController() override;
    void ResetSeekEndFrame() override;
    void ShowErrorMessage(int stringId) override;
    bool AskYesNo(int stringId) override;

  protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void BuildMenu();
    QAction* AddCommand(QMenu* menu, Command command, const char* text);
    void UpdateControlMenu();

    void OnOpen();
    // The one local file a drag carries, if the window can open a movie now; else empty.
    QString DraggedMovie(const QMimeData* data) const;
    void OnPlay();
    void OnStop();
    void OnRewind();
    void OnSeekModeCommand();
    void OnSeekModeChanged();
    void OnKeepAspectRatio();
    void OnDimensions();
    void OnCreateImageSequence(settings::OutputKind kind);
    void OnCreateAvi();
    void OnCreateVideo();
    void ShowVideoError(int32_t result);
    void OnBatchCreate();
    audio::MixerOpener RecordingMixer();

    // Makes `movie` the open movie and gives it its runner; returns the previous movie, which
    // the caller lets go once the player has left it.
    std::unique_ptr<convert::ParsedMovie> AdoptMovie(std::unique_ptr<convert::ParsedMovie> movie);
    // The movie with its sound, or muted in seek mode.
    void LoadOpenMovie();
    void LoadMovieWithSound();
    // The movie without sound: its steps in seek mode are not heard, nor is it while an
    // export's settings are chosen.
    bool LoadMutedMovie();
    // The window's size for a client area of width x height.
    void ResizeClientArea(int width, int height);
    settings::PixelSize ClientSize() const;
    settings::PixelSize MovieSize() const;
    bool KeepAspectRatioChecked() const;
    // The file name the export save dialogs propose, and the one chosen.
    QString ProposedOutput() const;
    void RememberOutput(const QString& path);
    void StoreWindowRect();

    DesktopServices services_;
    std::atomic<int32_t> pendingTicks_{0};
    std::map<Command, QAction*> actions_;
    std::map<MenuPosition, QMenu*> popups_;
    QMenu* imageSequenceMenu_ = nullptr;
    QMenu* recentMenu_ = nullptr;

    player::PlayerHost* view_ = nullptr;      // the central widget
    player::SeekController* seek_ = nullptr;  // a child dialog
    std::unique_ptr<player::FrameRenderer> renderer_;
    std::unique_ptr<player::PlaybackClock> clock_;
    std::unique_ptr<player::SoundOutput> sound_;  // fed by the clock's ticks
    std::unique_ptr<convert::ProgressDialog> progress_;
    std::unique_ptr<DesktopConversionHost> conversionHost_;

    std::unique_ptr<convert::ParsedMovie> movie_;
    // Declared after movie_: it refers to it.
    std::unique_ptr<convert::ConversionRunner> runner_;
    batch::ExportRecords records_;
    batch::BatchTaskList tasks_;
    std::unique_ptr<batch::BatchRun> batchRun_;
    QString outputName_;  // file name of the last output, without folder and extension
    bool locked_ = false;
};

}  // namespace app
