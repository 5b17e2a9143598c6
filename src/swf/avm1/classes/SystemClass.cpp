// System: the player's description of itself. This engine is a standalone player on Linux
// that draws into a video frame: no network, no camera or microphone, no printer, no IME,
// sound but no video decoding; a movie from a file is in the local file sandbox.

#include <memory>
#include <string>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/PlayerObjects.h"
#include "swf/avm1/classes/UrlEscape.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/movie/IgnoringCase.h"
#include "swf/display/MovieContext.h"
#include "swf/movie/IgnoringCase.h"
#include "swf/movie/SwfMovie.h"

namespace swf::avm1 {
namespace {

using player::defineValue;

// System.capabilities.version: the player release whose behaviour this engine follows.
constexpr const char* kVersion = "LNX 32,0,0,0";

Value returnFalse(Machine&, Object*, std::span<const Value>) {
    return Value(false);
}
Value returnNothing(Machine&, Object*, std::span<const Value>) {
    return Value();
}

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

void installSecurity(Machine& m, Object* system) {
    Object* security = m.newObject();
    defineValue(system, "security", Value(security), 0);
    // Nothing is fetched, so there is no domain to allow; the player still answers true to a
    // call that names one.
    auto allow = [](Machine&, Object*, std::span<const Value> args) {
        return Value(!args.empty());
    };
    m.defineMethod(security, "allowDomain", allow, 0);
    m.defineMethod(security, "allowInsecureDomain", allow, kVersion7);
    m.defineMethod(security, "loadPolicyFile", returnNothing, 0);
    m.defineMethod(security, "chooseLocalSwfPath", returnNothing, 0);
    m.defineMethod(security, "escapeDomain", returnNothing, 0);
    const std::string& url = m.context().movieUrl();
    bool remote = startsWithIgnoringCase(url, "http:") || startsWithIgnoringCase(url, "https:");
    // A local movie marked for network use may not read local files, and the other way round.
    const char* sandbox = remote                           ? "remote"
                          : m.context().movie().useNetwork ? "localWithNetwork"
                                                           : "localWithFile";
    defineValue(security, "sandboxType", Value(sandbox), kReadOnly);
}

void installIme(Machine& m, Object* system) {
    Object* ime = m.newObject();
    defineValue(system, "IME", Value(ime), 0);
    const uint16_t flags = kDontEnum | kReadOnly;
    for (const char* mode :
         {"UNKNOWN", "KOREAN", "JAPANESE_KATAKANA_HALF", "JAPANESE_KATAKANA_FULL",
          "JAPANESE_HIRAGANA", "CHINESE", "ALPHANUMERIC_HALF", "ALPHANUMERIC_FULL"})
        defineValue(ime, mode, Value(mode), flags);
    // There is no input method: it is off and stays off.
    m.defineMethod(ime, "getEnabled", returnFalse, flags);
    m.defineMethod(ime, "setEnabled", returnFalse, flags);
    m.defineMethod(
        ime, "getConversionMode",
        [](Machine&, Object*, std::span<const Value>) { return Value("UNKNOWN"); }, flags);
    m.defineMethod(ime, "setConversionMode", returnFalse, flags);
    m.defineMethod(ime, "setCompositionString", returnFalse, flags);
    m.defineMethod(ime, "doConversion", returnFalse, flags);
    player::makeBroadcaster(m, ime, kReadOnly);
}

void installProduct(Machine& m, Object* system) {
    Object* proto = m.newObject();
    Function* product =
        m.defineClass(nullptr, "Product", proto,
                      [](Machine&, Object*, std::span<const Value>) { return Value(); });
    defineValue(system, "Product", Value(product), 0);
    // No other product can be installed or started from here.
    for (const char* name : {"isRunning", "isInstalled", "launch", "download", "validate"})
        m.defineMethod(proto, name, returnFalse);
    m.defineMethod(proto, "installedVersion", returnNothing);
}

}  // namespace

void installSystemClass(Machine& m) {
    Object* system = m.newObject();
    defineValue(m.global(), "System", Value(system), kDontEnum);
    installCapabilities(m, system);
    installProduct(m, system);
    m.defineMethod(system, "showSettings", returnNothing, 0);
    // Both are plain switches here: text is always Unicode and settings are exact.
    auto exact = std::make_shared<bool>(m.swfVersion() >= 7);
    m.defineAccessor(
        system, "exactSettings",
        [exact](Machine&, Object*, std::span<const Value>) { return Value(*exact); },
        [exact](Machine& m, Object*, std::span<const Value> args) {
            *exact = m.toBoolean(arg(args, 0));
            return Value();
        },
        kReadOnly | kVersion6);
    auto codepage = std::make_shared<bool>(false);
    m.defineAccessor(
        system, "useCodepage",
        [codepage](Machine&, Object*, std::span<const Value>) { return Value(*codepage); },
        [codepage](Machine& m, Object*, std::span<const Value> args) {
            *codepage = m.toBoolean(arg(args, 0));
            return Value();
        },
        kReadOnly);
    installSecurity(m, system);
    // A converter has no clipboard to write to.
    m.defineMethod(system, "setClipboard", returnNothing, 0);
    installIme(m, system);
}

}  // namespace swf::avm1
