#pragma once
// "Seek Controller": the modeless dialog that is visible exactly while seek mode is on. It
// keeps the sequence mode, the end frame and the position, and tells its owner (the main
// window) what the user asked for with posted HostValueEvents: SeekModeChanged (0, new mode),
// SeekStep (target frame, mode), SeekPlayState (1 = play or 0 = stop, mode), SeekClosed
// (0, 0).
// It never waits for a seek: the owner steps the movie when it handles the event.

#include <QDialog>
#include <QEvent>
#include <cstdint>

#include "player/SeekControls.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QSlider;

namespace player {

class SeekController : public QDialog, public SeekControls {
  public:
    // Created hidden; `owner` receives the events.
    explicit SeekController(QObject* owner, QWidget* parent = nullptr);

    bool IsShown() const override { return isVisible(); }
    bool IsPlaying() const override { return playing_; }
    uint32_t EndFrame() const override { return endFrame_; }
    settings::SequenceMode Mode() const override { return mode_; }

    void SetEndFrame(uint32_t n) override;
    void ShowFrame(uint32_t n) override;
    void Step() override;
    void ShowStoppedState() override;

    // Escape does not close the controller; only its close box does.
    void reject() override {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void OnSequenceChosen(int index);
    void OnEndFrameLeft();
    void OnCurrentFrameLeft();
    void OnTrackAction(int action);
    void OnTrackEnded();
    void OnPlayStop();
    void OnRewind();
    void OnPrevious();
    void OnNext();
    void OnEnd();

    uint32_t Position() const;
    // Trackbar and current-frame edit both show `frame`.
    void MoveTo(uint32_t frame);
    void ShowPositionInEdit(uint32_t frame);
    void SetTrackMaximum(uint32_t endFrame);
    // `type` with `value` and the sequence mode.
    void Post(QEvent::Type type, uint32_t value);

    QObject* owner_;
    settings::SequenceMode mode_ = settings::SequenceMode::Normal;
    bool playing_ = false;
    uint32_t endFrame_ = 0;

    QComboBox* sequence_ = nullptr;
    QLineEdit* currentFrame_ = nullptr;
    QLineEdit* endFrameEdit_ = nullptr;
    QSlider* track_ = nullptr;
    QPushButton* playStop_ = nullptr;
    QPushButton* previous_ = nullptr;
    QPushButton* next_ = nullptr;
};

}  // namespace player
