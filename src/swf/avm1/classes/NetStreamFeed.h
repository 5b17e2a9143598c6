#pragma once
// The pictures and clock of a NetStream, for Video.attachVideo, and its connection's state.

#include <memory>

namespace swf {
struct VideoFeed;
}

namespace swf::avm1 {

class Object;

// Null when `object` is no NetStream.
std::shared_ptr<const VideoFeed> netStreamFeed(Object* object);
// True when `object` is a NetConnection that is connected.
bool netConnectionIsOpen(Object* object);

}  // namespace swf::avm1
