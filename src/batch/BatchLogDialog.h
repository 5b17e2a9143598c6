#pragma once
// "Log of batch create": how many tasks the batch had and how each ended. Only its OK
// button closes it.

#include <QDialog>

namespace batch {

class BatchTaskList;

class BatchLogDialog : public QDialog {
  public:
    BatchLogDialog(const BatchTaskList& tasks, QWidget* parent = nullptr);

    // Escape and the window's own close do not end it.
    void reject() override {}
};

}  // namespace batch
