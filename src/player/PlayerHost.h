#pragma once
// The view that hosts the engine: it owns the engine and the frame clock that the engine
// sets to its movie's pace, and keeps the engine's view the size of the widget. The engine is
// put into the "Opaque" window mode first. Painting is done by FrameRenderer,
// which filters this widget's paint events. The mouse and keyboard over the view go to the
// movie.

#include <QWidget>
#include <atomic>
#include <cstdint>

#include "player/FrameClock.h"
#include "swf/player/Player.h"

namespace player {

class PlayerHost : public QWidget {
  public:
    // Ticks go to `tickReceiver` (the main window), which counts `pendingTicks` down.
    PlayerHost(QObject* tickReceiver, std::atomic<int32_t>& pendingTicks,
               QWidget* parent = nullptr);
    ~PlayerHost() override;

    swf::Player& Control() { return control_; }
    const swf::Player& Control() const { return control_; }
    FrameClock& Clock() { return clock_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

  private:
    void ForwardMouse(swf::InputEvent::Type type, QMouseEvent* event, int clickCount = 1);
    void ForwardKey(swf::InputEvent::Type type, QKeyEvent* event);

    FrameClock clock_;
    // Last: gone before the clock it sets.
    swf::Player control_;
};

}  // namespace player
