#pragma once
// Paints the player view: the engine is drawn into the frame buffer at the view's size and
// the buffer is copied to the screen, so that every picture, on screen and in every output
// file, passes through the same buffer. It filters the view's paint events in place of the
// view's own painting.
//
// While a run is in progress its captures fill the buffer, and a paint only shows the last
// one.

#include <QObject>
#include <functional>

#include "convert/run/FrameCapture.h"

namespace player {

class PlayerHost;

enum class RenderPhase {
    Idle,  // playing or stopped: each paint draws the engine
    Run,   // a conversion run: its captures fill the buffer
};

class FrameRenderer : public QObject {
  public:
    explicit FrameRenderer(PlayerHost& view);
    ~FrameRenderer() override;
    FrameRenderer(const FrameRenderer&) = delete;
    FrameRenderer& operator=(const FrameRenderer&) = delete;

    // Asked on every paint; Idle until set.
    void SetPhaseQuery(std::function<RenderPhase()> query) { phase_ = std::move(query); }

    // The frame buffers the runs capture into and the writers read.
    convert::FrameCapture& Capture() { return capture_; }
    // Paints the view at once, within the caller's loop.
    void PaintNow();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Whether this paint draws the engine into the buffer before showing it.
    bool DrawsEngine();
    void Paint();

    PlayerHost& view_;
    std::function<RenderPhase()> phase_;
    convert::FrameCapture capture_;
};

}  // namespace player
