#pragma once
// The host's own event types. Their numbers are fixed, as the program's messages always had
// them, so that every poster and handler agrees on them without registering.

#include <QEvent>

namespace player {

// The batch run's next step (first value: 1 stops the batch; second: the finished run's result).
inline constexpr QEvent::Type BatchNextTask = static_cast<QEvent::Type>(32778);
// The seek controller's sequence mode changed.
inline constexpr QEvent::Type SeekModeChanged = static_cast<QEvent::Type>(32788);
// The seek controller asks for a tick count (and sequence mode).
inline constexpr QEvent::Type SeekStep = static_cast<QEvent::Type>(32789);
// The seek controller's Play/Stop.
inline constexpr QEvent::Type SeekPlayState = static_cast<QEvent::Type>(32790);
// The seek controller hid itself.
inline constexpr QEvent::Type SeekClosed = static_cast<QEvent::Type>(32791);
// One period of the frame clock's thread (a plain QEvent).
inline constexpr QEvent::Type ClockTick = static_cast<QEvent::Type>(32868);

}  // namespace player
