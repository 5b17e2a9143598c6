#include "app/MainWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <optional>

#include "app/DocumentLauncher.h"
#include "app/MessageBoxes.h"
#include "app/SettingsStore.h"
#include "app/UserDialogs.h"
#include "audio/LoopbackMixer.h"
#include "batch/BatchRun.h"
#include "convert/run/ConversionRunner.h"
#include "convert/run/ParsedMovie.h"
#include "player/HostEvents.h"
#include "player/HostValueEvent.h"
#include "player/PlaybackClock.h"
#include "player/PlayerHost.h"
#include "player/SeekController.h"
#include "player/SoundOutput.h"
#include "resources/ResultCode.h"
#include "resources/StringTable.h"
#include "settings/OfferedSettings.h"
#include "settings/VideoExportTask.h"
#include "swf/player/Player.h"

namespace app {
namespace {

QString ProductTitle() {
    return QString::fromUtf8(resources::kProductTitle);
}

QString StringText(int id) {
    return QString::fromUtf8(resources::LoadString(id));
}

// The player area before anything was stored: the stage of a new movie.
constexpr int kNewStageWidth = 550;
constexpr int kNewStageHeight = 400;

// A movie's stage as a player area: at least a pixel, at most what the engine draws.
int PlayerSide(int32_t pixels) {
    return std::clamp<int32_t>(pixels, 1, swf::Player::kMaxViewSide);
}

}  // namespace

MainWindow::MainWindow(DesktopServices services) : services_(services) {
    setWindowTitle(ProductTitle());
    setAcceptDrops(true);
    BuildMenu();

    // The view, its engine and clock are sited before anything can load a movie.
    view_ = new player::PlayerHost(this, pendingTicks_, this);
    setCentralWidget(view_);
    renderer_ = std::make_unique<player::FrameRenderer>(*view_);
    renderer_->SetPhaseQuery([this] {
        return RunInProgress() ? player::RenderPhase::Run : player::RenderPhase::Idle;
    });
    seek_ = new player::SeekController(this, this);
    seek_->hide();
    clock_ = std::make_unique<player::PlaybackClock>(this, view_->Control(), *seek_, *this,
                                                     pendingTicks_);
    sound_ = std::make_unique<player::SoundOutput>(view_->Control());
    clock_->SetSoundOutput(sound_.get());
    progress_ = services_.dialogs.MakeProgressWindow(this);
    batchRun_ = std::make_unique<batch::BatchRun>(*this, tasks_, this);
    conversionHost_ = std::make_unique<DesktopConversionHost>(
        this, *view_, *renderer_, *progress_, services_.messages, services_.launcher, *batchRun_,
        [this](bool enabled) { SetInterfaceEnabled(enabled); }, [this] { LoadMovieWithSound(); });
    batchRun_->SetShowLog(
        [this](const batch::BatchTaskList& tasks) { services_.dialogs.ShowBatchLog(this, tasks); });

    const StoredRect& rect = services_.settings.mainWindow;
    if (rect.left != SettingsStore::kDefaultPosition && rect.right > rect.left &&
        rect.bottom > rect.top)
        setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    else
        ResizeClientArea(kNewStageWidth, kNewStageHeight);
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    AddCommand(file, kCmdOpen, "&Open...");
    recentMenu_ = file->addMenu(QStringLiteral("Open &Recent"));
    connect(file, &QMenu::aboutToShow, this, [this] { UpdateRecentMenu(); });
    file->addSeparator();
    AddCommand(file, kCmdCreateAvi, "Create &AVI...");
    AddCommand(file, kCmdCreateVideo, "Create &Video...");
    imageSequenceMenu_ = file->addMenu(QStringLiteral("Create &Image Sequence..."));
    AddCommand(imageSequenceMenu_, kCmdCreateTga, "TGA...");
    AddCommand(imageSequenceMenu_, kCmdCreatePng, "PNG...");
    AddCommand(file, kCmdBatchCreate, "&Batch Create...");
    file->addSeparator();
    AddCommand(file, kCmdExit, "E&xit");

    QMenu* control = menuBar()->addMenu(QStringLiteral("&Control"));
    AddCommand(control, kCmdPlay, "&Play")->setCheckable(true);
    AddCommand(control, kCmdStop, "&Stop")->setCheckable(true);
    AddCommand(control, kCmdRewind, "&Rewind");
    control->addSeparator();
    AddCommand(control, kCmdSeekMode, "Seek &Mode...")->setCheckable(true);
    connect(control, &QMenu::aboutToShow, this, [this] { UpdateControlMenu(); });

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    AddCommand(options, kCmdDimensions, "&Dimensions...");
    AddCommand(options, kCmdKeepAspectRatio, "&Keep Aspect Ratio")->setCheckable(true);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    AddCommand(help, kCmdHelp, "&Kinetrope Pro Help...");
    help->addSeparator();
    AddCommand(help, kCmdHomePage, "&Quillmoth Home Page");
    AddCommand(help, kCmdSupportForum, "Support F&orum");
    help->addSeparator();
    AddCommand(help, kCmdAbout, "&About Kinetrope Pro");

    popups_ = {
        {kMenuFile, file}, {kMenuControl, control}, {kMenuOptions, options}, {kMenuHelp, help}};

    // Nothing to export, play or size until a movie is open.
    Action(kCmdKeepAspectRatio)->setChecked(true);
    for (Command command : {kCmdCreateAvi, kCmdCreateVideo, kCmdCreateTga, kCmdCreatePng})
        Action(command)->setEnabled(false);
    imageSequenceMenu_->menuAction()->setEnabled(false);
    Action(kCmdPlay)->setChecked(false);
    Action(kCmdStop)->setChecked(true);
    control->menuAction()->setEnabled(false);
    options->menuAction()->setEnabled(false);
    UpdateRecentMenu();
}

QAction* MainWindow::AddCommand(QMenu* menu, Command command, const char* text) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setData(static_cast<int>(command));
    connect(action, &QAction::triggered, this, [this, action, command] {
        // The commands set their own check marks; undo the one the click toggled.
        if (action->isCheckable()) action->setChecked(!action->isChecked());
        RunCommand(command);
    });
    actions_[command] = action;
    return action;
}

void MainWindow::UpdateControlMenu() {
    const bool seekMode = seek_->IsShown();
    for (Command command : {kCmdPlay, kCmdStop, kCmdRewind}) Action(command)->setEnabled(!seekMode);
    Action(kCmdSeekMode)->setChecked(seekMode);
}

void MainWindow::RunCommand(Command command) {
    switch (command) {
        case kCmdOpen:
            return OnOpen();
        case kCmdExit:
            close();
            return;
        case kCmdCreateAvi:
            return OnCreateAvi();
        case kCmdCreateVideo:
            return OnCreateVideo();
        case kCmdCreateTga:
            return OnCreateImageSequence(settings::OutputKind::Tga);
        case kCmdCreatePng:
            return OnCreateImageSequence(settings::OutputKind::Png);
        case kCmdBatchCreate:
            return OnBatchCreate();
        case kCmdPlay:
            return OnPlay();
        case kCmdStop:
            return OnStop();
        case kCmdRewind:
            return OnRewind();
        case kCmdSeekMode:
            return OnSeekModeCommand();
        case kCmdDimensions:
            return OnDimensions();
        case kCmdKeepAspectRatio:
            return OnKeepAspectRatio();
        case kCmdHelp:
            services_.launcher.OpenDocument(DocumentLauncher::kHelpDocument);
            return;
        case kCmdHomePage:
            services_.launcher.OpenDocument(DocumentLauncher::kHomePageAddress);
            return;
        case kCmdSupportForum:
            services_.launcher.OpenDocument(DocumentLauncher::kSupportForumAddress);
            return;
        case kCmdAbout:
            services_.dialogs.ShowAbout(this);
            return;
    }
}

bool MainWindow::event(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == player::ClockTick || type == player::SeekStep || type == player::SeekPlayState)
        return clock_->HandleEvent(event);
    if (type == player::SeekModeChanged) {
        OnSeekModeChanged();
        return true;
    }
    if (type == player::SeekClosed) {
        SetSeekMode(false);
        return true;
    }
    if (type == player::BatchNextTask) {
        if (const auto* next = dynamic_cast<const player::HostValueEvent*>(event))
            batchRun_->OnNextTask(next->First() != 0);
        return true;
    }
    return QMainWindow::event(event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // A run keeps the view at its output size.
    if (InterfaceLocked() || RunInProgress()) return;
    FitHostWindow();
    RefreshStoppedFrame();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (InterfaceLocked()) {
        event->ignore();
        return;
    }
    seek_->hide();
    StoreWindowRect();
    event->accept();
}

void MainWindow::StoreWindowRect() {
    const QRect rect = normalGeometry();
    services_.settings.mainWindow = {rect.left(), rect.top(), rect.left() + rect.width(),
                                     rect.top() + rect.height()};
}

// --- the open movie -------------------------------------------------------------------------

void MainWindow::OnOpen() {
    FileDialogRequest request{
        StringText(resources::kStrSelectFlashFile), services_.settings.openDir,
        QStringLiteral("Flash (*.swf);;All files (*)"), QStringLiteral("swf")};
    const QString path = services_.dialogs.OpenFileName(this, request);
    if (path.isEmpty()) return;
    OpenMovie(path);
}

bool MainWindow::OpenMovie(const QString& path) {
    services_.settings.openDir = QFileInfo(path).absolutePath();
    auto movie = std::make_unique<convert::ParsedMovie>();
    if (!movie->Open(path.toStdString())) {
        services_.messages.ShowErrorMessage(resources::kStrFileOpenError);
        return false;
    }
    services_.settings.AddRecentMovie(path);
    UpdateRecentMenu();
    const std::unique_ptr<convert::ParsedMovie> previous = AdoptMovie(std::move(movie));
    ShowMovieTitle(path.toStdString());
    outputName_ = QFileInfo(path).completeBaseName();
    Popup(kMenuControl)->menuAction()->setEnabled(true);
    Popup(kMenuOptions)->menuAction()->setEnabled(true);
    const convert::MovieHeader& header = movie_->header();
    ResizeToMovie(header.width, header.height, KeepAspectRatioChecked());
    OnStop();
    LoadOpenMovie();
    ResetSeekEndFrame();
    clock_->ResetSteps();
    return true;
}

void MainWindow::UpdateRecentMenu() {
    services_.settings.PruneRecentMovies();
    // One of these actions may be the one being triggered: its deletion waits.
    for (QAction* old : recentMenu_->actions()) {
        recentMenu_->removeAction(old);
        old->deleteLater();
    }
    const QStringList& movies = services_.settings.RecentMovies();
    for (qsizetype i = 0; i < movies.size(); ++i) {
        const QString path = movies[i];
        // Only the name shows; "&" in it would otherwise become a shortcut.
        QString name = QFileInfo(path).fileName();
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
        action->setStatusTip(path);
        action->setToolTip(path);
        connect(action, &QAction::triggered, this, [this, path] { OpenMovie(path); });
    }
    recentMenu_->addSeparator();
    connect(recentMenu_->addAction(QStringLiteral("&Clear Menu")), &QAction::triggered, this,
            [this] {
                services_.settings.ClearRecentMovies();
                UpdateRecentMenu();
            });
    recentMenu_->menuAction()->setEnabled(!movies.isEmpty());
}

QString MainWindow::DraggedMovie(const QMimeData* data) const {
    // A run or a batch owns the player; Open is greyed then too.
    if (!data || locked_ || RunInProgress() || BatchRunning()) return {};
    if (!Popup(kMenuFile)->menuAction()->isEnabled()) return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls[0].isLocalFile()) return {};
    const QString path = urls[0].toLocalFile();
    return QFileInfo(path).isFile() ? path : QString();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    // Refusing here shows the no-drop cursor: several files, a folder or a web address.
    if (DraggedMovie(event->mimeData()).isEmpty()) return event->ignore();
    event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (DraggedMovie(event->mimeData()).isEmpty()) return event->ignore();
    event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = DraggedMovie(event->mimeData());
    if (path.isEmpty()) return event->ignore();
    event->acceptProposedAction();
    // Opened once the drag is over: the source is not kept waiting on a message box.
    QMetaObject::invokeMethod(
        this, [this, path] { OpenMovie(path); }, Qt::QueuedConnection);
}

std::unique_ptr<convert::ParsedMovie> MainWindow::AdoptMovie(
    std::unique_ptr<convert::ParsedMovie> movie) {
    std::unique_ptr<convert::ParsedMovie> previous = std::move(movie_);
    movie_ = std::move(movie);
    runner_ = std::make_unique<convert::ConversionRunner>(*conversionHost_, *movie_);
    return previous;
}

void MainWindow::LoadOpenMovie() {
    if (!seek_->IsShown()) return LoadMovieWithSound();
    LoadMutedMovie();
    view_->Control().Play();
}

void MainWindow::LoadMovieWithSound() {
    if (!movie_) return;
    swf::Player& control = view_->Control();
    // Without an audio output nothing is mixed.
    control.SetSoundOutput(sound_->Audible() ? player::SoundOutput::kRate : 0,
                           player::SoundOutput::kChannels);
    movie_->LoadInto(control);
}

bool MainWindow::LoadMutedMovie() {
    if (!movie_) return false;
    view_->Control().SetSoundOutput(0, player::SoundOutput::kChannels);
    return movie_->LoadInto(view_->Control());
}

void MainWindow::ShowMovieTitle(const std::string& path) {
    for (Command command : {kCmdCreateAvi, kCmdCreateVideo, kCmdCreateTga, kCmdCreatePng})
        Action(command)->setEnabled(true);
    imageSequenceMenu_->menuAction()->setEnabled(true);
    setWindowTitle(ProductTitle() + QStringLiteral(" - [") + QString::fromStdString(path) +
                   QStringLiteral("]"));
}

// --- sizes ----------------------------------------------------------------------------------

void MainWindow::ResizeToMovie(int32_t width, int32_t height, bool keepAspectRatio) {
    view_->Control().SetScaleMode(keepAspectRatio ? swf::Player::ShowAll : swf::Player::ExactFit);
    ResizeClientArea(PlayerSide(width), PlayerSide(height));
    renderer_->PaintNow();
}

void MainWindow::ResizeClientArea(int width, int height) {
    // The menu bar takes what it needs at the new width, on as many lines as it wraps to;
    // what the client area still lacks (or has too much) is put right with another move.
    const int menuHeight = menuBar()->heightForWidth(width);
    int windowHeight = height + (menuHeight > 0 ? menuHeight : menuBar()->sizeHint().height());
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (locked_) setFixedSize(width, windowHeight);
        resize(width, windowHeight);
        FitHostWindow();
        const int shortfall = height - view_->height();
        if (shortfall == 0) break;
        windowHeight += shortfall;
    }
}

void MainWindow::FitHostWindow() {
    if (layout()) layout()->activate();
}

void MainWindow::RefreshStoppedFrame() {
    if (!Stopped()) return;
    swf::Player& control = view_->Control();
    control.SetScaleMode(control.GetScaleMode());
}

settings::PixelSize MainWindow::ClientSize() const {
    return {view_->width(), view_->height()};
}

settings::PixelSize MainWindow::MovieSize() const {
    if (!movie_) return {};
    return {movie_->header().width, movie_->header().height};
}

bool MainWindow::KeepAspectRatioChecked() const {
    return Action(kCmdKeepAspectRatio)->isChecked();
}

void MainWindow::OnKeepAspectRatio() {
    const bool keep = !KeepAspectRatioChecked();
    Action(kCmdKeepAspectRatio)->setChecked(keep);
    view_->Control().SetScaleMode(keep ? swf::Player::ShowAll : swf::Player::ExactFit);
    FitHostWindow();
    RefreshStoppedFrame();
}

void MainWindow::OnDimensions() {
    settings::PixelSize size = ClientSize();
    if (!services_.dialogs.ChooseDimensions(this, size, MovieSize())) return;
    ResizeClientArea(PlayerSide(size.width), PlayerSide(size.height));
}

// --- playback and seek mode -----------------------------------------------------------------

bool MainWindow::Stopped() const {
    return clock_->Stopped();
}

void MainWindow::OnPlay() {
    Action(kCmdPlay)->setChecked(true);
    Action(kCmdStop)->setChecked(false);
    clock_->Play();
}

void MainWindow::OnStop() {
    Action(kCmdPlay)->setChecked(false);
    Action(kCmdStop)->setChecked(true);
    clock_->Stop();
}

void MainWindow::OnRewind() {
    view_->Control().Rewind();
    if (Action(kCmdPlay)->isChecked())
        OnPlay();
    else
        OnStop();
}

void MainWindow::OnSeekModeCommand() {
    if (seek_->IsShown()) return SetSeekMode(false);
    services_.dialogs.RunSeekNotice(this, services_.settings);
    SetSeekMode(true);
}

void MainWindow::SetSeekMode(bool on) {
    swf::Player& control = view_->Control();
    if (on) {
        OnStop();
        LoadMutedMovie();
        seek_->show();
        seek_->ShowFrame(0);
        clock_->ResetSteps();
        return;
    }
    LoadMovieWithSound();
    control.StopPlay();
    control.Rewind();
    seek_->ShowStoppedState();
    seek_->hide();
}

void MainWindow::OnSeekModeChanged() {
    if (!Stopped() || !clock_->Ticking()) return;
    // Loading the movie again starts it at its first frame.
    LoadMutedMovie();
    seek_->ShowFrame(0);
    clock_->ResetSteps();
}

void MainWindow::HideSeekController() {
    if (seek_->IsShown()) SetSeekMode(false);
}

void MainWindow::ResetSeekEndFrame() {
    if (!movie_) return;
    seek_->SetEndFrame(static_cast<uint32_t>(std::max(0, movie_->header().frameCount - 1)));
}

// --- the interface lock ---------------------------------------------------------------------

void MainWindow::SetInterfaceEnabled(bool enabled) {
    locked_ = !enabled;
    Popup(kMenuFile)->menuAction()->setEnabled(enabled);
    Popup(kMenuControl)->menuAction()->setEnabled(enabled && movie_);
    Popup(kMenuOptions)->menuAction()->setEnabled(enabled && movie_);
    if (enabled) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        setFixedSize(size());
    }
}

// --- exports --------------------------------------------------------------------------------

QString MainWindow::ProposedOutput() const {
    const QString& folder = services_.settings.saveDir;
    return folder.isEmpty() ? outputName_ : folder + QStringLiteral("/") + outputName_;
}

void MainWindow::RememberOutput(const QString& path) {
    const QFileInfo chosen(path);
    services_.settings.saveDir = chosen.absolutePath();
    outputName_ = chosen.completeBaseName();
}

void MainWindow::OnCreateImageSequence(settings::OutputKind kind) {
    if (!movie_) return;
    const bool tga = kind == settings::OutputKind::Tga;
    FileDialogRequest request{StringText(resources::kStrCreateImageSequenceFiles), ProposedOutput(),
                              tga ? QStringLiteral("TGA (*.tga)") : QStringLiteral("PNG (*.png)"),
                              tga ? QStringLiteral("tga") : QStringLiteral("png")};
    const QString path = services_.dialogs.SaveFileName(this, request);
    if (path.isEmpty()) return;
    RememberOutput(path);

    settings::ImageSequenceSettings offered = records_.image;
    const settings::PixelSize client = ClientSize();
    settings::OfferFor(offered, movie_->header(),
                       {client.width, client.height, KeepAspectRatioChecked()});
    if (!services_.dialogs.EditImageSequenceSettings(this, offered, MovieSize())) return;
    records_.image = offered;

    HideSeekController();
    Action(kCmdKeepAspectRatio)->setChecked(offered.keepAspectRatio != 0);
    ResizeToMovie(offered.width, offered.height, offered.keepAspectRatio != 0);
    OnStop();
    runner_->RunImageSequence(offered, kind, path.toStdString());
    OnStop();
}

void MainWindow::OnCreateAvi() {
    if (!movie_) return;
    FileDialogRequest request{StringText(resources::kStrCreateAviFile), ProposedOutput(),
                              QStringLiteral("AVI (*.avi)"), QStringLiteral("avi")};
    const QString path = services_.dialogs.SaveFileName(this, request);
    if (path.isEmpty()) return;

    HideSeekController();
    LoadMutedMovie();
    OnStop();
    RememberOutput(path);
    if (!records_.compressor)
        records_.compressor =
            std::make_shared<convert::CompressorSettings>(convert::DefaultCompressorSettings());

    settings::AviExportSettings offered = records_.avi;
    const settings::PixelSize client = ClientSize();
    settings::OfferFor(offered, movie_->header(),
                       {client.width, client.height, KeepAspectRatioChecked()});
    if (!services_.dialogs.EditAviSettings(this, offered, MovieSize(), *records_.compressor,
                                           records_.audioFormat, RecordingMixer())) {
        LoadMovieWithSound();
        OnStop();
        return;
    }
    records_.avi = offered;

    Action(kCmdKeepAspectRatio)->setChecked(offered.keepAspectRatio != 0);
    ResizeToMovie(offered.width, offered.height, offered.keepAspectRatio != 0);
    const convert::AviJob job{offered, records_.audioFormat, *records_.compressor,
                              path.toStdString()};
    runner_->RunAvi(job);
    OnStop();
}

void MainWindow::OnCreateVideo() {
    if (!movie_) return;
    QStringList filters;
    for (const settings::VideoContainerInfo& container : settings::kVideoContainers)
        filters << QStringLiteral("%1 (*.%2)").arg(container.label, container.extension);
    FileDialogRequest request{QStringLiteral("Create Video File"), ProposedOutput(),
                              filters.join(QStringLiteral(";;")), QStringLiteral("mp4")};
    const QString path = services_.dialogs.SaveFileName(this, request);
    if (path.isEmpty()) return;
    // The container is the one the name asks for; a name that asks for none is refused.
    const std::optional<settings::VideoContainer> container =
        settings::ContainerForPath(path.toStdString());
    if (!container) {
        services_.messages.ShowErrorText(
            this, QStringLiteral("A video file's name must end in .mp4, .mkv, .webm, .mov or "
                                 ".gif."));
        return;
    }

    HideSeekController();
    LoadMutedMovie();
    OnStop();
    RememberOutput(path);

    settings::VideoExportSettings offered = records_.video;
    if (offered.container != *container) settings::SetContainer(offered, *container);
    const convert::MovieHeader& header = movie_->header();
    const settings::PixelSize client = ClientSize();
    settings::SetFrameRangeFor(offered, header);
    offered.width = client.width;
    offered.height = client.height;
    offered.keepAspectRatio = KeepAspectRatioChecked() ? 1 : 0;
    offered.useOriginalSize =
        client.width == header.width && client.height == header.height ? 1 : 0;
    if (!services_.dialogs.EditVideoSettings(this, offered, MovieSize(), path)) {
        LoadMovieWithSound();
        OnStop();
        return;
    }
    records_.video = offered;

    Action(kCmdKeepAspectRatio)->setChecked(offered.keepAspectRatio != 0);
    ResizeToMovie(offered.width, offered.height, offered.keepAspectRatio != 0);
    const int32_t result =
        RunVideo(convert::VideoJob{offered, settings::VideoRecordingFormat(), path.toStdString()});
    ShowVideoError(result);
    OnStop();
}

void MainWindow::ShowVideoError(int32_t result) {
    // The run shows its own messages; what FFmpeg refused only the runner knows.
    if (Failed(result) && result != kResultAbort && runner_ && !runner_->lastVideoError().empty())
        services_.messages.ShowErrorText(this, QString::fromStdString(runner_->lastVideoError()));
}

audio::MixerOpener MainWindow::RecordingMixer() {
    return [this](audio::Mixer::ControlChanged changed) {
        return std::make_unique<audio::LoopbackMixer>(conversionHost_->Volume(),
                                                      std::move(changed));
    };
}

void MainWindow::OnBatchCreate() {
    const settings::PixelSize client = ClientSize();
    records_.PrepareForBatch(client.width, client.height, movie_ ? &movie_->header() : nullptr);
    if (!services_.dialogs.EditBatch(this, tasks_, records_, services_.settings.openDir,
                                     services_.settings.saveDir, RecordingMixer()))
        return;
    // The tasks after the first start on the ticks of a stopped player.
    OnStop();
    batchRun_->Start();
}

// --- the clock's owner ----------------------------------------------------------------------

bool MainWindow::RunInProgress() const {
    return (runner_ && runner_->runInProgress()) || batchRun_->runInProgress();
}

bool MainWindow::BatchRunning() const {
    return batchRun_->running();
}

void MainWindow::PostBatchNextTask() {
    player::HostValueEvent::Post(this, player::BatchNextTask, 0, 0);
}

// --- the batch's host -----------------------------------------------------------------------

bool MainWindow::OpenTaskMovie(const settings::ExportTask& task) {
    auto movie = std::make_unique<convert::ParsedMovie>();
    if (!movie->Open(task.sourcePath)) return false;
    const std::unique_ptr<convert::ParsedMovie> previous = AdoptMovie(std::move(movie));
    outputName_ = QFileInfo(QString::fromStdString(task.outputPath)).completeBaseName();
    return LoadMutedMovie();
}

int32_t MainWindow::OpenMovieFrameCount() const {
    return movie_ ? movie_->header().frameCount : 0;
}

int32_t MainWindow::RunImageSequence(const settings::ImageSequenceSettings& settings,
                                     settings::OutputKind kind, const std::string& outputPath) {
    return runner_->RunImageSequence(settings, kind, outputPath);
}

int32_t MainWindow::RunAvi(const convert::AviJob& job) {
    return runner_->RunAvi(job);
}

int32_t MainWindow::RunVideo(const convert::VideoJob& job) {
    return runner_->RunVideo(job);
}

int32_t MainWindow::LastFrameReached() const {
    return runner_ ? runner_->lastFrameReached() : -1;
}

void MainWindow::DiscardQueuedTicks() {
    QCoreApplication::removePostedEvents(this, player::ClockTick);
    QCoreApplication::removePostedEvents(this, player::BatchNextTask);
    pendingTicks_.store(0);
}

void MainWindow::ShowErrorMessage(int stringId) {
    services_.messages.AskMessage(this, stringId, kMbOk | kMbIconError);
}

bool MainWindow::AskYesNo(int stringId) {
    return services_.messages.AskMessage(this, stringId, kMbYesNo | kMbIconQuestion) == kIdYes;
}

}  // namespace app
