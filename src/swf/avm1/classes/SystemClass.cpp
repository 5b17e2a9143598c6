// System: the player's description of itself. This engine is a standalone player on Linux
// that draws into a video frame: no network, no camera or microphone, no printer, no IME,
// sound but no video decoding; a movie from a file is in the local file sandbox.

#include <string>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/PlayerObjects.h"
#include "swf/avm1/classes/UrlEscape.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/format/LetterCase.h"
#include "swf/display/MovieContext.h"
#include "swf/format/LetterCase.h"
#include "swf/movie/SwfMovie.h"

namespace swf::avm1 {
namespace {

using player::defineValue;

// System.capabilities.version: the player release whose behaviour this engine follows.
constexpr const char* kVersion = "LNX 32,0,0,0";

void installCapabilities(Machine& m, Object* system) {
    Object* caps = m.newObject();
    defineValue(system, "capabilities", Value(caps), 0);
    const SwfHeader& header = m.context().movie().header;
    // The screen this player shows the movie on is the video frame.
    const int width = header.widthPixels();
    const int height = header.heightPixels();
    struct Entry {
        const char* name;
        Value value;
        const char* code;  // its key in serverString, or null
    };
    const Entry entries[] = {
        {"hasAccessibility", Value(false), "ACC"},
        {"pixelAspectRatio", Value(1), "AR"},
        {"screenColor", Value("color"), "COL"},
        {"screenDPI", Value(72), "DP"},
        {"screenResolutionY", Value(height), nullptr},
        {"screenResolutionX", Value(width), nullptr},
        {"hasTLS", Value(false), "TLS"},
        {"hasVideoEncoder", Value(false), "VE"},
        {"hasAudioEncoder", Value(false), "AE"},
        {"hasMP3", Value(true), "MP3"},
        {"hasAudio", Value(true), "A"},
        {"serverString", Value(), nullptr},
        {"version", Value(kVersion), "V"},
        {"hasStreamingAudio", Value(true), "SA"},
        {"hasStreamingVideo", Value(false), "SV"},
        {"hasEmbeddedVideo", Value(false), "EV"},
        {"hasPrinting", Value(false), "PR"},
        {"hasScreenPlayback", Value(false), "SP"},
        {"hasScreenBroadcast", Value(false), "SB"},
        {"isDebugger", Value(false), "DEB"},
        {"playerType", Value("StandAlone"), "PT"},
        {"avHardwareDisable", Value(true), "AVD"},
        {"localFileReadDisable", Value(false), "LFD"},
        {"windowlessDisable", Value(false), "WD"},
        {"maxLevelIDC", Value(""), "ML"},
        {"isEmbeddedInAcrobat", Value(false), nullptr},
        {"manufacturer", Value("Adobe Linux"), "M"},
        {"os", Value("Linux"), "OS"},
        {"cpuArchitecture", Value("x86"), "ARCH"},
        {"cpuAddressSize", Value(64), "CAS"},
        {"language", Value("en"), "L"},
        {"hasIME", Value(false), "IME"},
        {"supports32BitProcesses", Value(false), nullptr},
        {"supports64BitProcesses", Value(true), nullptr},
    };
    // serverString: the same facts as URL variables, booleans as t and f.
    std::string server = "R=" + std::to_string(width) + "x" + std::to_string(height);
    for (const Entry& e : entries) {
        if (!e.code) continue;
        std::string text = e.value.isBool() ? (e.value.asBool() ? "t" : "f") : m.toString(e.value);
        if (std::string_view(e.code) == "AR") text = "1.0";
        server += std::string("&") + e.code + "=" + urlEscape(text);
    }
    for (const Entry& e : entries) {
        Value value = std::string_view(e.name) == "serverString" ? Value(server) : e.value;
        defineValue(caps, e.name, value, 0);
    }
}

// Nothing is fetched, so there is no domain to allow; the player still answers true to a
// call that names one.
Value allowDomain(Machine&, Object*, std::span<const Value> args) {
    return Value(!args.empty());
}

using native::method;

constexpr NativeMember kSecurity[] = {
    method("allowDomain", allowDomain, 0),
    method("allowInsecureDomain", allowDomain, 0).since(7),
    method("loadPolicyFile", native::nothing, 0),
    method("chooseLocalSwfPath", native::nothing, 0),
    method("escapeDomain", native::nothing, 0),
};

void installSecurity(Machine& m, Object* system) {
    Object* security = m.newObject();
    defineValue(system, "security", Value(security), 0);
    installMembers(m, security, kSecurity);
    const std::string& url = m.context().movieUrl();
    bool remote = startsWithIgnoringCase(url, "http:") || startsWithIgnoringCase(url, "https:");
    // A local movie marked for network use may not read local files, and the other way round.
    const char* sandbox = remote                           ? "remote"
                          : m.context().movie().useNetwork ? "localWithNetwork"
                                                           : "localWithFile";
    defineValue(security, "sandboxType", Value(sandbox), kReadOnly);
}

Value unknownConversionMode(Machine&, Object*, std::span<const Value>) {
    return Value("UNKNOWN");
}

// The conversion modes, then the methods: there is no input method, so it is off and stays
// off.
constexpr uint16_t kImeFlags = kDontEnum | kReadOnly;
constexpr NativeMember kIme[] = {
    native::text("UNKNOWN", "UNKNOWN", kImeFlags),
    native::text("KOREAN", "KOREAN", kImeFlags),
    native::text("JAPANESE_KATAKANA_HALF", "JAPANESE_KATAKANA_HALF", kImeFlags),
    native::text("JAPANESE_KATAKANA_FULL", "JAPANESE_KATAKANA_FULL", kImeFlags),
    native::text("JAPANESE_HIRAGANA", "JAPANESE_HIRAGANA", kImeFlags),
    native::text("CHINESE", "CHINESE", kImeFlags),
    native::text("ALPHANUMERIC_HALF", "ALPHANUMERIC_HALF", kImeFlags),
    native::text("ALPHANUMERIC_FULL", "ALPHANUMERIC_FULL", kImeFlags),
    method("getEnabled", native::no, kImeFlags),
    method("setEnabled", native::no, kImeFlags),
    method("getConversionMode", unknownConversionMode, kImeFlags),
    method("setConversionMode", native::no, kImeFlags),
    method("setCompositionString", native::no, kImeFlags),
    method("doConversion", native::no, kImeFlags),
};

void installIme(Machine& m, Object* system) {
    Object* ime = m.newObject();
    defineValue(system, "IME", Value(ime), 0);
    installMembers(m, ime, kIme);
    player::makeBroadcaster(m, ime, kReadOnly);
}

// No other product can be installed or started from here.
constexpr NativeMember kProductMethods[] = {
    method("isRunning", native::no),
    method("isInstalled", native::no),
    method("launch", native::no),
    method("download", native::no),
    method("validate", native::no),
    method("installedVersion", native::nothing),
};

void installProduct(Machine& m, Object* system) {
    Function* product = installClass(m, nullptr, m.newObject(),
                                     {"Product", native::nothing, nullptr, {}, {}, kProductMethods});
    defineValue(system, "Product", Value(product), 0);
}

// Both are plain switches here: text is always Unicode and settings are exact.
struct Switches {
    bool exactSettings = false;
    bool useCodepage = false;
};

template <bool Switches::*field>
Value switchOf(Machine& m, Object*, std::span<const Value>) {
    return Value(m.realmState<Switches>().*field);
}

template <bool Switches::*field>
Value setSwitch(Machine& m, Object*, std::span<const Value> args) {
    m.realmState<Switches>().*field = m.toBoolean(arg(args, 0));
    return Value();
}

constexpr NativeMember kShowSettings[] = {
    method("showSettings", native::nothing, 0),
    native::accessor("exactSettings", switchOf<&Switches::exactSettings>,
                     setSwitch<&Switches::exactSettings>, kReadOnly)
        .since(6),
    native::accessor("useCodepage", switchOf<&Switches::useCodepage>,
                     setSwitch<&Switches::useCodepage>, kReadOnly),
};

// A converter has no clipboard to write to.
constexpr NativeMember kClipboard[] = {
    method("setClipboard", native::nothing, 0),
};

}  // namespace

void installSystemClass(Machine& m) {
    Object* system = m.newObject();
    defineValue(m.global(), "System", Value(system), kDontEnum);
    installCapabilities(m, system);
    installProduct(m, system);
    m.realmState<Switches>().exactSettings = m.swfVersion() >= 7;
    installMembers(m, system, kShowSettings);
    installSecurity(m, system);
    installMembers(m, system, kClipboard);
    installIme(m, system);
}

}  // namespace swf::avm1
