#include "player/PlayerHost.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace player {

PlayerHost::PlayerHost(QObject* tickReceiver, std::atomic<int32_t>& pendingTicks, QWidget* parent)
    : QWidget(parent), clock_(tickReceiver, pendingTicks) {
    // The renderer paints every pixel; nothing is to be erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    control_.SetWMode("Opaque");
    control_.setFrameIntervalHandler([this](uint32_t intervalMs) { clock_.Start(intervalMs); });
    control_.SetViewSize(width(), height());
    control_.SetRedrawHandler([this] { update(); });
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
}

PlayerHost::~PlayerHost() {
    control_.SetRedrawHandler({});
    control_.setFrameIntervalHandler({});
}

void PlayerHost::resizeEvent(QResizeEvent* event) {
    control_.SetViewSize(width(), height());
    QWidget::resizeEvent(event);
}

namespace {

// The player's key code of a Qt key: letters and digits as their upper-case character, the
// rest as the player numbers them.
int PlayerKeyCode(int key) {
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return 112 + (key - Qt::Key_F1);
    switch (key) {
        case Qt::Key_Backspace: return 8;
        case Qt::Key_Tab: return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter: return 13;
        case Qt::Key_Shift: return 16;
        case Qt::Key_Control: return 17;
        case Qt::Key_Alt: return 18;
        case Qt::Key_CapsLock: return 20;
        case Qt::Key_Escape: return 27;
        case Qt::Key_Space: return 32;
        case Qt::Key_PageUp: return 33;
        case Qt::Key_PageDown: return 34;
        case Qt::Key_End: return 35;
        case Qt::Key_Home: return 36;
        case Qt::Key_Left: return 37;
        case Qt::Key_Up: return 38;
        case Qt::Key_Right: return 39;
        case Qt::Key_Down: return 40;
        case Qt::Key_Insert: return 45;
        case Qt::Key_Delete: return 46;
        default: return 0;
    }
}

}  // namespace

void PlayerHost::ForwardMouse(swf::InputEvent::Type type, QMouseEvent* event, int clickCount) {
    swf::InputEvent input;
    input.type = type;
    input.clickCount = clickCount;
    input.x = event->position().x();
    input.y = event->position().y();
    input.button = event->button() == Qt::RightButton    ? swf::InputEvent::Button::Right
                   : event->button() == Qt::MiddleButton ? swf::InputEvent::Button::Middle
                                                         : swf::InputEvent::Button::Left;
    control_.HandleInput(input);
}

void PlayerHost::mouseMoveEvent(QMouseEvent* event) {
    ForwardMouse(swf::InputEvent::Type::MouseMove, event);
}

void PlayerHost::mousePressEvent(QMouseEvent* event) {
    ForwardMouse(swf::InputEvent::Type::MouseDown, event);
}

void PlayerHost::mouseDoubleClickEvent(QMouseEvent* event) {
    ForwardMouse(swf::InputEvent::Type::MouseDown, event, 2);
}

void PlayerHost::mouseReleaseEvent(QMouseEvent* event) {
    ForwardMouse(swf::InputEvent::Type::MouseUp, event);
}

void PlayerHost::wheelEvent(QWheelEvent* event) {
    swf::InputEvent input;
    input.type = swf::InputEvent::Type::MouseWheel;
    input.wheelDelta = event->angleDelta().y() / 40;  // the player's three lines a notch
    control_.HandleInput(input);
}

void PlayerHost::ForwardKey(swf::InputEvent::Type type, QKeyEvent* event) {
    swf::InputEvent input;
    input.type = type;
    input.keyCode = PlayerKeyCode(event->key());
    QString text = event->text();
    input.character = text.isEmpty() ? 0 : text.at(0).unicode();
    if (input.keyCode == 0 && input.character == 0) return;
    control_.HandleInput(input);
}

void PlayerHost::keyPressEvent(QKeyEvent* event) {
    if (event->isAutoRepeat()) return;
    ForwardKey(swf::InputEvent::Type::KeyDown, event);
}

void PlayerHost::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat()) return;
    ForwardKey(swf::InputEvent::Type::KeyUp, event);
}

}  // namespace player
