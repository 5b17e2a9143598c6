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
#include <utility>
#include <vector>

#include "swf/avm1/classes/Amf0Writer.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/classes/PlayerObjects.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/format/LetterCase.h"

namespace swf::avm1 {
namespace {

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
// for a name or a path the player refuses, or a secure one asked for by a movie that did not
// come over HTTPS (so secure objects never meet the others here).
Object* localObject(Machine& m, std::span<const Value> args) {
    if (args.empty()) return nullptr;
    std::string name = m.toString(args[0]);
    if (!validName(name)) return nullptr;
    Value pathValue = arg(args, 1);
    std::string path = pathValue.isNullish() ? "" : m.toString(pathValue);
    // No path is the movie's own file; a folder named with or without its closing slash is
    // the same folder.
    std::string url = runningMovieUrl(m);
    std::string movie = urlPath(url);
    if (path.empty()) path = movie;
    if (!pathHoldsMovie(path, movie)) return nullptr;
    // A secure shared object is only for movies that came over HTTPS.
    if (m.toBoolean(arg(args, 2)) && !startsWithIgnoringCase(url, "https:")) return nullptr;
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
    Amf0Writer writer(m);
    writer.data(data);
    if (writer.bytes().empty()) return Value(0);
    // The .sol header: magic, length, "TCSO", six bytes, the name and four bytes of AMF
    // version.
    const auto& nameLengths = m.realmState<SharedObjects>().nameLengths;
    auto it = nameLengths.find(self);
    size_t nameLength = it == nameLengths.end() ? 0 : it->second;
    return Value(static_cast<double>(16 + 2 + nameLength + 4 + writer.bytes().size()));
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
