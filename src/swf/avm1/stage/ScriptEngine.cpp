#include "swf/avm1/stage/ScriptEngine.h"

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/LoadRequests.h"
#include "swf/avm1/classes/PlayerObjects.h"
#include "swf/avm1/machine/Activation.h"
#include "swf/avm1/machine/StageObject.h"
#include "swf/avm1/machine/Timers.h"
#include "swf/avm1/stage/StageClasses.h"
#include "swf/avm1/stage/TextFieldClass.h"
#include "swf/movie/ClipEvent.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/movie/ClipEvent.h"
#include "swf/movie/SwfMovie.h"

namespace swf::avm1 {
namespace {

// The event method each clip event calls, where it has one. The key events call the focused
// object's only, which the input dispatcher does.
const char* eventMethod(uint32_t event) {
    switch (event) {
        case kClipLoad: return "onLoad";
        case kClipEnterFrame: return "onEnterFrame";
        case kClipUnload: return "onUnload";
        case kClipData: return "onData";
        case kClipMouseDown: return "onMouseDown";
        case kClipMouseUp: return "onMouseUp";
        case kClipMouseMove: return "onMouseMove";
        case kClipPress: return "onPress";
        case kClipRelease: return "onRelease";
        case kClipReleaseOutside: return "onReleaseOutside";
        case kClipRollOver: return "onRollOver";
        case kClipRollOut: return "onRollOut";
        case kClipDragOver: return "onDragOver";
        case kClipDragOut: return "onDragOut";
        default: return nullptr;
    }
}

// The global object's contents, in the player's order.
void installBuiltins(Machine& machine) {
    // Object and Function first: every other class's prototype and methods hang off them.
    installObjectClass(machine);
    installFunctionClass(machine);
    installErrorClass(machine);
    installArrayClass(machine);
    installStringClass(machine);
    installNumberClass(machine);
    installBooleanClass(machine);
    installMathClass(machine);
    installDateClass(machine);
    installGlobalFunctions(machine);
    Timers::install(machine);
    installMovieClipClass(machine);
    installAsBroadcaster(machine);
    installFlashGeom(machine);
    installColorClass(machine);
    installXmlClasses(machine);
    installStageClass(machine);
    installSystemClass(machine);
    installKeyClass(machine);
    installMouseClass(machine);
    installSelectionClass(machine);
    installAccessibilityClass(machine);
    installContextMenuClass(machine);
    installContextMenuItemClass(machine);
    installPrintJobClass(machine);
    installSharedObjectClass(machine);
    installLocalConnectionClass(machine);
    installCameraClass(machine);
    installMicrophoneClass(machine);
    installExternalInterface(machine);
    installLoadVarsClass(machine);
    installMovieClipLoaderClass(machine);
    installSoundClass(machine);
    installNetConnectionClass(machine);
    installNetStreamClass(machine);
    installXmlSocketClass(machine);
    installFileReferenceClasses(machine);
    installVideoClass(machine);
    installBitmapDataClass(machine);
    installFilterClasses(machine);
    installTextFieldClass(machine);
    installTextFormatClass(machine);
    installStyleSheetClass(machine);
    installTextSnapshotClass(machine);
    installPlaceholderClasses(machine);
    installNativeTable(machine);
}

// The clip whose timeline placed `clip`: its handlers and class come from that movie.
const MovieClip& placingClip(MovieClip& clip) {
    DisplayObject* parent = clip.parent();
    MovieClip* holder = parent ? parent->asMovieClip() : nullptr;
    return holder ? *holder : clip;
}

}  // namespace

ScriptEngine::ScriptEngine(MovieContext& context)
    : context_(context),
      machine_(context, context.movie().header.version, stage_, &installBuiltins) {
    // A clip a movie was loaded into starts over as a plain clip: its variables go (its
    // _lockroot stays), and the parameters of its URL ("child.swf?a=1") are its first ones.
    context_.contentReplaced = [this](MovieClip& clip) {
        if (StageObject* stage = clip.scriptObject()) {
            std::vector<std::string> names;
            stage->ownNames(names);
            for (const std::string& name : names) stage->deleteOwn(name);
            stage->setProto(machine_.prototypes().movieClip);
        }
        const std::string& url = clip.url();
        size_t query = url.find('?');
        if (query == std::string::npos) return;
        StageObject* stage = machine_.stageObject(clip);
        Activation::runGuarded(machine_, [&] {
            decodeVariables(machine_, stage, std::string_view(url).substr(query + 1));
        });
    };
}

ScriptEngine::~ScriptEngine() {
    context_.contentReplaced = nullptr;
}

ActionBlock ScriptEngine::blockOf(std::span<const uint8_t> code) const {
    return ActionBlock{context_.moviePointer(), code, context_.movie().header.version};
}

ActionBlock ScriptEngine::blockOf(std::span<const uint8_t> code, const MovieClip& clip) const {
    std::shared_ptr<const SwfMovie> movie = clip.ownerMovie();
    return ActionBlock{movie, code, movie->header.version};
}

void ScriptEngine::runFrameActions(std::span<const uint8_t> code, MovieClip& clip) {
    if (clip.ownerMovie()->actionScript3) return;
    machine_.runActions(blockOf(code, clip), clip);
}

void ScriptEngine::runInitActions(std::span<const uint8_t> code, MovieClip& root) {
    if (root.ownerMovie()->actionScript3) return;
    machine_.runActions(blockOf(code, root), root);
}

void ScriptEngine::runButtonActions(const std::vector<uint8_t>& code, DisplayObject& timeline) {
    // A button inside a button runs its actions there, with the movie of the clip holding both.
    if (MovieClip* clip = timeline.nearestClip())
        machine_.runActions(blockOf(code, *clip), timeline);
}

void ScriptEngine::broadcast(const char* objectName, const char* message,
                             std::initializer_list<Value> args) {
    for (Object* target : machine_.playerObjects(objectName)) {
        machine_.startActionList();
        Activation::runGuarded(machine_,
                               [&] { player::broadcast(machine_, target, message, args); });
    }
}

void ScriptEngine::runClipEvent(DisplayObject& object, uint32_t event) {
    if (event == kClipConstruct) return construct(object);
    // Only the unload event reaches an object that has left the stage.
    if (event != kClipUnload && !object.onStage()) return;
    if (event == kClipInitialize) takeRegisteredClass(object);
    runHandlers(object, event);
    const char* method = eventMethod(event);
    if (!method) return;
    if (!object.scriptObject() && event != kClipLoad) return;
    machine_.startActionList();
    machine_.callEventMethod(object, method);
}

bool ScriptEngine::hasUnloadHandler(DisplayObject& object) {
    if (const auto* handlers = object.clipActions())
        for (const ClipActionRecord& record : *handlers)
            if (record.events & kClipUnload) return true;
    // Looked up without running getters: the answer must not have effects.
    Object* o = object.scriptObject();
    for (int depth = 0; o && depth < Machine::kMaxPrototypeChain; ++depth, o = o->proto())
        if (Property* p = o->findOwn("onUnload")) return p->isVirtual() || p->value.isObject();
    return false;
}

void ScriptEngine::runHandlers(DisplayObject& object, uint32_t event) {
    const auto* handlers = object.clipActions();
    MovieClip* clip = object.asMovieClip();
    if (!handlers || !clip) return;
    for (const ClipActionRecord& record : *handlers)
        if (record.events & event)
            machine_.runActions(blockOf(record.code, placingClip(*clip)), *clip);
}

Function* ScriptEngine::registeredClassOf(DisplayObject& object) {
    if (!object.asMovieClip() || !object.character()) return nullptr;
    std::shared_ptr<const SwfMovie> movie = placingClip(*object.asMovieClip()).ownerMovie();
    for (const auto& [name, id] : movie->exports)
        if (id == object.characterId())
            if (Object* ctor = machine_.registeredClass(name, movie->header.version))
                return ctor->asFunction();
    return nullptr;
}

void ScriptEngine::objectPlaced(DisplayObject& object) {
    // Text fields show their variables' values (or give them their text) from the start.
    if (object.isEditText()) textFieldPlaced(machine_, object);
    // Clips are reachable from scripts; a clip of a registered class gets its prototype now.
    if (object.name().empty() && !object.asMovieClip()) return;
    StageObject* stage = machine_.stageObject(object);
    stage->setPath(machine_.targetPath(object));
    if (Function* ctor = registeredClassOf(object)) {
        Object* prototype = machine_.get(Value(ctor), "prototype").asObject();
        if (prototype) stage->setProto(prototype);
    }
}

Function* ScriptEngine::takeRegisteredClass(DisplayObject& object) {
    // The init actions may have registered the class after the clip was placed.
    Function* ctor = registeredClassOf(object);
    if (!ctor) return nullptr;
    Object* prototype = machine_.get(Value(ctor), "prototype").asObject();
    if (prototype) machine_.stageObject(object)->setProto(prototype);
    return ctor;
}

void ScriptEngine::construct(DisplayObject& object) {
    if (!object.asMovieClip()) return;
    Function* ctor = takeRegisteredClass(object);
    runHandlers(object, kClipConstruct);
    if (!ctor) {
        // A clip of no class of its own calls its onConstruct, if its prototypes have one.
        if (object.removed()) return;
        machine_.startActionList();
        machine_.callEventMethod(object, "onConstruct");
        return;
    }
    if (object.removed()) return;
    // The load event, queued as the clip was placed, keeps its turn when the placement carries
    // clip event handlers; else it goes behind what is queued by now.
    const auto* handlers = object.clipActions();
    if (!handlers || handlers->empty()) context_.requeueLoad(object);
    StageObject* stage = machine_.stageObject(object);
    stage->defineOwn("__constructor__", Property{Value(ctor), nullptr, nullptr, kDontEnum});
    // Up to SWF 6 the clip gets a constructor of its own as well.
    if (placingClip(*object.asMovieClip()).ownerMovie()->header.version <= 6)
        stage->defineOwn("constructor", Property{Value(ctor), nullptr, nullptr, kDontEnum});
    machine_.startActionList();
    Activation::runGuarded(machine_, [&] { machine_.call(Value(ctor), stage, {}); });
}

void ScriptEngine::runDueTimers(const std::function<void()>& afterEach) {
    Timers::runDue(machine_, afterEach);
}

void ScriptEngine::updateBoundText() {
    updateBoundTextFields(machine_);
}

}  // namespace swf::avm1
