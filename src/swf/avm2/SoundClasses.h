#pragma once
// flash.media's sound classes, and the soundTransform of sprites and buttons, on the movie's
// mixer.

namespace swf::avm2 {

class Machine;

// After the display classes, whose Sprite and SimpleButton it extends.
void installSoundClasses(Machine& m);

}  // namespace swf::avm2
