#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "app/MessageBoxes.h"
#include "app/QtMessageBoxPresenter.h"
#include "resources/StringTable.h"

namespace app {
namespace {

// Answers every box in the user's place and keeps what it was asked.
class AnsweringPresenter : public MessageBoxPresenter {
  public:
    int Show(const MessageBoxRequest& request) override {
        requests.push_back(request);
        return answer;
    }
    int answer = kIdYes;
    std::vector<MessageBoxRequest> requests;
};

constexpr int kUnknownId = 9999;

class MessageBoxesTest : public testing::Test {
  protected:
    AnsweringPresenter presenter;
    MessageBoxes boxes{presenter};
    QWidget owner;
};

TEST_F(MessageBoxesTest, AnErrorMessageHasNoOwnerAndAnErrorIcon) {
    presenter.answer = kIdOk;
    EXPECT_EQ(boxes.ShowErrorMessage(resources::kStrFileOpenError), kIdOk);

    ASSERT_EQ(presenter.requests.size(), 1u);
    const MessageBoxRequest& shown = presenter.requests[0];
    EXPECT_EQ(shown.owner, nullptr);
    EXPECT_EQ(shown.caption, QStringLiteral("Kinetrope Pro"));
    EXPECT_EQ(shown.text, QStringLiteral("File Open Error"));
    EXPECT_EQ(shown.flags, kMbOk | kMbIconError);
}

TEST_F(MessageBoxesTest, AQuestionGoesToItsOwnerWithItsFlagsAndGivesTheAnswer) {
    presenter.answer = kIdNo;
    EXPECT_EQ(boxes.AskMessage(&owner, resources::kStrCancelRemainingBatchTasks,
                               kMbYesNo | kMbIconQuestion),
              kIdNo);

    ASSERT_EQ(presenter.requests.size(), 1u);
    const MessageBoxRequest& shown = presenter.requests[0];
    EXPECT_EQ(shown.owner, &owner);
    EXPECT_EQ(shown.caption, QStringLiteral("Kinetrope Pro"));
    EXPECT_EQ(shown.text, QStringLiteral("Do you want to cancel all the remaining batch tasks?"));
    EXPECT_EQ(shown.flags, kMbYesNo | kMbIconQuestion);
}

TEST_F(MessageBoxesTest, AFormattedMessageFillsInTheValue) {
    presenter.answer = kIdOk;
    EXPECT_EQ(boxes.AskMessageFormatted(&owner, resources::kStrSplitSizeTooLarge, kMbOk, 2000),
              kIdOk);
    ASSERT_EQ(presenter.requests.size(), 1u);
    EXPECT_EQ(presenter.requests[0].text, QStringLiteral("File size cannot exceed 2000 MB."));
    EXPECT_EQ(presenter.requests[0].caption, QStringLiteral("Kinetrope Pro"));
}

TEST_F(MessageBoxesTest, AnUnknownIdShowsNothingAndGivesZero) {
    EXPECT_EQ(boxes.ShowErrorMessage(kUnknownId), 0);
    EXPECT_EQ(boxes.AskMessage(&owner, kUnknownId, kMbYesNo), 0);
    EXPECT_EQ(boxes.AskMessageFormatted(&owner, kUnknownId, kMbOk, 1), 0);
    EXPECT_TRUE(presenter.requests.empty());
}

// Presses `button` of the next modal message box as soon as it is shown.
void PressWhenShown(QMessageBox::StandardButton button, QString& seenCaption,
                    QMessageBox::Icon& seenIcon) {
    QTimer::singleShot(0, [=, &seenCaption, &seenIcon] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seenCaption = box->windowTitle();
        seenIcon = box->icon();
        if (QAbstractButton* pressed = box->button(button))
            pressed->click();
        else
            box->reject();
    });
}

TEST(QtMessageBoxPresenterTest, ShowsTheFlagsButtonsAndIconAndReportsThePressedOne) {
    QtMessageBoxPresenter presenter;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;

    PressWhenShown(QMessageBox::No, caption, icon);
    EXPECT_EQ(presenter.Show({nullptr, "Kinetrope Pro", "Go on?", kMbYesNo | kMbIconQuestion}),
              kIdNo);
    EXPECT_EQ(caption, QStringLiteral("Kinetrope Pro"));
    EXPECT_EQ(icon, QMessageBox::Question);

    PressWhenShown(QMessageBox::Yes, caption, icon);
    EXPECT_EQ(presenter.Show({nullptr, "Kinetrope Pro", "Go on?", kMbYesNo}), kIdYes);

    PressWhenShown(QMessageBox::Cancel, caption, icon);
    EXPECT_EQ(presenter.Show({nullptr, "Kinetrope Pro", "Sure?", kMbOkCancel}), kIdCancel);

    PressWhenShown(QMessageBox::Ok, caption, icon);
    EXPECT_EQ(presenter.Show({nullptr, "Kinetrope Pro", "Failed", kMbOk | kMbIconError}), kIdOk);
    EXPECT_EQ(icon, QMessageBox::Critical);
}

}  // namespace
}  // namespace app
