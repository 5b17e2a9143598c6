// MovieClipLoader: loadClip and unloadClip with events for the listeners (the loader is its
// own first listener): onLoadStart, onLoadProgress and onLoadComplete when the file arrives
// (after the next frame's actions), onLoadInit once the loaded movie's first frame ran,
// onLoadError when there is nothing to show (as the frame that asked ends). getProgress
// answers with the bytes of what a clip or level holds.

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/LoadRequests.h"
#include "swf/avm1/classes/PlayerObjects.h"
#include "swf/avm1/machine/StageObject.h"
#include "swf/avm1/machine/TargetPath.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/movie/SwfMovie.h"

namespace swf::avm1 {
namespace {

constexpr int kMaxPathParts = 1024;

// A target a script gives: a clip, a level number, "_levelN" or a path from _level0. Null
// `found` and level -1 when it names nothing; false when it is no kind of target at all.
bool targetOf(Machine& m, const Value& value, LoadTarget& target, MovieClip*& found) {
    found = nullptr;
    target = LoadTarget{};
    if (value.isNumber()) {
        double n = value.asNumber();
        if (!(n >= 0 && n <= MovieContext::kMaxLevel)) return true;
        target.level = static_cast<int>(n);
        found = m.context().level(target.level);
        return true;
    }
    if (value.isObject()) {
        found = m.movieClipOf(value);
        if (!found) return false;
        target = loadTargetOf(m, *found);
        return true;
    }
    if (!value.isString()) return false;
    std::string path = m.toString(value);
    if (int level = levelNumber(path); level >= 0) {
        target.level = level;
        found = m.context().level(level);
        return true;
    }
    // "a.b", "a/b", "_root.a", "_level0.a" from the main timeline.
    DisplayObject* at = m.context().root();
    std::string_view rest = path;
    for (int parts = 0; at && !rest.empty() && parts < kMaxPathParts; ++parts) {
        size_t end = std::min(rest.find_first_of("./"), rest.size());
        std::string_view part = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (part.empty() ||
            (parts == 0 && (m.namesEqual(part, "_root") || m.namesEqual(part, "_level0"))))
            continue;
        Object* child = childNamed(m, *at, part);
        at = child ? m.displayObjectOf(Value(child)) : nullptr;
    }
    found = at ? at->asMovieClip() : nullptr;
    if (found) target = loadTargetOf(m, *found);
    return true;
}

Value clipValue(Machine& m, MovieClip* clip) {
    return clip ? Value(static_cast<Object*>(m.stageObject(*clip))) : Value();
}

Value loadClip(Machine& m, Object* self, std::span<const Value> args) {
    ContentRequests* loader = m.context().loader();
    // The address must be a string itself: nothing else is converted to one.
    if (!self || !loader || args.size() < 2 || !args[0].isString()) return Value(false);
    LoadTarget target;
    MovieClip* found = nullptr;
    if (!targetOf(m, args[1], target, found) || (target.level < 0 && !found)) return Value(false);
    Machine* machine = &m;
    // The events must find the loader, referenced or not, until the load ends.
    Rooted<Object> rooted(m.heap(), self);
    MovieLoadEvents events;
    events.arrivesAfterNextFrame = true;
    events.start = [machine, self = rooted](MovieClip& clip) {
        runLoadCallback(*machine, [&] {
            player::broadcast(*machine, self, "onLoadStart", {clipValue(*machine, &clip)});
        });
    };
    events.progress = [machine, self = rooted](MovieClip& clip, size_t loaded, size_t total) {
        runLoadCallback(*machine, [&] {
            player::broadcast(*machine, self, "onLoadProgress",
                              {clipValue(*machine, &clip), Value(static_cast<double>(loaded)),
                               Value(static_cast<double>(total))});
        });
    };
    events.complete = [machine, self = rooted](MovieClip& clip, size_t) {
        runLoadCallback(*machine, [&] {
            player::broadcast(*machine, self, "onLoadComplete",
                              {clipValue(*machine, &clip), Value(0.0)});
        });
    };
    events.init = [machine, self = rooted](MovieClip& clip) {
        runLoadCallback(*machine, [&] {
            player::broadcast(*machine, self, "onLoadInit", {clipValue(*machine, &clip)});
        });
    };
    events.error = [machine, self = rooted](MovieClip* clip, const std::string& code) {
        runLoadCallback(*machine, [&] {
            player::broadcast(*machine, self, "onLoadError",
                              {clipValue(*machine, clip), Value(code), Value(0.0)});
        });
    };
    loader->loadMovie(target, m.toString(args[0]), std::move(events));
    return Value(true);
}

Value unloadClip(Machine& m, Object*, std::span<const Value> args) {
    if (args.empty()) return Value();
    ContentRequests* loader = m.context().loader();
    LoadTarget target;
    MovieClip* found = nullptr;
    if (!loader || !targetOf(m, arg(args, 0), target, found) || (target.level < 0 && !found))
        return Value(false);
    loader->unloadMovie(target);
    return Value(true);
}

Value getProgress(Machine& m, Object*, std::span<const Value> args) {
    LoadTarget target;
    MovieClip* clip = nullptr;
    if (!targetOf(m, arg(args, 0), target, clip)) return Value();
    // A bare record: it inherits nothing, not even from Object.
    Object* progress = m.newObject();
    progress->setProto(nullptr);
    Value loaded, total;
    if (clip && !clip->loadedMovie() && !clip->character() && m.context().levelOf(clip) < 0) {
        loaded = total = Value(0.0);  // a clip a script made empty has nothing loaded
    } else if (clip) {
        const SwfHeader& header = clip->ownerMovie()->header;
        loaded = Value(header.bytesLoaded());
        total = Value(header.bytesTotal());
    }
    progress->setOwn("bytesLoaded", loaded);
    progress->setOwn("bytesTotal", total);
    return Value(progress);
}

Value loaderConstruct(Machine& m, Object* self, std::span<const Value>) {
    if (!self) return Value();
    // Each loader has its own list, with itself as the first listener.
    const Value own[] = {Value(self)};
    self->defineOwn("_listeners",
                    Property{Value(static_cast<Object*>(m.newArray(own))), nullptr, nullptr, kDontEnum});
    return Value();
}

constexpr NativeMember kLoaderMethods[] = {
    native::method("loadClip", loadClip),
    native::method("unloadClip", unloadClip),
    native::method("getProgress", getProgress),
};

}  // namespace

void installMovieClipLoaderClass(Machine& m) {
    Object* proto = m.newObject();
    installClass(m, m.global(), proto, {"MovieClipLoader", loaderConstruct, nullptr, {}, {}, {}});
    // The broadcaster's methods come first on the prototype; the list is each loader's own.
    player::makeBroadcaster(m, proto, kDontEnum);
    proto->deleteOwn("_listeners");
    installMembers(m, proto, kLoaderMethods);
}

}  // namespace swf::avm1
