#pragma once
// The main window's handling of its clock: for every ClockTick it decides whether the engine
// gets the tick (playing), does not (stopped), gets it with the main timeline's frame forced
// by the sequence mode (seek mode playing), or whether it belongs to a run or the recording
// phase. It also carries out the seek controller's seeks and play state. The main window
// forwards these events to HandleEvent and calls the commands below; everything runs on the
// main thread.

#include <QEvent>
#include <QObject>
#include <atomic>
#include <cstdint>

#include "settings/SequenceMode.h"

namespace swf {
class Player;
}  // namespace swf

namespace player {

class ClockOwner;
class SeekControls;
class SoundOutput;

class PlaybackClock {
  public:
    // `receiver` is the object the clock thread and the seek controller post to (the main
    // window); `pendingTicks` is the count of ticks posted and not yet handled, shared with
    // the frame clock. All are kept, not owned.
    PlaybackClock(QObject* receiver, swf::Player& control, SeekControls& seek, ClockOwner& owner,
                  std::atomic<int32_t>& pendingTicks);
    PlaybackClock(const PlaybackClock&) = delete;
    PlaybackClock& operator=(const PlaybackClock&) = delete;

    // Handles ClockTick, SeekStep (target frame, sequence mode) and SeekPlayState (1 = play,
    // sequence mode), both HostValueEvents; false for any other event, which stays the
    // caller's.
    bool HandleEvent(QEvent* event);

    // The Play and Stop commands: the control plays and every tick reaches it, or it stops
    // and ticks reach it only through seek mode. Stopped from the start.
    void Play();
    void Stop();
    bool Stopped() const { return stopped_; }

    // Where the sound of the ticks the movie plays goes; seek mode's steps stay silent. Kept,
    // not owned; null (the default) for none.
    void SetSoundOutput(SoundOutput* sound) { sound_ = sound; }

    // Seek mode starts again at the movie's first frame: a movie was opened, seek mode was
    // entered or its sequence mode changed.
    void ResetSteps();

    // True once a tick has been handled: the engine has had a movie to pace its clock to.
    // Seeks wait for it.
    bool Ticking() const { return ticking_; }
    // Seek mode's steps since the last rewind: the index of the frame it shows.
    uint32_t TicksDelivered() const { return ticksDelivered_; }
    // The main timeline's frame that the last seek step forced or saw.
    int LastGotoFrame() const { return lastGotoFrame_; }

  private:
    void OnClockTick();
    // A tick while playing: the movie advances a frame, its sound is heard.
    void Played();
    // A tick while stopped: the batch's wait between tasks, or one step of seek play.
    void OnStoppedTick();
    void OnSeekStep(uint32_t target, settings::SequenceMode mode);
    void OnSeekPlayState(bool play);
    void ForceFrame(settings::SequenceMode mode);
    void CountDownPendingTick();

    QObject* const receiver_;
    swf::Player& control_;
    SeekControls& seek_;
    ClockOwner& owner_;
    std::atomic<int32_t>& pendingTicks_;
    SoundOutput* sound_ = nullptr;

    bool stopped_ = true;
    bool ticking_ = false;
    uint32_t ticksDelivered_ = 0;
    int lastGotoFrame_ = 0;
};

}  // namespace player
