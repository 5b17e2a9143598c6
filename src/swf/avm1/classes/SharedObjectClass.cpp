// SharedObject: local shared objects live in memory for the run (nothing is read from or
// written to disk, so each conversion starts as a first visit). getLocal answers the same
// object for the same name and path; getSize counts the bytes the player's .sol file of the
// data would take; remote shared objects need a server and are never there. A local path
// must name the calling movie's own file or a folder above it.

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/DateObject.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/classes/PlayerObjects.h"
#include "swf/avm1/machine/StageObject.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"

namespace swf::avm1 {
namespace {


// Bounds on the walk over a script's data (it may be deep or cyclic).
constexpr int kMaxDepth = 256;
constexpr size_t kMaxValues = 1'000'000;

class SolSize {
  public:
    explicit SolSize(Machine& m) : m_(m), xml_(m.get(m.global(), "XML")) {}

    // The bytes of one AMF0 value.
    double value(const Value& v, int depth) {
        if (++count_ > kMaxValues || depth > kMaxDepth)
            throw ScriptLimitError("shared object data too large or too deep to measure");
        if (v.isUndefined() || v.isNull()) return 1;
        if (v.isBool()) return 2;
        if (v.isNumber()) return 9;
        if (v.isString()) return string(v.asString()) + 1;
        Object* o = v.asObject();
        if (o->asStageObject()) return 1;  // clips are stored as undefined
        if (dynamic_cast<DateObject*>(o)) return 11;
        if (xml_.isObject() && instanceOf(m_, v, xml_)) return 5 + m_.toString(v).size();
        if (!seen_.insert(o).second) return 3;  // met before: a reference
        if (dynamic_cast<ArrayObject*>(o)) return 5 + members(o, depth) + 3;
        // An instance of a registered class is written with the name it was registered under.
        const std::string* alias = registeredName(o);
        return 1 + (alias ? 2 + static_cast<double>(alias->size()) : 0) + members(o, depth) + 3;
    }

    // The name-value pairs of an object's own enumerable members (functions are left out),
    // each followed by `trailing` bytes.
    double members(Object* o, int depth, int trailing = 0) {
        std::vector<std::string> names;
        o->ownNames(names);
        double total = 0;
        for (const std::string& name : names) {
            Property* p = o->findOwn(name);
            if (!p || (p->flags & kDontEnum)) continue;
            Value v = m_.get(Value(o), name);
            if (v.asObject() && v.asObject()->asFunction()) continue;
            total += 2 + name.size() + value(v, depth + 1) + trailing;
        }
        return total;
    }

    // The members of the shared object's data, each ending with a zero byte. The data object
    // itself is the first object written: members that refer to it are references.
    double top(Object* data) {
        seen_.insert(data);
        return members(data, 0, 1);
    }

  private:
    // The class an object says it is an instance of: its own constructor property, else the
    // one `new` recorded; what it inherits does not count.
    const std::string* registeredName(Object* o) const {
        for (const char* name : {"constructor", "__constructor__"})
            if (Property* p = o->findOwn(name); p && !p->isVirtual())
                return m_.registeredName(p->value.asObject());
        return nullptr;
    }

    static double string(const std::string& s) { return (s.size() > 0xFFFF ? 4 : 2) + s.size(); }

    Machine& m_;
    Value xml_;
    std::unordered_set<Object*> seen_;
    size_t count_ = 0;
};

// Names the player refuses for a local shared object.
bool validName(const std::string& name) {
    if (name.empty()) return false;
    return name.find_first_of("~%&\\;:\"',<>?# ") == std::string::npos;
}

// The path part of a movie's URL: "/games/a.swf" of "http://host/games/a.swf?x=1". A movie
// with no URL (played from memory) sits at the root.
std::string urlPath(const std::string& url) {
    size_t scheme = url.find("://");
    size_t start = scheme == std::string::npos ? std::string::npos : url.find('/', scheme + 3);
    if (start == std::string::npos) return "/";
    return url.substr(start, url.find_first_of("?#", start) - start);
}

// Whether `local` names the movie's file or one of the folders above it, in whole names:
// "/games" and "/games/" hold /games/a.swf, "/gam" does not.
bool pathHoldsMovie(const std::string& local, const std::string& movie) {
    if (local.empty() || !movie.starts_with(local)) return false;
    return local.back() == '/' || local.size() == movie.size() || movie[local.size()] == '/';
}

// The URL of the movie whose code runs now: the one its timeline came from.
std::string runningMovieUrl(Machine& m) {
    Object* target = m.runningTarget();
    MovieClip* clip = target ? m.movieClipOf(Value(target)) : nullptr;
    return clip ? clip->url() : m.context().movieUrl();
}

constexpr uint32_t kMaxSharedObjects = 100000;

// The movie's shared objects, one for each name and path, and the prototype they get.
struct SharedObjects {
    explicit SharedObjects(script::Heap& heap) : prototype(heap) {}
    Rooted<Object> prototype;
    std::map<std::pair<std::string, std::string>, Rooted<Object>> byName;  // (name, path)
    std::unordered_map<Object*, size_t> nameLengths;                       // for the .sol header
};

// The shared object of getLocal(name, path): the same one for the same name and path; null
// for a name or a path the player refuses.
Object* localObject(Machine& m, std::span<const Value> args) {
    if (args.empty()) return nullptr;
    std::string name = m.toString(args[0]);
    if (!validName(name)) return nullptr;
    Value pathValue = arg(args, 1);
    std::string path = pathValue.isNullish() ? "" : m.toString(pathValue);
    // No path is the movie's own file; a folder named with or without its closing slash is
    // the same folder.
    std::string movie = urlPath(runningMovieUrl(m));
    if (path.empty()) path = movie;
    if (!pathHoldsMovie(path, movie)) return nullptr;
    if (path.size() > 1 && path.back() == '/') path.pop_back();
    SharedObjects& shared = m.realmState<SharedObjects>();
    auto key = std::make_pair(name, path);
    if (auto it = shared.byName.find(key); it != shared.byName.end()) return it->second.get();
    if (shared.byName.size() >= kMaxSharedObjects) throw ScriptLimitError("too many shared objects");
    Object* so = m.newObject(shared.prototype);
    so->setOwn("data", Value(m.newObject()));
    shared.byName.emplace(key, Rooted<Object>(m.heap(), so));
    shared.nameLengths.emplace(so, name.size());
    return so;
}

Value sharedGetLocal(Machine& m, Object*, std::span<const Value> args) {
    Object* so = localObject(m, args);
    return so ? Value(so) : Value(Null{});
}

// ASnative(2106, 204)(object, name, path): opens the local shared object into `object`, which
// then holds its data; false for no object or a refused name.
Value sharedOpenLocal(Machine& m, Object*, std::span<const Value> args) {
    Object* target = m.liveObject(arg(args, 0).asObject());
    Object* so = target ? localObject(m, args.subspan(1)) : nullptr;
    if (!so) return Value(false);
    target->setOwn("data", m.get(Value(so), "data"));
    return Value(true);
}

Value sharedDiskUsage(Machine&, Object*, std::span<const Value>) {
    return Value(0);
}

// Kept in memory, so writing it out always succeeds.
Value sharedFlush(Machine&, Object*, std::span<const Value>) {
    return Value(true);
}

Value sharedGetSize(Machine& m, Object* self, std::span<const Value>) {
    Object* data = m.get(Value(self), "data").asObject();
    if (!data) return Value(0);
    SolSize size(m);
    double members = size.top(data);
    if (members == 0) return Value(0);
    // The .sol header: magic, length, "TCSO", six bytes, the name and four bytes of AMF
    // version.
    const auto& nameLengths = m.realmState<SharedObjects>().nameLengths;
    auto it = nameLengths.find(self);
    size_t nameLength = it == nameLengths.end() ? 0 : it->second;
    return Value(16 + 2 + static_cast<double>(nameLength) + 4 + members);
}

Value sharedClear(Machine& m, Object* self, std::span<const Value>) {
    Object* data = m.get(Value(self), "data").asObject();
    if (!data) return Value();
    std::vector<std::string> names;
    data->ownNames(names);
    for (const std::string& name : names) data->deleteOwn(name);
    return Value();
}

using native::method;

constexpr NativeMember kSharedObjectStatics[] = {
    method("getLocal", sharedGetLocal, 0),
    method("getRemote", native::none, 0).numbered(2106, 202),
    method("deleteAll", native::no),
    method("getDiskUsage", sharedDiskUsage),
};

constexpr NativeMember kSharedObjectMethods[] = {
    method("connect", native::no),
    method("send", native::nothing),
    method("flush", sharedFlush),
    method("close", native::nothing),
    method("getSize", sharedGetSize),
    method("setFps", native::no),
    method("clear", sharedClear),
};

}  // namespace

void installSharedObjectClass(Machine& m) {
    Object* proto = m.newObject();
    m.realmState<SharedObjects>().prototype = proto;
    installClass(m, m.global(), proto,
                 {"SharedObject", native::nothing, nullptr, {}, kSharedObjectStatics,
                  kSharedObjectMethods});
    m.natives().add({2106, 204}, sharedOpenLocal);
}

}  // namespace swf::avm1
