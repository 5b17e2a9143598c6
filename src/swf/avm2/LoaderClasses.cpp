// flash.display.Loader and LoaderInfo, and flash.net.URLRequest: a Loader shows a movie or
// picture read by the engine's content loader (files beside the movie, or bytes a script
// holds) as its one child, and its LoaderInfo reports the load with the player's events.
#include <algorithm>
#include <optional>
#include <span>
#include <string_view>

#include "swf/avm2/ByteArrayObject.h"
#include "swf/avm2/DisplayClasses.h"
#include "swf/avm2/NativeSupport.h"
#include "swf/display/ContentRequests.h"
#include "swf/display/DisplayList.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/movie/SwfMovie.h"

namespace swf::avm2 {

namespace {

constexpr const char* kUnknownType = "Error #2124: Loaded file is an unknown type.";

LoaderInfoObject& infoSelf(Machine& m, const Value& self) { return nativeSelf<LoaderInfoObject>(m, self); }

// The movie an info reports: the one playing for the main timeline's, else the one loaded.
const SwfMovie* movieOf(Machine& m, const LoaderInfoObject& info) {
    if (!info.loader) return &bridgeOf(m).context().movie();
    return info.movie.get();
}

// The player refuses to say what is not loaded yet.
const SwfMovie& loadedMovie(Machine& m, const LoaderInfoObject& info) {
    const SwfMovie* movie = movieOf(m, info);
    if (!movie) m.throwError("Error", 2099, "The loading object is not sufficiently loaded to provide this information.");
    return *movie;
}

void installLoaderInfoAccessors(Machine& m, ClassObject* info) {
    m.defineAccessor(info, "bytesLoaded", [](Machine& m, const Value& self, std::span<const Value>) {
        LoaderInfoObject& i = infoSelf(m, self);
        return Value::number(static_cast<double>(i.loader ? i.bytesLoaded : bridgeOf(m).context().movie().header.fileLength));
    });
    m.defineAccessor(info, "bytesTotal", [](Machine& m, const Value& self, std::span<const Value>) {
        LoaderInfoObject& i = infoSelf(m, self);
        return Value::number(static_cast<double>(i.loader ? i.bytesTotal : bridgeOf(m).context().movie().header.fileLength));
    });
    m.defineAccessor(info, "url", [](Machine& m, const Value& self, std::span<const Value>) {
        LoaderInfoObject& i = infoSelf(m, self);
        if (!i.loader) return Value::string(bridgeOf(m).context().movieUrl());
        return i.url ? Value::string(*i.url) : Value::null();
    });
    m.defineAccessor(info, "loaderURL", [](Machine& m, const Value&, std::span<const Value>) {
        return Value::string(bridgeOf(m).context().movieUrl());
    });
    m.defineAccessor(info, "content", [](Machine& m, const Value& self, std::span<const Value>) {
        LoaderInfoObject& i = infoSelf(m, self);
        if (!i.loader) return bridgeOf(m).valueOf(bridgeOf(m).context().root());
        return i.content && i.movie ? Value::object(i.content) : Value::null();
    });
    m.defineAccessor(info, "loader", [](Machine& m, const Value& self, std::span<const Value>) {
        LoaderInfoObject& i = infoSelf(m, self);
        return i.loader ? Value::object(i.loader) : Value::null();
    });
    m.defineAccessor(info, "frameRate", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(loadedMovie(m, infoSelf(m, self)).header.frameRate);
    });
    m.defineAccessor(info, "swfVersion", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(loadedMovie(m, infoSelf(m, self)).header.version);
    });
    m.defineAccessor(info, "actionScriptVersion", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(loadedMovie(m, infoSelf(m, self)).actionScript3 ? 3 : 2);
    });
    m.defineAccessor(info, "width", [](Machine& m, const Value& self, std::span<const Value>) {
        Rect r = loadedMovie(m, infoSelf(m, self)).header.frameSize;
        return Value::number((r.xMax - r.xMin) / kTwipsPerPixel);
    });
    m.defineAccessor(info, "height", [](Machine& m, const Value& self, std::span<const Value>) {
        Rect r = loadedMovie(m, infoSelf(m, self)).header.frameSize;
        return Value::number((r.yMax - r.yMin) / kTwipsPerPixel);
    });
    m.defineAccessor(info, "contentType", [](Machine& m, const Value& self, std::span<const Value>) {
        const SwfMovie* movie = movieOf(m, infoSelf(m, self));
        if (!movie) return Value::null();
        // A picture is shown as a movie of version 0.
        return movie->header.version ? Value::string("application/x-shockwave-flash") : Value::null();
    });
    m.defineAccessor(info, "parameters", [](Machine& m, const Value&, std::span<const Value>) {
        return Value::object(m.newObject());
    });
}

LoaderInfoObject* newLoaderInfo(Machine& m, ClassObject* cls) {
    auto* info = m.heap().make<LoaderInfoObject>(cls, cls ? cls->prototype : nullptr);
    if (cls) info->setTraits(cls->instanceTraits.get());
    return info;
}

LoaderInfoObject& loaderInfoOf(Machine& m, const Value& self) {
    DisplayHandle& loader = nativeSelf<DisplayHandle>(m, self);
    if (auto* info = dynamic_cast<LoaderInfoObject*>(loader.loaderInfo)) return *info;
    m.throwError("Error", 2012, "This Loader was not constructed.");
}

// The loader's child goes, and its info forgets what it loaded.
void clearContent(Machine& m, DisplayHandle& loader, LoaderInfoObject& info) {
    if (swf::DisplayObject* own = loader.display(); own && own->children())
        for (const auto& child : own->children()->snapshot()) {
            bridgeOf(m).objectLeaving(*child);
            own->children()->takeOut(child->depth());
        }
    info.content = nullptr;
    info.movie.reset();
    info.bytesLoaded = info.bytesTotal = 0;
    info.url.reset();
}

// Sends an info's event; `fields` become the event's own, printed by its toString.
void dispatchTo(Machine& m, LoaderInfoObject* info, const std::string& type, const char* className = "flash.events::Event",
                std::initializer_list<std::pair<const char*, Value>> fields = {}) {
    StageBridge& bridge = bridgeOf(m);
    bridge.runScript([&] {
        EventObject* event = bridge.newEvent(type, false, className);
        for (const auto& [name, value] : fields) event->setOwn(name, value);
        bridge.dispatch(info, event);
    });
}

// The player reports a load begun with nothing read, then all of it.
void reportProgress(Machine& m, LoaderInfoObject& info, size_t loaded, size_t total) {
    info.bytesTotal = total;
    for (size_t now : {size_t{0}, loaded}) {
        info.bytesLoaded = now;
        dispatchTo(m, &info, "progress", "flash.events::ProgressEvent",
                   {{"bytesLoaded", Value::number(static_cast<double>(now))},
                    {"bytesTotal", Value::number(static_cast<double>(total))}});
    }
}

// True for the start of a movie or of a JPEG, PNG or GIF picture.
bool knownContent(std::span<const uint8_t> data) {
    auto starts = [&](std::string_view magic) {
        return data.size() >= magic.size() && std::equal(magic.begin(), magic.end(), data.begin(),
                                                         [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
    };
    return starts("FWS") || starts("CWS") || starts("ZWS") || starts("\xFF\xD8") || starts("\x89PNG") || starts("GIF");
}

// Starts a load into a fresh clip that becomes the loader's child once the movie is there;
// `request` hands it to the content loader.
void startLoad(Machine& m, const Value& self, std::optional<std::string> url,
               const std::function<void(ContentRequests&, const LoadTarget&, MovieLoadEvents)>& request) {
    StageBridge& bridge = bridgeOf(m);
    ContentRequests* loader = bridge.context().loader();
    DisplayHandle& handle = nativeSelf<DisplayHandle>(m, self);
    LoaderInfoObject* info = &loaderInfoOf(m, self);
    clearContent(m, handle, *info);
    ClassObject* clipClass = bridge.displayClass("flash.display::MovieClip");
    auto* content = dynamic_cast<DisplayHandle*>(bridge.allocate(clipClass));
    if (!content || !content->clip()) return;
    info->content = content;
    if (!loader) return;
    bridge.keepWhileLoading(info);
    LoadTarget target;
    target.clip = std::static_pointer_cast<swf::MovieClip>(content->clip()->shared_from_this());
    target.evenOffStage = true;
    MovieLoadEvents events;
    events.unknownContentFails = true;
    Machine* machine = &m;
    auto current = [info, content] { return info->content == content; };
    if (url)
        events.start = [machine, info, current](swf::MovieClip&) {
            if (current()) dispatchTo(*machine, info, "open");
        };
    events.progress = [machine, info, current](swf::MovieClip&, size_t loaded, size_t total) {
        if (current()) reportProgress(*machine, *info, loaded, total);
    };
    events.complete = [machine, info, current, url](swf::MovieClip& clip, size_t) {
        bridgeOf(*machine).doneLoading(info);
        if (!current() || !info->loader || !info->loader->display()) return;
        info->movie = clip.loadedMovie();
        info->url = url.value_or("file:///");
        // An ActionScript 1 movie shows to scripts as an AVM1Movie, not a MovieClip.
        if (info->movie && !info->movie->actionScript3 && info->content) {
            ClassObject* avm1 = bridgeOf(*machine).displayClass("flash.display::AVM1Movie");
            info->content->setClassObject(avm1);
            info->content->setProto(avm1->prototype);
            info->content->setTraits(avm1->instanceTraits.get());
        }
        swf::DisplayObject& own = *info->loader->display();
        own.children()->restack({clip.shared_from_this()});
        dispatchTo(*machine, info, "init");
        dispatchTo(*machine, info, "complete");
    };
    events.error = [machine, info, current, url](swf::MovieClip*, const std::string& code) {
        bridgeOf(*machine).doneLoading(info);
        if (!current()) return;
        info->content = nullptr;
        std::string text = code == "URLNotFound" ? "Error #2035: URL Not Found." : kUnknownType;
        if (url) text += " URL: " + *url;
        dispatchTo(*machine, info, "ioError", "flash.events::IOErrorEvent", {{"text", Value::string(text)}});
    };
    info->url = url;
    request(*loader, target, std::move(events));
}

void installLoaderMethods(Machine& m, ClassObject* loader, ClassObject* infoClass) {
    loader->nativeInitializer = [infoClass](Machine& m, const Value& self, std::span<const Value>) {
        DisplayHandle& handle = nativeSelf<DisplayHandle>(m, self);
        LoaderInfoObject* info = newLoaderInfo(m, infoClass);
        info->loader = &handle;
        handle.loaderInfo = info;
        return Value();
    };
    m.defineAccessor(loader, "contentLoaderInfo", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::object(&loaderInfoOf(m, self));
    });
    m.defineAccessor(loader, "content", [](Machine& m, const Value& self, std::span<const Value>) {
        LoaderInfoObject& info = loaderInfoOf(m, self);
        return info.content && info.movie ? Value::object(info.content) : Value::null();
    });
    defineNativeMethod(m, loader, "load", [](Machine& m, const Value& self, std::span<const Value> args) {
        Object* request = argAt(args, 0).asObject();
        if (!request) m.throwError("TypeError", 2007, "Parameter request must be non-null.");
        Value* url = request->findOwn("url");
        std::string text = url ? m.toString(*url) : "";
        startLoad(m, self, text, [text](ContentRequests& c, const LoadTarget& t, MovieLoadEvents e) {
            c.loadMovie(t, text, std::move(e));
        });
        return Value();
    }, 1);
    defineNativeMethod(m, loader, "loadBytes", [](Machine& m, const Value& self, std::span<const Value> args) {
        auto* bytes = dynamic_cast<ByteArrayObject*>(argAt(args, 0).asObject());
        if (!bytes) m.throwError("TypeError", 2007, "Parameter bytes must be non-null.");
        std::vector<uint8_t> data = bytes->bytes;
        // Bytes in hand are reported read at once, and refused at once when they are no
        // movie or picture; the content itself arrives as a file's does.
        startLoad(m, self, std::nullopt, [&](ContentRequests& c, const LoadTarget& t, MovieLoadEvents e) {
            LoaderInfoObject& info = loaderInfoOf(m, self);
            reportProgress(m, info, data.size(), data.size());
            if (!knownContent(data)) {
                bridgeOf(m).doneLoading(&info);
                info.content = nullptr;
                dispatchTo(m, &info, "ioError", "flash.events::IOErrorEvent",
                           {{"text", Value::string(kUnknownType)}});
                return;
            }
            e.progress = nullptr;
            c.loadMovieData(t, std::move(data), std::move(e));
        });
        return Value();
    }, 1);
    defineNativeMethod(m, loader, "unload", [](Machine& m, const Value& self, std::span<const Value>) {
        LoaderInfoObject& info = loaderInfoOf(m, self);
        bool had = info.movie != nullptr;
        clearContent(m, nativeSelf<DisplayHandle>(m, self), info);
        if (had) dispatchTo(m, &info, "unload");
        return Value();
    });
}

void installUrlRequest(Machine& m) {
    ClassObject* request = m.defineClass("flash.net", "URLRequest", m.builtins().object);
    request->nativeInitializer = [](Machine& m, const Value& self, std::span<const Value> args) {
        if (Object* o = self.asObject()) o->setOwn("url", args.empty() || args[0].isNull() ? Value::null() : Value::string(m.toString(args[0])));
        return Value();
    };
}

// LoaderContext(checkPolicyFile, applicationDomain, securityDomain): what a load is asked
// for. Every load here shares the movie's domain, so its fields are only kept.
void installLoaderContext(Machine& m) {
    ClassObject* context = m.defineClass("flash.system", "LoaderContext", m.builtins().object);
    context->nativeInitializer = [](Machine&, const Value& self, std::span<const Value> args) {
        Object* o = self.asObject();
        if (!o) return Value();
        o->setOwn("checkPolicyFile", Value::boolean(Machine::toBoolean(argAt(args, 0))));
        o->setOwn("applicationDomain", args.size() > 1 ? args[1] : Value::null());
        o->setOwn("securityDomain", args.size() > 2 ? args[2] : Value::null());
        return Value();
    };
}

}  // namespace

Object* newMainLoaderInfo(Machine& m) {
    return newLoaderInfo(m, bridgeOf(m).displayClass("flash.display::LoaderInfo"));
}

void installLoaderClasses(Machine& m, ClassObject* container) {
    ClassObject* dispatcher = m.findClass("flash.events::EventDispatcher");
    ClassObject* info = m.defineClass("flash.display", "LoaderInfo", dispatcher);
    installLoaderInfoAccessors(m, info);
    ClassObject* loader = m.defineClass("flash.display", "Loader", container);
    installLoaderMethods(m, loader, info);
    ClassObject* ioError = m.defineClass("flash.events", "IOErrorEvent", m.findClass("flash.events::Event"));
    defineConstants(m, ioError, {{"IO_ERROR", "ioError"}});
    // Their own fields follow the event's in the text.
    for (auto [cls, names] : {std::pair{m.findClass("flash.events::ProgressEvent"), std::vector<std::string>{"bytesLoaded", "bytesTotal"}},
                              std::pair{ioError, std::vector<std::string>{"text"}}})
        defineNativeMethod(m, cls, "toString", [names = names](Machine& m, const Value& self, std::span<const Value>) {
            EventObject& e = nativeSelf<EventObject>(m, self);
            std::string fields;
            for (const std::string& name : names) {
                Value* v = e.findOwn(name);
                bool quoted = name == "text";
                std::string text = v ? m.toString(*v) : (quoted ? "" : "0");
                fields += " " + name + "=" + (quoted ? "\"" + text + "\"" : text);
            }
            return Value::string(eventText(e, fields));
        });
    installUrlRequest(m);
    installLoaderContext(m);
    for (ClassObject* sealed : {info, loader}) sealed->sealed = true;
}

}  // namespace swf::avm2
