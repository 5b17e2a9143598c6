#include "player/FrameRenderer.h"

#include <QEvent>
#include <QImage>
#include <QPainter>

#include "player/PlayerHost.h"

namespace player {

FrameRenderer::FrameRenderer(PlayerHost& view) : view_(view) {
    view_.installEventFilter(this);
}

FrameRenderer::~FrameRenderer() {
    view_.removeEventFilter(this);
}

void FrameRenderer::PaintNow() {
    view_.repaint();
}

bool FrameRenderer::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &view_ || event->type() != QEvent::Paint) return false;
    Paint();
    return true;
}

bool FrameRenderer::DrawsEngine() {
    return (phase_ ? phase_() : RenderPhase::Idle) != RenderPhase::Run;
}

void FrameRenderer::Paint() {
    // The engine always draws the whole view, so the buffer holds the whole frame even
    // where the view is off the screen; the painter clips the copy to what needs showing.
    const bool drawn = !DrawsEngine() || capture_.Capture(view_.Control());
    const convert::FrameBuffer& frame = capture_.Frame();
    QPainter painter(&view_);
    const int width = frame.header().width, height = frame.header().height;
    // Where the frame does not cover the view, or lets it show through, the view's own
    // background shows.
    if (!drawn || frame.empty() || width != view_.width() || height != view_.height() ||
        frame.header().bitCount == 32)
        painter.fillRect(view_.rect(), view_.palette().window());
    if (!drawn || frame.empty()) return;
    const QImage image(
        frame.pixels().data(), width, height, static_cast<qsizetype>(frame.stride()),
        frame.header().bitCount == 32 ? QImage::Format_ARGB32 : QImage::Format_BGR888);
    // The rows are stored bottom-up.
    painter.setTransform(QTransform(1, 0, 0, -1, 0, height));
    painter.drawImage(0, 0, image);
}

}  // namespace player
