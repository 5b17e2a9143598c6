#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <vector>

#include "player/HostEvents.h"
#include "player/HostValueEvent.h"
#include "player/SeekController.h"

namespace player {
namespace {

struct Posted {
    int type;
    int64_t first;
    int64_t second;
    friend bool operator==(const Posted&, const Posted&) = default;
};

std::ostream& operator<<(std::ostream& out, const Posted& posted) {
    return out << "{" << posted.type << ", " << posted.first << ", " << posted.second << "}";
}

constexpr int64_t kNormal = static_cast<int64_t>(settings::SequenceMode::Normal);

// Stands in for the main window: keeps every host event it is given.
class Owner : public QObject {
  public:
    bool event(QEvent* event) override {
        const auto* posted = dynamic_cast<HostValueEvent*>(event);
        if (!posted) return QObject::event(event);
        received.push_back({posted->type(), posted->First(), posted->Second()});
        return true;
    }
    // What was posted since the last call, in order.
    std::vector<Posted> Take() {
        QCoreApplication::sendPostedEvents(this);
        std::vector<Posted> taken;
        taken.swap(received);
        return taken;
    }

  private:
    std::vector<Posted> received;
};

Posted Step(int64_t frame, int64_t mode = kNormal) {
    return {SeekStep, frame, mode};
}

class SeekControllerTest : public testing::Test {
  protected:
    void SetUp() override {
        controller.SetEndFrame(10);
        controller.show();
        owner.Take();
    }

    template <typename Control>
    Control* Get(const char* name) {
        auto* control = controller.findChild<Control*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    void Click(const char* name) { Get<QPushButton>(name)->click(); }
    QString Current() { return Get<QLineEdit>("currentFrame")->text(); }
    int TrackPosition() { return Get<QSlider>("position")->value(); }

    // Types into an edit and leaves it, as the user does with Tab or a click elsewhere.
    void TypeAndLeave(const char* name, const char* text) {
        auto* edit = Get<QLineEdit>(name);
        edit->setText(QString::fromLatin1(text));
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(edit, &leave);
    }
    void Choose(int index) {
        auto* sequence = Get<QComboBox>("sequence");
        sequence->setCurrentIndex(index);
        emit sequence->activated(index);
    }

    Owner owner;
    SeekController controller{&owner};
};

TEST(SeekControllerStart, StartsHiddenInNormalModeAndStopped) {
    Owner owner;
    SeekController controller(&owner);
    EXPECT_FALSE(controller.IsShown());
    EXPECT_FALSE(controller.IsPlaying());
    EXPECT_EQ(controller.Mode(), settings::SequenceMode::Normal);
    auto* sequence = controller.findChild<QComboBox*>(QStringLiteral("sequence"));
    ASSERT_NE(sequence, nullptr);
    ASSERT_EQ(sequence->count(), 3);
    EXPECT_EQ(sequence->itemText(0), QStringLiteral("Skip backward frame"));
    EXPECT_EQ(sequence->itemText(1), QStringLiteral("Frame by frame"));
    EXPECT_EQ(sequence->currentIndex(), 2);
    EXPECT_EQ(controller.windowTitle(), QStringLiteral("Seek Controller"));
    EXPECT_TRUE(owner.Take().empty());
}

TEST_F(SeekControllerTest, ButtonsMoveThePositionAndPostOneStepEach) {
    Click("next");
    Click("next");
    Click("previous");
    EXPECT_EQ(owner.Take(), (std::vector<Posted>{Step(1), Step(2), Step(1)}));
    EXPECT_EQ(Current(), QStringLiteral("1"));

    Click("end");
    EXPECT_EQ(TrackPosition(), 10);
    Click("rewind");
    EXPECT_EQ(owner.Take(), (std::vector<Posted>{Step(10), Step(0)}));
    EXPECT_EQ(Current(), QStringLiteral("0"));
    EXPECT_EQ(TrackPosition(), 0);
}

TEST_F(SeekControllerTest, NextAtTheEndAndPreviousAtZeroPostNothing) {
    Click("previous");
    EXPECT_TRUE(owner.Take().empty());
    EXPECT_EQ(TrackPosition(), 0);

    Click("end");
    owner.Take();
    Click("next");
    EXPECT_TRUE(owner.Take().empty());
    EXPECT_EQ(TrackPosition(), 10);
    EXPECT_EQ(Current(), QStringLiteral("10"));
}

TEST_F(SeekControllerTest, PlayAtTheEndRewindsFirstAndStopShowsTheStoppedState) {
    Click("end");
    owner.Take();
    Click("playStop");
    EXPECT_EQ(owner.Take(), (std::vector<Posted>{Step(0), {SeekPlayState, 1, kNormal}}));
    EXPECT_TRUE(controller.IsPlaying());
    EXPECT_EQ(Get<QPushButton>("playStop")->text(), QStringLiteral("Stop"));
    EXPECT_FALSE(Get<QLineEdit>("currentFrame")->isEnabled());
    EXPECT_FALSE(Get<QPushButton>("previous")->isEnabled());
    EXPECT_FALSE(Get<QPushButton>("next")->isEnabled());
    EXPECT_TRUE(Get<QLineEdit>("endFrame")->isEnabled());

    // The clock steps the controller while it plays.
    controller.Step();
    controller.Step();
    EXPECT_EQ(TrackPosition(), 2);
    EXPECT_EQ(Current(), QStringLiteral("2"));

    Click("playStop");
    EXPECT_EQ(owner.Take(), (std::vector<Posted>{{SeekPlayState, 0, kNormal}}));
    EXPECT_FALSE(controller.IsPlaying());
    EXPECT_EQ(Get<QPushButton>("playStop")->text(), QStringLiteral("Play"));
    EXPECT_TRUE(Get<QPushButton>("next")->isEnabled());
}

TEST_F(SeekControllerTest, PlayBeforeTheEndDoesNotRewind) {
    Click("next");
    owner.Take();
    Click("playStop");
    EXPECT_EQ(owner.Take(), (std::vector<Posted>{{SeekPlayState, 1, kNormal}}));
    EXPECT_EQ(TrackPosition(), 1);
}

TEST_F(SeekControllerTest, ChoosingASequenceStopsAndPostsTheNewModeOnlyWhenItChanges) {
    Choose(2);
    EXPECT_TRUE(owner.Take().empty());

    Click("playStop");
    owner.Take();
    Choose(1);
    EXPECT_EQ(owner.Take(), (std::vector<Posted>{{SeekModeChanged, 0, 1}}));
    EXPECT_EQ(controller.Mode(), settings::SequenceMode::FrameByFrame);
    EXPECT_FALSE(controller.IsPlaying());

    // Later steps carry the new mode.
    Click("next");
    EXPECT_EQ(owner.Take(), (std::vector<Posted>{Step(1, 1)}));
    Choose(1);
    EXPECT_TRUE(owner.Take().empty());
}

TEST_F(SeekControllerTest, ATypedCurrentFrameIsClampedToTheEndAndTheSameFramePostsNothing) {
    TypeAndLeave("currentFrame", "25");
    EXPECT_EQ(owner.Take(), (std::vector<Posted>{Step(10)}));
    EXPECT_EQ(TrackPosition(), 10);
    EXPECT_EQ(Current(), QStringLiteral("10"));

    TypeAndLeave("currentFrame", "10");
    EXPECT_TRUE(owner.Take().empty());

    TypeAndLeave("currentFrame", "4");
    EXPECT_EQ(owner.Take(), (std::vector<Posted>{Step(4)}));
    EXPECT_EQ(TrackPosition(), 4);
}

TEST_F(SeekControllerTest, ATypedEndFrameSetsTheTrackMaximumAndPostsThePosition) {
    Click("next");
    Click("next");
    Click("next");
    owner.Take();

    // Beyond the movie's length is taken as typed.
    TypeAndLeave("endFrame", "500");
    EXPECT_EQ(owner.Take(), (std::vector<Posted>{Step(3)}));
    EXPECT_EQ(controller.EndFrame(), 500u);
    EXPECT_EQ(Get<QSlider>("position")->maximum(), 500);

    TypeAndLeave("endFrame", "500");
    EXPECT_TRUE(owner.Take().empty());

    // Below the position, the trackbar pulls the position back to it.
    TypeAndLeave("endFrame", "2");
    EXPECT_EQ(owner.Take(), (std::vector<Posted>{Step(2)}));
    EXPECT_EQ(TrackPosition(), 2);
    EXPECT_EQ(Current(), QStringLiteral("2"));
}

TEST_F(SeekControllerTest, EnterInAnEditMovesTheFocusOnAndAppliesIt) {
    controller.activateWindow();
    QApplication::processEvents();
    auto* edit = Get<QLineEdit>("currentFrame");
    edit->setFocus();
    ASSERT_TRUE(edit->hasFocus());
    edit->setText(QStringLiteral("6"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(edit, &enter);
    EXPECT_FALSE(edit->hasFocus());
    EXPECT_EQ(owner.Take(), (std::vector<Posted>{Step(6)}));
    EXPECT_FALSE(controller.IsPlaying());
}

TEST_F(SeekControllerTest, TheTrackShowsWhileMovingAndSeeksWhenTheMoveEnds) {
    auto* track = Get<QSlider>("position");
    track->setSliderDown(true);
    track->setSliderPosition(7);
    EXPECT_EQ(Current(), QStringLiteral("7"));
    EXPECT_TRUE(owner.Take().empty());
    track->setSliderDown(false);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(track, &release);
    EXPECT_EQ(owner.Take(), (std::vector<Posted>{Step(7)}));

    // A page step from the keyboard: shown on the key press, sought on its release.
    QKeyEvent pageDown(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier);
    QApplication::sendEvent(track, &pageDown);
    EXPECT_NE(Current(), QStringLiteral("7"));
    EXPECT_EQ(Current(), QString::number(track->value()));
    EXPECT_TRUE(owner.Take().empty());
    QKeyEvent released(QEvent::KeyRelease, Qt::Key_PageUp, Qt::NoModifier);
    QApplication::sendEvent(track, &released);
    EXPECT_EQ(owner.Take(), (std::vector<Posted>{Step(track->value())}));
}

TEST_F(SeekControllerTest, SettingTheEndFrameResetsPositionAndPlaying) {
    Click("next");
    Click("playStop");
    owner.Take();
    controller.SetEndFrame(40);
    EXPECT_FALSE(controller.IsPlaying());
    EXPECT_EQ(TrackPosition(), 0);
    EXPECT_EQ(Current(), QStringLiteral("0"));
    EXPECT_EQ(Get<QLineEdit>("endFrame")->text(), QStringLiteral("40"));
    EXPECT_EQ(Get<QSlider>("position")->maximum(), 40);

    controller.ShowFrame(41);
    EXPECT_EQ(TrackPosition(), 0);
    controller.ShowFrame(40);
    EXPECT_EQ(Current(), QStringLiteral("40"));
    controller.Step();
    EXPECT_EQ(TrackPosition(), 40);
    EXPECT_TRUE(owner.Take().empty());
}

TEST_F(SeekControllerTest, TheCloseBoxHidesAndPostsClosedButEscapeAndHideDoNot) {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&controller, &escape);
    EXPECT_TRUE(controller.IsShown());

    controller.close();
    EXPECT_FALSE(controller.IsShown());
    EXPECT_EQ(owner.Take(), (std::vector<Posted>{{SeekClosed, 0, 0}}));

    controller.show();
    controller.hide();
    EXPECT_TRUE(owner.Take().empty());
}

}  // namespace
}  // namespace player
