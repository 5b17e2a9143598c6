#include "player/PlaybackClock.h"

#include <QCoreApplication>

#include "convert/run/SequenceStepper.h"
#include "player/ClockOwner.h"
#include "player/HostEvents.h"
#include "player/HostValueEvent.h"
#include "player/SeekControls.h"
#include "player/SoundOutput.h"
#include "swf/player/Player.h"

namespace player {

PlaybackClock::PlaybackClock(QObject* receiver, swf::Player& control, SeekControls& seek,
                             ClockOwner& owner, std::atomic<int32_t>& pendingTicks)
    : receiver_(receiver),
      control_(control),
      seek_(seek),
      owner_(owner),
      pendingTicks_(pendingTicks) {}

bool PlaybackClock::HandleEvent(QEvent* event) {
    if (event->type() == ClockTick) {
        OnClockTick();
        return true;
    }
    if (event->type() != SeekStep && event->type() != SeekPlayState) return false;
    const auto* seek = dynamic_cast<const HostValueEvent*>(event);
    if (!seek) return false;
    if (event->type() == SeekStep)
        OnSeekStep(static_cast<uint32_t>(seek->First()),
                   static_cast<settings::SequenceMode>(seek->Second()));
    else
        OnSeekPlayState(seek->First() == 1);
    return true;
}

void PlaybackClock::Play() {
    control_.Play();
    stopped_ = false;
}

void PlaybackClock::Stop() {
    control_.StopPlay();
    stopped_ = true;
}

void PlaybackClock::ResetSteps() {
    ticksDelivered_ = 0;
    lastGotoFrame_ = 0;
}

void PlaybackClock::OnClockTick() {
    // Ticks that a run's nested event loops deliver would step the movie under the run.
    if (owner_.RunInProgress()) {
        pendingTicks_.store(0);
        return;
    }
    ticking_ = true;
    if (!stopped_)
        Played();
    else
        OnStoppedTick();
    CountDownPendingTick();
}

void PlaybackClock::Played() {
    control_.advanceFrame();
    if (sound_) sound_->Played();
}

void PlaybackClock::OnStoppedTick() {
    if (owner_.BatchRunning()) {
        owner_.PostBatchNextTask();
        return;
    }
    if (!seek_.IsShown() || !seek_.IsPlaying()) return;
    if (ticksDelivered_ >= seek_.EndFrame()) {
        seek_.ShowStoppedState();
        return;
    }
    ForceFrame(seek_.Mode());
    control_.advanceFrame();
    if (sound_) sound_->Discard();
    seek_.Step();
    ++ticksDelivered_;
}

void PlaybackClock::OnSeekStep(uint32_t target, settings::SequenceMode mode) {
    if (!stopped_ || !ticking_ || target == ticksDelivered_) return;
    uint32_t steps = target - ticksDelivered_;
    if (target < ticksDelivered_) {
        control_.Rewind();
        lastGotoFrame_ = 0;
        steps = target;
    }
    ticksDelivered_ = target;
    control_.Play();
    for (uint32_t step = 0; step < steps; ++step) {
        ForceFrame(mode);
        control_.advanceFrame();
    }
    if (sound_) sound_->Discard();
    // Of a burst of slider moves only the one handled here is carried out.
    QCoreApplication::removePostedEvents(receiver_, SeekStep);
}

void PlaybackClock::OnSeekPlayState(bool play) {
    if (!stopped_ || !ticking_) return;
    if (play)
        control_.Play();
    else
        control_.StopPlay();
}

void PlaybackClock::ForceFrame(settings::SequenceMode mode) {
    convert::SequenceStepper stepper(mode, lastGotoFrame_);
    stepper.Apply(control_);
    lastGotoFrame_ = stepper.LastFrame();
}

void PlaybackClock::CountDownPendingTick() {
    // A tick dropped by a run started from this one has already reset the count: it must not
    // go below zero.
    int32_t pending = pendingTicks_.load();
    while (pending > 0 && !pendingTicks_.compare_exchange_weak(pending, pending - 1)) {
    }
}

}  // namespace player
