#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <vector>

#include "app/MessageBoxes.h"
#include "app/ProgressWindow.h"
#include "app/SettingsStore.h"

namespace app {
namespace {

// Answers the window's questions in the user's place, noting what was asked and whether
// the window knew a question was open.
class QuestionAnswers : public MessageBoxPresenter {
  public:
    explicit QuestionAnswers(const convert::ProgressDialog& window) : window_(window) {}

    int Show(const MessageBoxRequest& request) override {
        asked.push_back(request.text);
        askingWhileAsked = window_.asking();
        flags = request.flags;
        return answer;
    }

    int answer = kIdNo;
    std::vector<QString> asked;
    bool askingWhileAsked = false;
    unsigned flags = 0;

  private:
    const convert::ProgressDialog& window_;
};

class ProgressWindowTest : public testing::Test {
  protected:
    void SetUp() override { window.Open("Converting to PNG"); }

    void Click(const char* name) {
        auto* button = window.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }
    bool Enabled(const char* name) {
        auto* button = window.findChild<QPushButton*>(QString::fromLatin1(name));
        return button && button->isEnabled();
    }

    QTemporaryDir folder;
    SettingsStore store{folder.filePath(QStringLiteral("settings.ini"))};
    ProgressWindow window{messages, store};
    QuestionAnswers answers{window};
    MessageBoxes messages{answers};
};

const QString kCancelQuestion = QStringLiteral("Are you sure you want to cancel ?");
const QString kFinishQuestion = QStringLiteral("Are you sure you want to finish?");

TEST_F(ProgressWindowTest, CancelAnsweredNoKeepsRunningAndYesCancels) {
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Converting to PNG"));

    Click("cancel");
    EXPECT_FALSE(window.cancelled());
    EXPECT_FALSE(window.asking());
    EXPECT_TRUE(answers.askingWhileAsked);
    EXPECT_EQ(answers.flags, unsigned{kMbYesNo});

    answers.answer = kIdYes;
    Click("cancel");
    EXPECT_TRUE(window.cancelled());
    EXPECT_FALSE(window.finished());
    EXPECT_EQ(answers.asked, (std::vector<QString>{kCancelQuestion, kCancelQuestion}));
}

TEST_F(ProgressWindowTest, EscapeAndTheCloseBoxAskTheCancelQuestion) {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &escape);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.cancelled());

    answers.answer = kIdYes;
    window.close();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.cancelled());
    EXPECT_EQ(answers.asked, (std::vector<QString>{kCancelQuestion, kCancelQuestion}));
}

TEST_F(ProgressWindowTest, FinishAnsweredYesFinishesAndDisablesFinishUntilTheNextRun) {
    Click("finish");
    EXPECT_FALSE(window.finished());
    EXPECT_TRUE(Enabled("finish"));

    answers.answer = kIdYes;
    Click("finish");
    EXPECT_TRUE(window.finished());
    EXPECT_FALSE(window.cancelled());
    EXPECT_FALSE(Enabled("finish"));
    EXPECT_EQ(answers.asked, (std::vector<QString>{kFinishQuestion, kFinishQuestion}));

    window.Close();
    EXPECT_FALSE(window.isVisible());
    window.Open("Converting to AVI");
    EXPECT_FALSE(window.finished());
    EXPECT_TRUE(Enabled("finish"));
    EXPECT_TRUE(Enabled("cancel"));
}

TEST_F(ProgressWindowTest, ThePositionIsKeptFromOneRunToTheNext) {
    window.Close();
    store.progressLeft = 120;
    store.progressTop = 80;
    window.Open("Converting to TGA");
    EXPECT_EQ(window.pos(), QPoint(120, 80));

    window.move(300, 200);
    window.Close();
    EXPECT_EQ(store.progressLeft, 300);
    EXPECT_EQ(store.progressTop, 200);

    // Closing a window that is not open keeps the position.
    window.Close();
    EXPECT_EQ(store.progressLeft, 300);

    ProgressWindow next(messages, store);
    next.Open("Converting to AVI");
    EXPECT_EQ(next.pos(), QPoint(300, 200));
}

TEST_F(ProgressWindowTest, TheBarStaysInItsRangeAndTheTextsShow) {
    window.SetRange(10, 20);
    window.SetPos(15);
    auto* bar = window.findChild<QProgressBar*>(QStringLiteral("progress"));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->value(), 15);
    window.SetPos(25);
    EXPECT_EQ(bar->value(), 20);
    window.SetPos(3);
    EXPECT_EQ(bar->value(), 10);

    window.SetStatusText("Creating image sequence : 5 frames");
    window.SetTotalText("Total : 11  frames\n(10 ~ 20)");
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("status"))->text(),
              QStringLiteral("Creating image sequence : 5 frames"));
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("total"))->text(),
              QStringLiteral("Total : 11  frames\n(10 ~ 20)"));

    window.EnableButton(convert::ProgressButton::Cancel, false);
    EXPECT_FALSE(Enabled("cancel"));
    EXPECT_TRUE(Enabled("finish"));
}

}  // namespace
}  // namespace app
