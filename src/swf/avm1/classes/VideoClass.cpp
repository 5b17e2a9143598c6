// Video: the class of video objects on the stage. attachVideo shows a NetStream's pictures
// (null, or anything else, shows nothing more); clear drops the picture shown until the next
// one is decoded.

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/classes/NetStreamFeed.h"
#include "swf/avm1/classes/PlayerObjects.h"
#include "swf/display/VideoInstance.h"

namespace swf::avm1 {
namespace {

VideoInstance* videoOf(Machine& m, Object* self) {
    return dynamic_cast<VideoInstance*>(m.displayObjectOf(Value(self)));
}

Value videoAttach(Machine& m, Object* self, std::span<const Value> args) {
    if (VideoInstance* video = videoOf(m, self))
        video->attachFeed(netStreamFeed(arg(args, 0).asObject()));
    return Value();
}

Value videoClear(Machine& m, Object* self, std::span<const Value>) {
    if (VideoInstance* video = videoOf(m, self)) video->clearPicture();
    return Value();
}

// A property read off the video object; undefined on anything else.
template <auto read>
Value videoProperty(Machine& m, Object* self, std::span<const Value>) {
    VideoInstance* video = videoOf(m, self);
    return video ? Value((video->*read)()) : Value();
}

Value videoSetSmoothing(Machine& m, Object* self, std::span<const Value> args) {
    if (VideoInstance* video = videoOf(m, self)) video->setSmoothing(m.toBoolean(arg(args, 0)));
    return Value();
}

Value videoSetDeblocking(Machine& m, Object* self, std::span<const Value> args) {
    if (VideoInstance* video = videoOf(m, self)) video->setDeblocking(m.toInt32(arg(args, 0)));
    return Value();
}

// The picture's properties: read-only sizes, and the two filters scripts may set.
constexpr NativeMember kVideoProperties[] = {
    native::accessor("smoothing", videoProperty<&VideoInstance::smoothing>, videoSetSmoothing),
    native::accessor("deblocking", videoProperty<&VideoInstance::deblocking>, videoSetDeblocking),
    native::accessor("height", videoProperty<&VideoInstance::pictureHeight>, native::nothing),
    native::accessor("width", videoProperty<&VideoInstance::pictureWidth>, native::nothing),
};

constexpr NativeMember kVideoMethods[] = {
    native::method("attachVideo", videoAttach),
    native::method("clear", videoClear),
};

}  // namespace

void installVideoClass(Machine& m) {
    Object* proto = m.newObject();
    m.prototypes().video = proto;
    m.prototypes().videoProperties = kVideoProperties;
    installClass(m, m.global(), proto, {"Video", native::nothing, nullptr, {}, {}, kVideoMethods});
    // SWF 5 movies have no Video class to name.
    hideBefore(m.global(), "Video", 6);
}

}  // namespace swf::avm1
