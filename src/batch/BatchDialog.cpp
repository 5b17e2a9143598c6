#include "batch/BatchDialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <array>
#include <utility>

#include "batch/BatchTaskList.h"
#include "batch/TaskSummary.h"
#include "convert/MovieFile.h"
#include "resources/StringTable.h"
#include "settings/AviExportTask.h"
#include "settings/VideoExportTask.h"
#include "settings/dialogs/OkCancelButtons.h"

namespace batch {
namespace {

constexpr std::array<settings::OutputKind, 4> kOutputKinds = {
    settings::OutputKind::Avi, settings::OutputKind::Video, settings::OutputKind::Tga,
    settings::OutputKind::Png};

enum Column { kSourceColumn, kOutputColumn, kFormatColumn };

QString FolderOf(const QString& path) {
    return QFileInfo(path).path();
}

// The format column: the kind, or for a video file its container ("MP4").
QString FormatLabel(const settings::ExportTask& task) {
    if (const auto* video = dynamic_cast<const settings::VideoExportTask*>(&task))
        return QString::fromUtf8(settings::InfoOf(video->settings.container).extension).toUpper();
    return QString::fromUtf8(settings::OutputKindLabel(task.kind));
}

QLabel* NamedLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromUtf8(name));
    return label;
}

QPushButton* NamedButton(const char* text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(QString::fromUtf8(name));
    return button;
}

}  // namespace

BatchDialog::BatchDialog(BatchTaskList& tasks, const ExportRecords& templates, QString& openDir,
                         QString& saveDir, BatchDialogServices services, QWidget* parent)
    : QDialog(parent),
      tasks_(tasks),
      templates_(templates),
      openDir_(openDir),
      saveDir_(saveDir),
      services_(std::move(services)) {
    setWindowTitle(QStringLiteral("Batch Creating Multiple Files"));

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("tasks"));
    list_->setColumnCount(3);
    list_->setHeaderLabels({QStringLiteral("Source SWF file"), QStringLiteral("Output file"),
                            QStringLiteral("Format")});
    list_->setColumnWidth(kSourceColumn, 160);
    list_->setColumnWidth(kOutputColumn, 160);
    list_->setColumnWidth(kFormatColumn, 50);
    list_->header()->setSectionsClickable(false);
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->viewport()->installEventFilter(this);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] {
        const int row = SelectedRow();
        if (row >= 0) ShowSummary(tasks_.at(static_cast<size_t>(row)));
    });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { EditSelectedTask(); });

    auto* add = NamedButton("Add...", "add", this);
    remove_ = NamedButton("Remove", "remove", this);
    removeAll_ = NamedButton("Remove All", "removeAll", this);
    outputFile_ = NamedButton("Output File...", "outputFile", this);
    setting_ = NamedButton("Setting...", "setting", this);
    connect(add, &QPushButton::clicked, this, &BatchDialog::AddTask);
    connect(remove_, &QPushButton::clicked, this, &BatchDialog::RemoveTask);
    connect(removeAll_, &QPushButton::clicked, this, &BatchDialog::RemoveAllTasks);
    connect(outputFile_, &QPushButton::clicked, this, &BatchDialog::ChangeOutputFile);
    connect(setting_, &QPushButton::clicked, this, &BatchDialog::EditSelectedTask);

    auto* taskButtons = new QVBoxLayout;
    for (QPushButton* button : {add, remove_, removeAll_, outputFile_, setting_})
        taskButtons->addWidget(button);
    taskButtons->addStretch(1);

    auto* listRow = new QHBoxLayout;
    listRow->addWidget(list_, 1);
    listRow->addLayout(taskButtons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Batch tasks list :"), this));
    layout->addLayout(listRow, 1);
    layout->addWidget(MakeSummaryGroup());
    layout->addWidget(settings::MakeOkCancelButtons(this));

    for (size_t i = 0; i < tasks_.size(); ++i) AppendRow(tasks_.at(i));
    EnableTaskButtons(!tasks_.empty());
    ClearSummary();
    resize(520, 420);
}

QWidget* BatchDialog::MakeSummaryGroup() {
    auto* group = new QGroupBox(QStringLiteral(" Setting Information "), this);
    sequence_ = NamedLabel("sequence", group);
    duration_ = NamedLabel("duration", group);
    dimension_ = NamedLabel("dimension", group);
    video_ = NamedLabel("video", group);
    audio_ = NamedLabel("audio", group);
    videoLabel_ = NamedLabel("videoLabel", group);
    videoLabel_->setText(QStringLiteral("Video : "));
    colorsLabel_ = NamedLabel("colorsLabel", group);
    colorsLabel_->setText(QStringLiteral("Colors : "));
    colorsLabel_->hide();
    audioLabel_ = NamedLabel("audioLabel", group);
    audioLabel_->setText(QStringLiteral("Audio : "));

    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("Sequence : "), group), 0, 0);
    grid->addWidget(sequence_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Duration : "), group), 1, 0);
    grid->addWidget(duration_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Dimension : "), group), 2, 0);
    grid->addWidget(dimension_, 2, 1);
    // "Video : " and "Colors : " share their place; the task's kind shows one of them.
    grid->addWidget(videoLabel_, 3, 0);
    grid->addWidget(colorsLabel_, 3, 0);
    grid->addWidget(video_, 3, 1);
    grid->addWidget(audioLabel_, 4, 0);
    grid->addWidget(audio_, 4, 1);
    grid->setColumnStretch(1, 1);
    return group;
}

void BatchDialog::AddTask() {
    const QString moviePath = services_.chooseMovie(this, openDir_);
    if (moviePath.isEmpty()) return;
    openDir_ = FolderOf(moviePath);

    const std::string source = moviePath.toStdString();
    convert::MovieHeader movie;
    if (convert::ReadSwfHeader(source, movie) != 0) {
        ShowError(resources::kStrFileOpenError);
        return;
    }

    const QString outputPath = services_.chooseOutput(this, kOutputKinds, saveDir_,
                                                      QFileInfo(moviePath).completeBaseName());
    if (outputPath.isEmpty()) return;
    saveDir_ = FolderOf(outputPath);

    const std::string output = outputPath.toStdString();
    std::unique_ptr<settings::ExportTask> task =
        tasks_.NewTask(BatchTaskList::KindForOutput(output), movie, source, output, templates_);
    if (!services_.editTask(this, *task)) return;

    tasks_.Append(std::move(task));
    AppendRow(tasks_.at(tasks_.size() - 1));
    list_->setCurrentItem(list_->topLevelItem(list_->topLevelItemCount() - 1));
    list_->setFocus();
    EnableTaskButtons(true);
}

void BatchDialog::RemoveTask() {
    const int row = SelectedRow();
    if (row < 0) return;
    {
        // The list selects a neighbour while the row goes; its summary waits until the
        // rows and the tasks agree again.
        const QSignalBlocker blocker(list_);
        delete list_->takeTopLevelItem(row);
    }
    tasks_.RemoveAt(static_cast<size_t>(row));
    if (tasks_.empty()) EnableTaskButtons(false);
    if (const int selected = SelectedRow(); selected >= 0)
        ShowSummary(tasks_.at(static_cast<size_t>(selected)));
    else
        ClearSummary();
}

void BatchDialog::RemoveAllTasks() {
    tasks_.Clear();
    list_->clear();
    EnableTaskButtons(false);
    ClearSummary();
}

void BatchDialog::EditSelectedTask() {
    const int row = SelectedRow();
    if (row < 0) return;
    settings::ExportTask& task = tasks_.at(static_cast<size_t>(row));
    if (services_.editTask(this, task)) ShowSummary(task);
}

void BatchDialog::ChangeOutputFile() {
    const int row = SelectedRow();
    if (row < 0) return;
    settings::ExportTask& task = tasks_.at(static_cast<size_t>(row));
    // The task keeps its kind whatever extension is typed.
    const std::array<settings::OutputKind, 1> kind = {task.kind};
    const QString outputPath =
        services_.chooseOutput(this, kind, saveDir_, QString::fromStdString(task.outputPath));
    if (outputPath.isEmpty()) return;
    task.outputPath = outputPath.toStdString();
    // A video file is written in the container its name asks for.
    if (auto* video = dynamic_cast<settings::VideoExportTask*>(&task)) {
        const auto container = settings::ContainerForPath(task.outputPath);
        if (container && *container != video->settings.container) {
            settings::SetContainer(video->settings, *container);
            ShowSummary(task);
        }
    }
    list_->topLevelItem(row)->setText(kOutputColumn, outputPath);
    list_->topLevelItem(row)->setText(kFormatColumn, FormatLabel(task));
    saveDir_ = FolderOf(outputPath);
}

void BatchDialog::AppendRow(const settings::ExportTask& task) {
    list_->addTopLevelItem(
        new QTreeWidgetItem({QString::fromStdString(task.sourcePath),
                             QString::fromStdString(task.outputPath), FormatLabel(task)}));
}

int BatchDialog::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) return -1;
    const int row = list_->indexOfTopLevelItem(selected.first());
    return row >= 0 && static_cast<size_t>(row) < tasks_.size() ? row : -1;
}

void BatchDialog::ShowSummary(const settings::ExportTask& task) {
    const TaskSummary summary = TaskSummary::Of(task);
    sequence_->setText(QString::fromStdString(summary.sequence));
    duration_->setText(QString::fromStdString(summary.duration));
    dimension_->setText(QString::fromStdString(summary.dimension));
    video_->setText(QString::fromStdString(summary.videoOrColors));
    audio_->setText(QString::fromStdString(summary.audio));
    videoLabel_->setVisible(summary.avi);
    colorsLabel_->setVisible(!summary.avi);
    audioLabel_->setVisible(summary.avi);
    audio_->setVisible(summary.avi);
}

void BatchDialog::ClearSummary() {
    for (QLabel* value : {sequence_, duration_, dimension_, video_, audio_}) value->clear();
}

void BatchDialog::EnableTaskButtons(bool enabled) {
    for (QPushButton* button : {remove_, removeAll_, outputFile_, setting_})
        button->setEnabled(enabled);
}

void BatchDialog::ShowError(int stringId) {
    services_.showMessage(
        this, {stringId, resources::LoadString(stringId), settings::MessageIcon::Error});
}

bool BatchDialog::eventFilter(QObject* watched, QEvent* event) {
    // A click of either button that hits no row leaves no task to summarise.
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* click = static_cast<QMouseEvent*>(event);
        if (!list_->itemAt(click->position().toPoint())) ClearSummary();
    }
    return QDialog::eventFilter(watched, event);
}

void BatchDialog::accept() {
    // The run opens each task's compressor again when the task starts.
    for (size_t i = 0; i < tasks_.size(); ++i) {
        if (auto* avi = dynamic_cast<settings::AviExportTask*>(&tasks_.at(i)))
            avi->compressor->hic.reset();
    }
    QDialog::accept();
}

void BatchDialog::reject() {
    RemoveAllTasks();
    QDialog::reject();
}

}  // namespace batch
