#include "swf/avm2/StageBridge.h"

#include <algorithm>
#include <unordered_map>

#include "swf/avm2/Machine.h"
#include "swf/display/ButtonInstance.h"
#include "swf/display/DisplayList.h"
#include "swf/display/DisplayObjectFactory.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/display/ShapeInstance.h"
#include "swf/display/MorphShapeInstance.h"

namespace swf::avm2 {

namespace {

// "a.b.C" as SymbolClass names a class, "a.b::C" as the machine does.
std::string qualifiedClassName(const std::string& symbolName) {
    size_t dot = symbolName.rfind('.');
    if (dot == std::string::npos) return symbolName;
    return symbolName.substr(0, dot) + "::" + symbolName.substr(dot + 1);
}

// Listeners a dispatcher may hold, against scripts that add without end.
constexpr size_t kMaxListeners = 10000;

}  // namespace

StageBridge::StageBridge(Machine& machine, MovieContext& context)
    : machine_(machine), context_(context), roots_(machine.heap(), *this) {}

StageBridge::~StageBridge() = default;

ClassObject* StageBridge::displayClass(const char* name) {
    ClassObject* found = nullptr;
    std::string qualified = name;
    size_t colon = qualified.rfind("::");
    std::string package = colon == std::string::npos ? std::string() : qualified.substr(0, colon);
    std::string local = colon == std::string::npos ? qualified : qualified.substr(colon + 2);
    Name lookup = Name::qualified(machine_.namespaces().intern(Ns::Group::Public, package), local);
    try {
        Value holder = machine_.findProperty({}, {}, lookup, false);
        if (machine_.hasProperty(holder, lookup))
            if (Object* o = machine_.getProperty(holder, lookup).asObject()) found = o->asClass();
    } catch (const ScriptThrow&) {
    }
    return found;
}

swf::DisplayObject* StageBridge::focus() {
    std::shared_ptr<swf::DisplayObject> object = focus_.lock();
    if (object && (object->removed() || !object->onStage())) focus_.reset();
    return focus_.expired() ? nullptr : object.get();
}

void StageBridge::setFocus(swf::DisplayObject* object) {
    swf::DisplayObject* current = focus();
    if (current == object) return;
    std::shared_ptr<swf::DisplayObject> old = current ? current->shared_from_this() : nullptr;
    std::shared_ptr<swf::DisplayObject> next = object ? object->shared_from_this() : nullptr;
    focus_ = next;
    // The focus has moved already when they hear it.
    if (old) sendFocusEvent(old.get(), "focusOut", next.get(), false);
    if (next) sendFocusEvent(next.get(), "focusIn", old.get(), false);
}

void StageBridge::requestFocus(const char* type, swf::DisplayObject* next, swf::DisplayObject* related,
                               uint32_t keyCode, bool shiftKey) {
    std::shared_ptr<swf::DisplayObject> keep = next ? next->shared_from_this() : nullptr;
    if (sendFocusEvent(focus(), type, related, true, keyCode, shiftKey) && (!next || next->onStage())) setFocus(next);
}

bool StageBridge::sendFocusEvent(swf::DisplayObject* target, const char* type, swf::DisplayObject* related,
                                 bool cancelable, uint32_t keyCode, bool shiftKey) {
    bool allowed = true;
    runScript([&] {
        Object* script = target ? handleOf(*target) : stage();
        if (!script) return;
        EventObject* event = newEvent(type, true, "flash.events::FocusEvent");
        event->cancelable = cancelable;
        event->relatedObject = related ? handleOf(*related) : nullptr;
        event->keyCode = keyCode;
        event->shiftKey = shiftKey;
        allowed = dispatch(script, event);
    });
    return allowed;
}

uint16_t StageBridge::symbolBoundTo(const ClassObject& cls) const {
    for (const auto& [symbol, name] : context_.movie().symbolClasses)
        if (symbol != 0 && qualifiedClassName(name) == cls.name) return symbol;
    return 0;
}

ClassObject* StageBridge::classFor(const swf::DisplayObject& object) {
    int id = &object == static_cast<const swf::DisplayObject*>(context_.root()) ? 0 : object.characterId();
    if (id >= 0)
        for (const auto& [symbol, name] : context_.movie().symbolClasses)
            if (symbol == id)
                if (ClassObject* bound = displayClass(qualifiedClassName(name).c_str())) {
                    // The player links only a Sprite to the root; the root stays a MovieClip.
                    ClassObject* sprite = id == 0 ? displayClass("flash.display::Sprite") : nullptr;
                    if (!sprite || bound->isSubclassOf(sprite)) return bound;
                    if (!std::exchange(rootLinkRefused_, true))
                        machine_.trace("TypeError: Error #2023: Class " + machine_.describeForError(Value::object(bound)) +
                                       " must inherit from Sprite to link to the root.");
                }
    auto& any = const_cast<swf::DisplayObject&>(object);
    if (MovieClip* clip = any.asMovieClip())
        return displayClass(clip->ownerMovie()->actionScript3 ? "flash.display::MovieClip" : "flash.display::AVM1Movie");
    if (any.isButton()) return displayClass("flash.display::SimpleButton");
    if (dynamic_cast<const ShapeInstance*>(&object) || dynamic_cast<const MorphShapeInstance*>(&object))
        return displayClass("flash.display::Shape");
    if (any.isEditText()) return displayClass("flash.text::TextField");
    return displayClass("flash.display::DisplayObject");
}

DisplayHandle* StageBridge::handleOf(swf::DisplayObject& object) {
    if (!object.as3Object()) construct(object);
    return dynamic_cast<DisplayHandle*>(object.as3Object());
}

Value StageBridge::valueOf(swf::DisplayObject* object) {
    if (!object) return Value::null();
    return Value::object(handleOf(*object));
}

DisplayHandle* StageBridge::stage() {
    if (!stage_) {
        ClassObject* cls = displayClass("flash.display::Stage");
        stage_ = machine_.heap().make<DisplayHandle>(cls, cls ? cls->prototype : nullptr);
        if (cls) stage_->setTraits(cls->instanceTraits.get());
        stage_->setDynamic(false);
        stage_->constructed = true;
    }
    return stage_;
}

Value StageBridge::parentOf(const DisplayHandle& handle) {
    swf::DisplayObject* object = handle.display();
    if (!object) return Value::null();
    if (object == context_.root()) return Value::object(stage());
    return valueOf(object->parent());
}

void StageBridge::construct(swf::DisplayObject& object) {
    if (auto* existing = dynamic_cast<DisplayHandle*>(object.as3Object()); existing && existing->constructed)
        return;
    ClassObject* cls = classFor(object);
    if (!cls) return;
    std::shared_ptr<swf::DisplayObject> previous = std::exchange(adopting_, object.shared_from_this());
    struct Restore {
        std::shared_ptr<swf::DisplayObject>& slot;
        std::shared_ptr<swf::DisplayObject> previous;
        ~Restore() { slot = std::move(previous); }
    } restore{adopting_, std::move(previous)};
    machine_.construct(Value::object(cls), {});
}

Object* StageBridge::allocate(ClassObject* cls, const std::function<std::shared_ptr<swf::DisplayObject>()>& make) {
    std::shared_ptr<swf::DisplayObject> object = std::exchange(adopting_, nullptr);
    if (object && object->as3Object()) {
        // Asked for while its constructor runs: the object made for it is the one.
        return object->as3Object();
    }
    if (!object) {
        if (uint16_t symbol = symbolBoundTo(*cls)) object = DisplayObjectFactory::create(context_, context_.dictionary(), symbol, 0);
        if (!object && make) {
            if (!context_.hasRoomForObject()) throw ScriptLimitError("Error #1000: The system is out of memory.");
            object = make();
        }
        if (!object) {
            if (!context_.hasRoomForObject()) throw ScriptLimitError("Error #1000: The system is out of memory.");
            auto clip = std::make_shared<swf::MovieClip>(context_, nullptr, std::make_shared<Timeline>(), 0);
            context_.registerClip(clip);
            object = clip;
        }
        if (!object) throw ScriptLimitError("Error #1000: The system is out of memory.");
        object->setMadeByScript();
        object->takeDefaultName();
        if (swf::MovieClip* clip = object->asMovieClip()) clip->enterFirstFrame();
    }
    auto* handle = machine_.heap().make<DisplayHandle>(cls, cls->prototype);
    handle->hold(std::move(object));
    queueFrameScripts();
    return handle;
}

void StageBridge::initialize(DisplayHandle& handle) {
    handle.constructed = true;
    if (swf::DisplayObject* object = handle.display()) constructChildren(*object);
}

void StageBridge::constructChildren(swf::DisplayObject& container) {
    DisplayList* children = container.children();
    if (!children) return;
    for (const auto& child : children->snapshot()) {
        if (!child->placedByTimeline() || child->as3Object()) continue;
        construct(*child);
        Object* script = child->as3Object();
        if (!script) continue;
        if (!child->name().empty()) assignNamed(*child, Value::object(script));
        dispatch(script, newEvent("added", true));
        if (child->onStage()) dispatch(script, newEvent("addedToStage"));
    }
}

void StageBridge::assignNamed(swf::DisplayObject& child, const Value& value) {
    swf::DisplayObject* parent = child.parent();
    Object* owner = parent ? parent->as3Object() : nullptr;
    if (!owner) return;
    Name name = Name::qualified(machine_.namespaces().publicNs(), child.name());
    Value target = Value::object(owner);
    if (owner->isDynamic() || machine_.hasProperty(target, name)) machine_.setProperty(target, name, value);
}

EventObject* StageBridge::newEvent(const std::string& type, bool bubbles, const std::string& className) {
    ClassObject* cls = displayClass(className.c_str());
    if (!cls) cls = displayClass("flash.events::Event");
    auto* event = machine_.heap().make<EventObject>(cls, cls ? cls->prototype : nullptr);
    if (cls) event->setTraits(cls->instanceTraits.get());
    event->setDynamic(false);
    event->type = type;
    event->bubbles = bubbles;
    return event;
}

void StageBridge::callListeners(DispatcherObject& object, EventObject& event, bool capture) {
    event.currentTarget = &object;
    // Listeners added while the event is here wait for the next one; removed ones still run.
    std::vector<DispatcherObject::Listener> now = object.listeners;
    for (const auto& listener : now) {
        if (listener.type != event.type || listener.capture != capture) continue;
        Value argument = Value::object(&event);
        machine_.call(listener.function, Value::null(), std::span<const Value>(&argument, 1));
        if (event.stoppedNow) return;
    }
}

bool StageBridge::dispatch(Object* target, EventObject* event) {
    event->target = target;
    event->stopped = event->stoppedNow = false;
    std::vector<DispatcherObject*> ancestors;  // nearest first
    if (auto* handle = dynamic_cast<DisplayHandle*>(target)) {
        Value parent = parentOf(*handle);
        for (size_t guard = 0; guard < 1024; ++guard) {
            auto* up = dynamic_cast<DisplayHandle*>(parent.asObject());
            if (!up) break;
            ancestors.push_back(up);
            parent = parentOf(*up);
        }
    }
    event->phase = 1;
    for (auto it = ancestors.rbegin(); it != ancestors.rend() && !event->stopped; ++it)
        callListeners(**it, *event, true);
    if (auto* dispatcher = dynamic_cast<DispatcherObject*>(target); dispatcher && !event->stopped) {
        event->phase = 2;
        callListeners(*dispatcher, *event, false);
    }
    if (event->bubbles) {
        event->phase = 3;
        for (DispatcherObject* up : ancestors) {
            if (event->stopped) break;
            callListeners(*up, *event, false);
        }
    }
    event->currentTarget = nullptr;
    event->phase = 0;
    return !event->defaultPrevented;
}

void StageBridge::listenersChanged(DispatcherObject& dispatcher) {
    if (dispatcher.listeners.size() > kMaxListeners)
        throw ScriptLimitError("Error #1000: The system is out of memory.");
    bool broadcasts = dispatcher.listensTo("enterFrame") || dispatcher.listensTo("exitFrame") ||
                      dispatcher.listensTo("frameConstructed") || dispatcher.listensTo("activate") ||
                      dispatcher.listensTo("render");
    auto it = std::find(broadcastListeners_.begin(), broadcastListeners_.end(), &dispatcher);
    if (broadcasts && it == broadcastListeners_.end()) broadcastListeners_.push_back(&dispatcher);
    if (!broadcasts && it != broadcastListeners_.end()) broadcastListeners_.erase(it);
}

void StageBridge::broadcast(const std::string& type) {
    std::vector<DispatcherObject*> listening;
    for (DispatcherObject* d : broadcastListeners_)
        if (d->listensTo(type)) listening.push_back(d);
    for (DispatcherObject* d : listening) {
        // Each object hears it with its own bound: one that throws does not stop the others.
        runScript([&] {
            EventObject* event = newEvent(type);
            event->target = d;
            event->phase = 2;
            callListeners(*d, *event, false);
        });
    }
}

void StageBridge::frameEntered(swf::MovieClip& clip, int frame) {
    auto* handle = dynamic_cast<DisplayHandle*>(clip.as3Object());
    // A clip whose class has not run yet may still add its frame scripts.
    if (handle && handle->constructed && !handle->frameScripts.count(frame)) return;
    if (framesReached_.size() >= MovieContext::kMaxObjects) return;
    framesReached_.push_back({clip.weak_from_this(), frame});
}

namespace {

void numberTree(swf::DisplayObject& object, std::unordered_map<const swf::DisplayObject*, size_t>& order, int depth) {
    order.emplace(&object, order.size());
    DisplayList* children = object.children();
    if (!children || depth > MovieContext::kMaxNesting * 4) return;
    for (const auto& [at, child] : children->objects()) numberTree(*child, order, depth + 1);
}

}  // namespace

void StageBridge::sortInTree(std::vector<FrameReached>& reached) {
    std::unordered_map<const swf::DisplayObject*, size_t> order;
    if (swf::MovieClip* root = context_.root()) numberTree(*root, order, 0);
    auto rank = [&](const FrameReached& r) {
        auto object = r.clip.lock();
        auto it = order.find(object.get());
        return it == order.end() ? order.size() : it->second;
    };
    std::stable_sort(reached.begin(), reached.end(),
                     [&](const FrameReached& a, const FrameReached& b) { return rank(a) < rank(b); });
}

void StageBridge::queueFrameScripts() {
    if (framesReached_.empty()) return;
    std::vector<FrameReached> reached;
    reached.swap(framesReached_);
    sortInTree(reached);
    std::erase_if(pendingScripts_, [](const FrameReached& p) { return p.clip.expired(); });
    for (const FrameReached& r : reached) {
        if (pendingScripts_.size() >= MovieContext::kMaxObjects) break;
        pendingScripts_.push_back(r);
        context_.queueCallback([this, r] { runPendingScript(r); });
    }
}

void StageBridge::runPendingScript(const FrameReached& reached) {
    auto object = reached.clip.lock();
    auto it = std::find_if(pendingScripts_.begin(), pendingScripts_.end(), [&](const FrameReached& p) {
        return p.frame == reached.frame && p.clip.lock() == object;
    });
    // A goto's frame may have run it already.
    if (it == pendingScripts_.end()) return;
    pendingScripts_.erase(it);
    if (swf::MovieClip* target = object ? object->asMovieClip() : nullptr) runFrameScript(*target, reached.frame);
}

bool StageBridge::runningFrameScript(const swf::DisplayObject* clip) const {
    return std::find(framesScripting_.begin(), framesScripting_.end(), clip) != framesScripting_.end();
}

void StageBridge::gotoFrame(swf::MovieClip& clip, int frame) {
    if (runningFrameScript(&clip)) {
        auto it = std::find_if(queuedGotos_.begin(), queuedGotos_.end(),
                               [&](const FrameReached& g) { return g.clip.lock().get() == &clip; });
        if (it != queuedGotos_.end())
            it->frame = frame;
        else if (queuedGotos_.size() < MovieContext::kMaxObjects)
            queuedGotos_.push_back({clip.weak_from_this(), frame});
        return;
    }
    clip.gotoFrame(frame);
    runGotoFrame(clip);
}

void StageBridge::runGotoFrame(swf::MovieClip& clip) {
    constructChildren(clip);
    queueFrameScripts();
    // Movies of version 9 wait for the frame's scripts in the queue, without the events.
    if (context_.movie().header.version < 10) return;
    broadcast("frameConstructed");
    // Every frame script waiting now runs, in the display list's order, but that of a clip
    // whose frame script is running.
    std::vector<FrameReached> waiting = pendingScripts_;
    sortInTree(waiting);
    for (const FrameReached& r : waiting) {
        if (!runningFrameScript(r.clip.lock().get())) runPendingScript(r);
    }
    broadcast("exitFrame");
}

void StageBridge::runFrameScript(swf::MovieClip& clip, int frame) {
    auto* handle = dynamic_cast<DisplayHandle*>(clip.as3Object());
    if (!handle || clip.currentFrame() != frame) return;
    auto it = handle->frameScripts.find(frame);
    if (it == handle->frameScripts.end()) return;
    Value script = it->second;
    struct Leave {
        std::vector<const swf::DisplayObject*>& running;
        ~Leave() { running.pop_back(); }
    };
    framesScripting_.push_back(&clip);
    try {
        Leave leave{framesScripting_};
        runScript([&] { machine_.call(script, Value::object(handle), {}); });
    } catch (const ScriptThrow&) {
        // The error ends the script; what it asked for before still happens.
        runQueuedGoto(clip);
        throw;
    }
    runQueuedGoto(clip);
}

void StageBridge::runQueuedGoto(swf::MovieClip& clip) {
    if (runningFrameScript(&clip)) return;
    auto queued = std::find_if(queuedGotos_.begin(), queuedGotos_.end(),
                               [&](const FrameReached& g) { return g.clip.lock().get() == &clip; });
    if (queued == queuedGotos_.end()) return;
    int target = queued->frame;
    queuedGotos_.erase(queued);
    runScript([&] { gotoFrame(clip, target); });
}

double StageBridge::movieTime() const {
    return static_cast<double>(context_.tick()) * context_.movie().header.frameIntervalMs();
}

void StageBridge::startTimer(TimerObject& timer) {
    if (timer.running) return;
    timer.running = true;
    timer.dueAt = movieTime() + std::max(timer.delay, 0.0);
    if (std::find(timers_.begin(), timers_.end(), &timer) == timers_.end()) timers_.push_back(&timer);
}

uint32_t StageBridge::startCallback(TimerObject& timer) {
    timer.id = ++lastCallbackId_;
    startTimer(timer);
    return timer.id;
}

void StageBridge::stopCallback(uint32_t id) {
    for (TimerObject* t : timers_)
        if (t->id == id && id != 0) t->running = false;
}

bool StageBridge::timersPending() const {
    return std::any_of(timers_.begin(), timers_.end(), [](const TimerObject* t) { return t->running; });
}

void StageBridge::runDueTimers() {
    double now = movieTime();
    std::vector<TimerObject*> due;
    for (TimerObject* t : timers_)
        if (t->running && t->dueAt <= now) due.push_back(t);
    for (TimerObject* t : due) {
        if (!t->running) continue;
        // At most once a frame, as the player's timers fire between frames.
        ++t->currentCount;
        t->dueAt = std::max(t->dueAt + std::max(t->delay, 1.0), now);
        bool last = t->repeatCount > 0 && t->currentCount >= t->repeatCount;
        if (last) t->running = false;
        if (t->callback.isObject()) {
            runScript([&] { machine_.call(t->callback, Value::null(), t->arguments); });
            continue;
        }
        runScript([&] { dispatch(t, newEvent("timer", false, "flash.events::TimerEvent")); });
        if (last)
            runScript([&] { dispatch(t, newEvent("timerComplete", false, "flash.events::TimerEvent")); });
    }
    std::erase_if(timers_, [](const TimerObject* t) { return !t->running; });
}

void StageBridge::finishLoading() {
    if (loadingFinished_) return;
    loadingFinished_ = true;
    swf::MovieClip* root = context_.root();
    auto* handle = root ? dynamic_cast<DisplayHandle*>(root->as3Object()) : nullptr;
    if (!handle || !handle->loaderInfo) return;
    Object* info = handle->loaderInfo;
    for (const char* type : {"progress", "init", "complete"})
        runScript([&] {
            dispatch(info, newEvent(type, false, type[0] == 'p' ? "flash.events::ProgressEvent" : "flash.events::Event"));
        });
}

void StageBridge::runScript(const std::function<void()>& body) {
    // Inside a script (a goto removing objects with listeners) what it runs is part of it.
    if (scriptsRunning_ > 0) return body();
    ++scriptsRunning_;
    machine_.runGuarded(body);
    --scriptsRunning_;
}

void StageBridge::objectLeaving(swf::DisplayObject& object) {
    Object* script = object.as3Object();
    if (!script) return;
    runScript([&] {
        dispatch(script, newEvent("removed", true));
        if (object.onStage()) announceStage(object, "removedFromStage", 0);
    });
}

void StageBridge::announceStage(swf::DisplayObject& object, const char* type, int depth) {
    if (Object* script = object.as3Object()) dispatch(script, newEvent(type));
    DisplayList* children = object.children();
    if (!children || depth > MovieContext::kMaxNesting * 4) return;
    for (const auto& child : children->snapshot()) announceStage(*child, type, depth + 1);
}

void StageBridge::markRoots(Marker& marker) const {
    marker.mark(stage_);
    if (swf::MovieClip* root = context_.root()) marker.mark(root->as3Object());
    for (DispatcherObject* d : broadcastListeners_) marker.mark(d);
    for (TimerObject* t : timers_) marker.mark(t);
    for (Object* info : loading_) marker.mark(info);
}

}  // namespace swf::avm2
