#pragma once
// The desktop's own volume control program, which "Advance..." opens on its recording view
// so that the user can choose and level what is recorded.

namespace settings {

bool DesktopMixerInstalled();
// Starts it detached; false when none is installed or it cannot be started.
bool StartDesktopMixer();

}  // namespace settings
