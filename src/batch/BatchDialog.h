#pragma once
// "Batch Creating Multiple Files": builds the list of a batch's tasks, each a movie, an
// output file and its own export settings, and shows the selected task's settings in
// short. OK leaves the list to the batch run; Cancel empties it.

#include <QDialog>
#include <QString>

#include "batch/BatchDialogServices.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace settings {
class ExportTask;
}

namespace batch {

class BatchTaskList;
struct ExportRecords;

class BatchDialog : public QDialog {
  public:
    // `templates` are the main window's records that a new task takes its settings from
    // when no earlier task of its kind is listed. `openDir` and `saveDir` are the folders the
    // file dialogs start in; they follow the user's choices.
    BatchDialog(BatchTaskList& tasks, const ExportRecords& templates, QString& openDir,
                QString& saveDir, BatchDialogServices services = BatchDialogServices::Desktop(),
                QWidget* parent = nullptr);

    void accept() override;
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* MakeSummaryGroup();
    void AddTask();
    void RemoveTask();
    void RemoveAllTasks();
    void EditSelectedTask();
    void ChangeOutputFile();
    void AppendRow(const settings::ExportTask& task);
    // The selected task's row; -1 when no row is selected.
    int SelectedRow() const;
    void ShowSummary(const settings::ExportTask& task);
    void ClearSummary();
    void EnableTaskButtons(bool enabled);
    void ShowError(int stringId);

    BatchTaskList& tasks_;
    const ExportRecords& templates_;
    QString& openDir_;
    QString& saveDir_;
    BatchDialogServices services_;

    QTreeWidget* list_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* removeAll_ = nullptr;
    QPushButton* outputFile_ = nullptr;
    QPushButton* setting_ = nullptr;
    QLabel* sequence_ = nullptr;
    QLabel* duration_ = nullptr;
    QLabel* dimension_ = nullptr;
    QLabel* videoLabel_ = nullptr;
    QLabel* colorsLabel_ = nullptr;
    QLabel* video_ = nullptr;
    QLabel* audioLabel_ = nullptr;
    QLabel* audio_ = nullptr;
};

}  // namespace batch
