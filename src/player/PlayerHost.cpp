#include "player/PlayerHost.h"

namespace player {

PlayerHost::PlayerHost(QObject* tickReceiver, std::atomic<int32_t>& pendingTicks, QWidget* parent)
    : QWidget(parent), timer_(tickReceiver, pendingTicks) {
    // The renderer paints every pixel; nothing is to be erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    control_.SetWMode("Opaque");
    control_.SetServiceProvider(&serviceProvider_);
    control_.SetViewSize(width(), height());
    control_.SetRedrawHandler([this] { update(); });
}

PlayerHost::~PlayerHost() {
    control_.SetRedrawHandler({});
}

void PlayerHost::resizeEvent(QResizeEvent* event) {
    control_.SetViewSize(width(), height());
    QWidget::resizeEvent(event);
}

}  // namespace player
