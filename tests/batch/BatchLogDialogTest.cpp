#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "batch/BatchLogDialog.h"
#include "batch/BatchTaskList.h"
#include "batch/ExportRecords.h"

namespace {

TEST(BatchLogDialogTest, ShowsTheCountAndTheLogAndOnlyOkClosesIt) {
    batch::ExportRecords records;
    batch::BatchTaskList tasks;
    tasks.Append(
        tasks.NewTask(settings::OutputKind::Png, {10, 10, 5, 12}, "/m/a.swf", "/o/a.png", records));
    tasks.at(0).result = kResultOk;
    tasks.at(0).lastFrame = 4;
    tasks.Append(
        tasks.NewTask(settings::OutputKind::Avi, {10, 10, 5, 12}, "/m/b.swf", "/o/b.avi", records));

    batch::BatchLogDialog dialog(tasks);
    EXPECT_EQ(dialog.findChild<QLabel*>("count")->text(), "Total 2 batch tasks");
    auto* log = dialog.findChild<QPlainTextEdit*>("log");
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->isReadOnly());
    const QString separator(103, '/');
    EXPECT_EQ(log->toPlainText(), separator +
                                      "\ntask 1 --  0 ~ 4 frames created successfully\n"
                                      "Source file: /m/a.swf\nOutput file: /o/a.png\n"
                                      "Sequence : normal\n" +
                                      separator +
                                      "\ntask 2 --   aborted\n"
                                      "Source file: /m/b.swf\nOutput file: /o/b.avi\n"
                                      "Sequence : normal\n");

    dialog.show();
    dialog.reject();
    EXPECT_TRUE(dialog.isVisible());
    dialog.findChild<QPushButton*>("ok")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

}  // namespace
