#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <optional>

#include "app/DisplayWarningDialog.h"
#include "app/SeekNoticeDialog.h"
#include "app/SettingsStore.h"
#include "resources/StringTable.h"

namespace app {
namespace {

// Answers the next modal notice in the user's place: ticks its box or not, then presses
// `button`. Before answering it checks that Escape and the close box leave the notice open.
class NoticeAnswer {
  public:
    NoticeAnswer(bool tick, const char* button) : tick_(tick), button_(button) {
        timer_.setSingleShot(true);
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Answer(); });
        timer_.start();
    }

    int shown = 0;
    QString title;
    QString text;
    bool boxWasClear = false;
    bool stayedOpen = false;

  private:
    void Answer() {
        auto* notice = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(notice, nullptr);
        ++shown;
        title = notice->windowTitle();
        if (auto* message = notice->findChild<QLabel*>(QStringLiteral("message")))
            text = message->text();
        auto* box = notice->findChild<QCheckBox*>(QStringLiteral("dontShowAgain"));
        auto* button = notice->findChild<QPushButton*>(QString::fromLatin1(button_));
        if (!box || !button) {
            ADD_FAILURE() << "the notice lacks its box or the button " << button_;
            notice->done(0);
            return;
        }
        boxWasClear = !box->isChecked();

        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(notice, &escape);
        notice->close();
        stayedOpen = notice->isVisible();

        box->setChecked(tick_);
        button->click();
    }

    bool tick_;
    const char* button_;
    QTimer timer_;
};

class NoticeTest : public testing::Test {
  protected:
    std::optional<int32_t> Stored(const char* name) const {
        int32_t value = 0;
        if (!store.ReadNumber(QString::fromLatin1(name), value)) return std::nullopt;
        return value;
    }

    QTemporaryDir folder;
    SettingsStore store{folder.filePath(QStringLiteral("settings.ini"))};
};

constexpr int kShallowDisplay = 16;
const char* const kDispWarn = SettingsStore::kDisplayWarningValue;
const char* const kSeekMsg = SettingsStore::kSeekNoticeValue;

TEST_F(NoticeTest, DisplayWarningContinueGoesOnAndATickedBoxKeepsItAwayForGood) {
    {
        NoticeAnswer answer(true, "continue");
        EXPECT_TRUE(RunDisplayDepthCheck(kShallowDisplay, store));
        EXPECT_EQ(answer.shown, 1);
        EXPECT_EQ(answer.title, QStringLiteral("Quillmoth Kinetrope Pro"));
        EXPECT_TRUE(answer.text.startsWith(QStringLiteral("To get better quality")));
        EXPECT_TRUE(answer.boxWasClear);
        EXPECT_TRUE(answer.stayedOpen);
    }
    EXPECT_EQ(Stored(kDispWarn), 1);

    NoticeAnswer notExpected(false, "quit");
    EXPECT_FALSE(ShouldShowDisplayWarning(kShallowDisplay, store));
    EXPECT_TRUE(RunDisplayDepthCheck(kShallowDisplay, store));
    EXPECT_EQ(notExpected.shown, 0);
    EXPECT_EQ(Stored(kDispWarn), 1);
}

TEST_F(NoticeTest, DisplayWarningQuitEndsStartUpAndStoresTheClearBox) {
    {
        NoticeAnswer answer(false, "quit");
        EXPECT_FALSE(RunDisplayDepthCheck(kShallowDisplay, store));
        EXPECT_EQ(answer.shown, 1);
    }
    EXPECT_EQ(Stored(kDispWarn), 0);
    // Quitting with the box ticked still records it.
    NoticeAnswer again(true, "quit");
    EXPECT_FALSE(RunDisplayDepthCheck(kShallowDisplay, store));
    EXPECT_EQ(again.shown, 1);
    EXPECT_EQ(Stored(kDispWarn), 1);
}

TEST_F(NoticeTest, DisplayWarningIsNeitherShownNorStoredOnADeepDisplay) {
    NoticeAnswer notExpected(false, "quit");
    EXPECT_FALSE(ShouldShowDisplayWarning(24, store));
    EXPECT_TRUE(RunDisplayDepthCheck(24, store));
    EXPECT_TRUE(RunDisplayDepthCheck(32, store));
    EXPECT_TRUE(ShouldShowDisplayWarning(23, store));
    EXPECT_EQ(notExpected.shown, 0);
    EXPECT_EQ(Stored(kDispWarn), std::nullopt);
}

TEST_F(NoticeTest, DisplayWarningContinueIsTheDefaultButton) {
    DisplayWarningDialog warning;
    auto* proceed = warning.findChild<QPushButton*>(QStringLiteral("continue"));
    auto* quit = warning.findChild<QPushButton*>(QStringLiteral("quit"));
    ASSERT_NE(proceed, nullptr);
    ASSERT_NE(quit, nullptr);
    EXPECT_TRUE(proceed->isDefault());
    EXPECT_FALSE(quit->isDefault());
}

TEST_F(NoticeTest, SeekNoticeIsShownUntilItsBoxIsTickedOnce) {
    {
        NoticeAnswer answer(false, "ok");
        RunSeekNotice(store);
        EXPECT_EQ(answer.shown, 1);
        EXPECT_EQ(answer.title, QStringLiteral("Quillmoth Kinetrope Pro"));
        EXPECT_EQ(answer.text,
                  QString::fromUtf8(resources::LoadString(resources::kStrSeekModeNotice)));
        EXPECT_TRUE(answer.stayedOpen);
    }
    EXPECT_EQ(Stored(kSeekMsg), 0);
    {
        NoticeAnswer answer(true, "ok");
        RunSeekNotice(store);
        EXPECT_EQ(answer.shown, 1);
        EXPECT_TRUE(answer.boxWasClear);
    }
    EXPECT_EQ(Stored(kSeekMsg), 1);

    NoticeAnswer notExpected(false, "ok");
    RunSeekNotice(store);
    EXPECT_EQ(notExpected.shown, 0);
    EXPECT_EQ(Stored(kSeekMsg), 1);
}

TEST_F(NoticeTest, AStoredValueThatIsNoNumberCountsAsNotDismissed) {
    ASSERT_TRUE(store.WriteText(QString::fromLatin1(kSeekMsg), QStringLiteral("yes")));
    NoticeAnswer answer(false, "ok");
    RunSeekNotice(store);
    EXPECT_EQ(answer.shown, 1);
    EXPECT_EQ(Stored(kSeekMsg), 0);
}

}  // namespace
}  // namespace app
