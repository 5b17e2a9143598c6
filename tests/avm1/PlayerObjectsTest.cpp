// The player's own objects (Stage, System, Key, Mouse, Selection, ContextMenu, SharedObject,
// LocalConnection, ExternalInterface, ASnative, ...): each script runs in a 550x400 movie of
// the given version, and what it traces is what the original player prints for it in a
// standalone player without network, camera or printer.

#include <gtest/gtest.h>

#include "ScriptRun.h"

namespace {

using avm1test::Joined;
using avm1test::RunScript;

struct Case {
    const char* name;
    int version;
    int frames;
    const char* script;
    const char* trace;
};

const Case kCases[] = {
    {"stage size comes from the header and ignores assignments", 8, 1,
     R"(push "Stage"; getVariable; push "width"; getMember; trace
        push "Stage"; getVariable; push "width", 5; setMember
        push "Stage"; getVariable; push "width"; getMember; trace
        push "Stage"; getVariable; push "height"; getMember; trace
        push "Stage"; getVariable; push "displayState"; getMember; trace
        push "Stage"; getVariable; push "showMenu"; getMember; trace)",
     "550\n550\n400\nnormal\ntrue"},
    {"align keeps the edge letters in LTRB order, scale mode falls back to showAll", 8, 1,
     R"(push "Stage"; getVariable; push "align"; getMember; trace
        push "Stage"; getVariable; push "align", "b x rT"; setMember
        push "Stage"; getVariable; push "align"; getMember; trace
        push "Stage"; getVariable; push "align", true; setMember
        push "Stage"; getVariable; push "align"; getMember; trace
        push "Stage"; getVariable; push "scaleMode", "NOBORDER"; setMember
        push "Stage"; getVariable; push "scaleMode"; getMember; trace
        push "Stage"; getVariable; push "scaleMode", "nonsense"; setMember
        push "Stage"; getVariable; push "scaleMode"; getMember; trace)",
     "\nTRB\nTR\nnoBorder\nshowAll"},
    {"full screen tells the listeners at once, only when it changes", 8, 1,
     R"(push "l", 0, "Object"; newObject; setVariable
        push "l"; getVariable; push "onFullScreen"
        function (full) { push "onFullScreen ", "full"; getVariable; add2; trace }; setMember
        push "l"; getVariable; push 1, "Stage"; getVariable; push "addListener"; callMethod; pop
        push "Stage"; getVariable; push "displayState", "FULLSCREEN"; setMember
        push "Stage"; getVariable; push "displayState", "fullScreen"; setMember
        push "Stage"; getVariable; push "displayState"; getMember; trace
        push "Stage"; getVariable; push "displayState", "A"; setMember
        push "Stage"; getVariable; push "displayState", "normal"; setMember
        push "Stage"; getVariable; push "displayState"; getMember; trace)",
     "onFullScreen true\nfullScreen\nonFullScreen false\nnormal"},
    {"version 5 movies see no listener methods", 5, 1,
     R"(push "Stage"; getVariable; push "addListener"; getMember; typeOf; trace
        push "Key"; getVariable; push "_listeners"; getMember; typeOf; trace
        push "Stage"; getVariable; push "width"; getMember; trace)",
     "undefined\nundefined\n550"},
    {"capabilities describe a standalone Linux player without network", 8, 1,
     R"(push "System"; getVariable; push "capabilities"; getMember; storeRegister 1; pop
        push r:1, "version"; getMember; trace
        push r:1, "os"; getMember; trace
        push r:1, "playerType"; getMember; trace
        push r:1, "screenResolutionX"; getMember; trace
        push r:1, "hasAudio"; getMember; trace
        push r:1, "hasTLS"; getMember; trace
        push r:1, "avHardwareDisable"; getMember; trace
        push "System"; getVariable; push "security"; getMember; push "sandboxType"; getMember
        trace)",
     "LNX 32,0,0,0\nLinux\nStandAlone\n550\ntrue\nfalse\ntrue\nlocalWithFile"},
    {"security calls and settings switches", 8, 1,
     R"(push "System"; getVariable; push "security"; getMember; storeRegister 1; pop
        push 0, r:1, "allowDomain"; callMethod; trace
        push "a.example", 1, r:1, "allowDomain"; callMethod; trace
        push "System"; getVariable; push "exactSettings"; getMember; trace
        push "System"; getVariable; push "exactSettings", false; setMember
        push "System"; getVariable; push "exactSettings"; getMember; trace
        push "System"; getVariable; push "useCodepage"; getMember; trace
        push "System"; getVariable; push "IME"; getMember; push "KOREAN"; getMember; trace)",
     "false\ntrue\ntrue\nfalse\nfalse\nKOREAN"},
    {"exact settings arrive with version 6 and start off before 7", 6, 1,
     R"(push "System"; getVariable; push "exactSettings"; getMember; trace)", "false"},
    {"no key is ever down and the codes are read-only", 8, 1,
     R"(push "Key"; getVariable; push "TAB"; getMember; trace
        push "Key"; getVariable; push "TAB", 5; setMember
        push "Key"; getVariable; push "TAB"; getMember; trace
        push 65, 1, "Key"; getVariable; push "isDown"; callMethod; trace
        push 0, "Key"; getVariable; push "getCode"; callMethod; trace
        push "Key"; getVariable; push "CAPSLOCK"; getMember; trace
        push "Key"; getVariable; push "_listeners"; getMember; push "length"; getMember; trace)",
     "9\n9\nfalse\n0\n20\n0"},
    {"hide and show answer whether the pointer was visible", 8, 1,
     R"(push 0, "Mouse"; getVariable; push "hide"; callMethod; trace
        push 0, "Mouse"; getVariable; push "hide"; callMethod; trace
        push 0, "Mouse"; getVariable; push "show"; callMethod; trace
        push 0, "Mouse"; getVariable; push "show"; callMethod; trace)",
     "1\n0\n0\n1"},
    {"focus moves to clips that take it and tells old, new and listeners", 8, 1,
     R"(push 1, "a", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod; pop
        push 2, "b", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod; pop
        push "a"; getVariable; push "focusEnabled", true; setMember
        push "a"; getVariable; push "onKillFocus"
        function (n) { push "a lost to ", "n"; getVariable; add2; trace }; setMember
        push "l", 0, "Object"; newObject; setVariable
        push "l"; getVariable; push "onSetFocus"
        function (o, n) { push "o"; getVariable; push " -> "; add2; push "n"; getVariable; add2
                          trace }; setMember
        push "l"; getVariable; push 1, "Selection"; getVariable; push "addListener"; callMethod
        pop
        push 0, "Selection"; getVariable; push "getFocus"; callMethod; trace
        push false, 1, "Selection"; getVariable; push "setFocus"; callMethod; trace
        push "b"; getVariable; push 1, "Selection"; getVariable; push "setFocus"; callMethod
        trace
        push "a"; getVariable; push 1, "Selection"; getVariable; push "setFocus"; callMethod
        trace
        push "a"; getVariable; push 1, "Selection"; getVariable; push "setFocus"; callMethod
        trace
        push 0, "Selection"; getVariable; push "getFocus"; callMethod; trace
        push 0, "Selection"; getVariable; push "getBeginIndex"; callMethod; trace
        push undefined, 1, "Selection"; getVariable; push "setFocus"; callMethod; trace)",
     "null\nfalse\nfalse\nnull -> _level0.a\ntrue\ntrue\n_level0.a\n-1\na lost to null\n"
     "_level0.a -> null\ntrue"},
    {"accessibility is never active", 8, 1,
     R"(push 0, "Accessibility"; getVariable; push "isActive"; callMethod; trace
        push 0, "Accessibility"; getVariable; push "updateProperties"; callMethod; typeOf
        trace)",
     "false\nundefined"},
    {"context menus: entries, shared built-ins on copy, custom items copied", 8, 1,
     R"(push "m", 0, "ContextMenu"; newObject; setVariable
        push "m"; getVariable; enumerate2
        loop: storeRegister 0; push null; equals2; if done; push r:0; trace; jump loop
        done: push "m"; getVariable; push "builtInItems"; getMember; push "zoom", false
        setMember
        push "c", 0, "m"; getVariable; push "copy"; callMethod; setVariable
        push "m"; getVariable; push "builtInItems"; getMember; push "zoom", true; setMember
        push "c"; getVariable; push "builtInItems"; getMember; push "zoom"; getMember; trace
        push 0, "m"; getVariable; push "hideBuiltInItems"; callMethod; pop
        push "m"; getVariable; push "builtInItems"; getMember; push "save"; getMember; trace
        push "c"; getVariable; push "builtInItems"; getMember; push "save"; getMember; trace)",
     "customItems\nbuiltInItems\nonSelect\ntrue\nfalse\ntrue"},
    {"context menu items default to enabled and visible", 8, 1,
     R"(push "i", "Cap", 1, "ContextMenuItem"; newObject; setVariable
        push "i"; getVariable; push "caption"; getMember; trace
        push "i"; getVariable; push "enabled"; getMember; trace
        push "i"; getVariable; push "separatorBefore"; getMember; trace
        push 0, "i"; getVariable; push "copy"; callMethod; push "visible"; getMember; trace)",
     "Cap\ntrue\nfalse\ntrue"},
    {"a print job never starts and its sizes stay 0", 8, 1,
     R"(push "p", 0, "PrintJob"; newObject; setVariable
        push 0, "p"; getVariable; push "start"; callMethod; trace
        push "p"; getVariable; push "paperWidth", 7; setMember
        push "p"; getVariable; push "paperWidth"; getMember; trace)",
     "false\n0"},
    {"before version 7 a print job has no methods and inherits nothing", 6, 1,
     R"(push "p", 0, "PrintJob"; newObject; setVariable
        push "p"; getVariable; push "start"; getMember; typeOf; trace
        push "p"; getVariable; trace)",
     "undefined\n[type Object]"},
    {"shared objects live for the run and measure as .sol files", 8, 1,
     R"(push "/", "so", 2, "SharedObject"; getVariable; push "getLocal"; callMethod
        storeRegister 1; pop
        push 0, r:1, "getSize"; callMethod; trace
        push r:1, "data"; getMember; push "x", 1; setMember
        push 0, r:1, "getSize"; callMethod; trace
        push 0, r:1, "flush"; callMethod; trace
        push "/", "so", 2, "SharedObject"; getVariable; push "getLocal"; callMethod
        push "data"; getMember; push "x"; getMember; trace
        push 0, r:1, "clear"; callMethod; pop
        push 0, r:1, "getSize"; callMethod; trace
        push "a b", 1, "SharedObject"; getVariable; push "getLocal"; callMethod; trace)",
     "0\n37\ntrue\n1\n0\nnull"},
    {"local connections report to the sender, then deliver, a tick later", 8, 2,
     R"(push "r", 0, "LocalConnection"; newObject; setVariable
        push "r"; getVariable; push "hello"
        function (w) { push "hello ", "w"; getVariable; add2; trace }; setMember
        push "chan", 1, "r"; getVariable; push "connect"; callMethod; trace
        push "chan", 1, 0, "LocalConnection"; newObject; push "connect"; callMethod; trace
        push "s", 0, "LocalConnection"; newObject; setVariable
        push "s"; getVariable; push "onStatus"
        function (i) { push "status ", "i"; getVariable; push "level"; getMember; add2
                       trace }; setMember
        push "you", "hello", "chan", 3, "s"; getVariable; push "send"; callMethod; trace
        push "nowhere:chan", "x", 2, "s"; getVariable; push "send"; callMethod; pop
        push "close", "x", 2, "s"; getVariable; push "send"; callMethod; trace
        push "ONSTATUS", "x", 2, "s"; getVariable; push "send"; callMethod; trace
        push "sent"; trace)",
     "true\nfalse\ntrue\nfalse\nfalse\nsent\nstatus status\nhello you\nstatus error"},
    {"one muted device of each kind: get() puts its settings on the prototype, levels clamp", 8, 1,
     R"(push "muted", 1, "Camera"; getVariable; push "prototype"; getMember
        push "hasOwnProperty"; callMethod; trace
        push "c", 0, "Camera"; getVariable; push "get"; callMethod; setVariable
        push "muted", 1, "Camera"; getVariable; push "prototype"; getMember
        push "hasOwnProperty"; callMethod; trace
        push 3000, 200, 2, "c"; getVariable; push "setMotionLevel"; callMethod; pop
        push 30, 280, 320, 3, "c"; getVariable; push "setMode"; callMethod; pop
        push "c"; getVariable; push "motionLevel"; getMember; trace
        push "c"; getVariable; push "motionTimeout"; getMember; trace
        push "c"; getVariable; push "width"; getMember; trace
        push 0, "Microphone"; getVariable; push "get"; callMethod
        push 0, "Microphone"; getVariable; push "get"; callMethod; strictEquals; trace
        push -5, 1, 0, "Microphone"; getVariable; push "get"; callMethod; push "setGain"
        callMethod; pop
        push 0, "Microphone"; getVariable; push "get"; callMethod; push "gain"; getMember; trace)",
     "false\ntrue\n100\n3000\n-1\ntrue\n0"},
    {"external interface is unavailable but converts values", 8, 1,
     R"(push "flash"; getVariable; push "external"; getMember; push "ExternalInterface"
        getMember; storeRegister 1; pop
        push r:1, "available"; getMember; trace
        push "f", 1, r:1, "call"; callMethod; trace
        push "a<b", true, 2; initArray; push 1, r:1, "_toXML"; callMethod; trace
        push "x&amp;y&Lt;", 1, r:1, "_unescapeXML"; callMethod; trace
        push "", 1, r:1, "_escapeXML"; callMethod; trace
        push "o", "nodeName", "number", "firstChild", " 4.5", 2; initObject; setVariable
        push "o"; getVariable; push 1, r:1, "_toAS"; callMethod; trace)",
     "false\nnull\n<array><property id=\"0\"><true/></property><property id=\"1\"><string>"
     "a&lt;b</string></property></array>\nx&y&Lt;\nnull\n4.5"},
    {"ASnative hands out the built-ins by number", 8, 1,
     R"(push "&", 1, 0, 100, 2, "ASnative"; callFunction; push undefined; callMethod; trace
        push -3, 1, 0, 200, 2, "ASnative"; callFunction; push undefined; callMethod; trace
        push 0, 0, 2, "ASnative"; callFunction; typeOf; trace
        push 0, 0, 100, 3, "ASnative"; callFunction; typeOf; trace)",
     "%26\n3\nundefined\nundefined"},
    {"ASnative(2, 0): is the function calling it run by new; (2106, 204) opens a shared object",
     6, 1, R"(push "a", 0, 2, 2, "ASnative"; callFunction; setVariable
        function "f" () { push 0, "a"; callFunction; trace }
        push 0, "f"; callFunction; pop; push 0, "f"; newObject; pop; push "o", 0; initObject
        setVariable; push "/", "n", "o"; getVariable; push 3, 204, 2106, 2, "ASnative"; callFunction
        push undefined; callMethod; trace; push "o"; getVariable; push "data"; getMember; trace)",
     "false\ntrue\ntrue\n[object Object]"},
    {"ASSetNative numbers the names from the first index, version digits hide", 6, 1,
     R"(push "o", 0; initObject; setVariable
        push 1, "8a,b,,6d", 200, "o"; getVariable; push 4, "ASSetNative"; callFunction; pop
        push "o"; getVariable; push "a"; getMember; typeOf; trace
        push 4, 3, 2, "o"; getVariable; push "b"; callMethod; trace
        push 0, 1, "o"; getVariable; push "d"; callMethod; trace
        push "o", 0; initObject; setVariable
        push 1, "sm", 666, "o"; getVariable; push 4, "ASSetNativeAccessor"; callFunction; pop
        push "o"; getVariable; push "sm", "noScale"; setMember
        push "Stage"; getVariable; push "scaleMode"; getMember; trace)",
     "undefined\n4\n1\nnoScale"},
    {"for..in lists the stage's properties newest first", 8, 1,
     R"(push "Stage"; getVariable; enumerate2
        loop: storeRegister 0; push null; equals2; if done; push r:0; trace; jump loop
        done: push "PrintJob"; getVariable; push "prototype"; getMember; enumerate2
        again: storeRegister 0; push null; equals2; if end; push r:0; trace; jump again
        end:)",
     "wmodeGPU\nfullScreenWidth\nfullScreenHeight\nfullScreenSourceRect\ndisplayState\n"
     "showMenu\nwidth\nheight\nscaleMode\nalign\n"
     "orientation\npageWidth\npageHeight\npaperWidth\npaperHeight"},
    {"listeners of Key are kept in its own list", 8, 1,
     R"(push "o", 0; initObject; setVariable
        push "o"; getVariable; push 1, "Key"; getVariable; push "addListener"; callMethod; pop
        push "o"; getVariable; push 1, "Key"; getVariable; push "addListener"; callMethod; pop
        push "Key"; getVariable; push "_listeners"; getMember; push "length"; getMember; trace
        push "o"; getVariable; push 1, "Key"; getVariable; push "removeListener"; callMethod
        trace)",
     "1\ntrue"},
    {"focus by path, a path naming nothing changes nothing; a selection needs a focused text field", 8, 1,
     R"(push 1, "a", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod; pop
        push "a"; getVariable; push "onPress"; function () {}; setMember
        push "_level0.a", 1, "Selection"; getVariable; push "setFocus"; callMethod; trace
        push 0, "Selection"; getVariable; push "getFocus"; callMethod; trace
        push 3, 1, 2, "Selection"; getVariable; push "setSelection"; callMethod; pop
        push 0, "Selection"; getVariable; push "getEndIndex"; callMethod; trace
        push "_level0.none", 1, "Selection"; getVariable; push "setFocus"; callMethod; trace
        push 0, "Selection"; getVariable; push "setFocus"; callMethod; trace
        push 0, "Selection"; getVariable; push "getFocus"; callMethod; trace)",
     "true\n_level0.a\n-1\nfalse\nfalse\n_level0.a"},
    {"undefined with more arguments clears nothing", 8, 1,
     R"(push 20, 20, 0, 0, 1, "t", 6, "_root"; getVariable; push "createTextField"; callMethod
        pop
        push "t"; getVariable; push 1, "Selection"; getVariable; push "setFocus"; callMethod; pop
        push 5, undefined, 2, "Selection"; getVariable; push "setFocus"; callMethod; trace
        push 0, "Selection"; getVariable; push "getFocus"; callMethod; trace)",
     "false\n_level0.t"},
    {"no input method and no other product to launch", 8, 1,
     R"(push "System"; getVariable; push "IME"; getMember; storeRegister 1; pop
        push true, 1, r:1, "setEnabled"; callMethod; trace
        push 0, r:1, "getEnabled"; callMethod; trace
        push 0, r:1, "getConversionMode"; callMethod; trace
        push "x", 1, "System"; getVariable; push "Product"; newMethod; storeRegister 2; pop
        push 0, r:2, "launch"; callMethod; trace)",
     "false\nfalse\nUNKNOWN\nfalse"},
    {"a message's arguments arrive as copies written when it goes: no clips, no functions "
     "among members, references kept, dates, XML and registered classes made again", 8, 2,
     R"(push "r", 0, "LocalConnection"; newObject; setVariable
        push "r"; getVariable; push "m"
        function (a, f, c) {
          push "a"; getVariable; push "f"; getMember; typeOf; trace
          push "a"; getVariable; push "self"; getMember; push "a"; getVariable; strictEquals; trace
          push "a"; getVariable; push "o"; getVariable; strictEquals; trace
          push "a"; getVariable; push "later"; getMember; trace
          push 0, "a"; getVariable; push "d"; getMember; push "getTime"; callMethod; trace
          push "a"; getVariable; push "x"; getMember; push "firstChild"; getMember; push "nodeName"; getMember; trace
          push "a"; getVariable; push "k"; getMember; push "K"; getVariable; instanceOf; trace
          push "f"; getVariable; typeOf; trace
          push "c"; getVariable; typeOf; trace }; setMember
        push "chan", 1, "r"; getVariable; push "connect"; callMethod; pop
        push "K"; function () {}; setVariable
        push "K"; getVariable; push "k", 2, "Object"; getVariable; push "registerClass"; callMethod; pop
        push "o", 0, "Object"; newObject; setVariable
        push "o"; getVariable; push "f"; function () {}; setMember
        push "o"; getVariable; push "self", "o"; getVariable; setMember
        push "o"; getVariable; push "d", 5, 1, "Date"; newObject; setMember
        push "o"; getVariable; push "x", "<n/>", 1, "XML"; newObject; setMember
        push "o"; getVariable; push "k", 0, "K"; newObject; setMember
        push "_root"; getVariable; function () {}; push "o"; getVariable; push "m", "chan", 5, "r"; getVariable; push "send"; callMethod; pop
        push "o"; getVariable; push "later", "yes"; setMember)",
     "undefined\ntrue\nfalse\nyes\n5\nn\ntrue\nobject\nundefined"},
    {"closing a connection frees its name; names need no domain", 8, 1,
     R"(push "a", 0, "LocalConnection"; newObject; setVariable
        push "c", 1, "a"; getVariable; push "connect"; callMethod; trace
        push "d", 1, "a"; getVariable; push "connect"; callMethod; trace
        push 0, "a"; getVariable; push "close"; callMethod; pop
        push "c", 1, 0, "LocalConnection"; newObject; push "connect"; callMethod; trace
        push "x:c", 1, 0, "LocalConnection"; newObject; push "connect"; callMethod; trace
        push 5, 1, 0, "LocalConnection"; newObject; push "connect"; callMethod; trace
        push 0, "a"; getVariable; push "domain"; callMethod; trace)",
     "true\nfalse\ntrue\nfalse\nfalse\nlocalhost"},
    {"the .sol size counts arrays, dates and references; functions are left out", 8, 1,
     R"(push "/", "so", 2, "SharedObject"; getVariable; push "getLocal"; callMethod
        push "data"; getMember; storeRegister 1; pop
        push r:1, "a", 1, 1; initArray; setMember
        push r:1, "d", 0, 1, "Date"; newObject; setMember
        push r:1, "r", r:1, "a"; getMember; setMember
        push r:1, "f"; function () {}; setMember
        push r:1, "s", r:1; setMember
        push "/", "so", 2, "SharedObject"; getVariable; push "getLocal"; callMethod
        push 0; stackSwap; push "getSize"; callMethod; trace)",
     "77"},
    {"a registered class's instance measures with its name, found through the object's own "
     "constructor, not an inherited one", 8, 1,
     R"(push "C"; function () {}; setVariable
        push "C"; getVariable; push "ab", 2, "Object"; getVariable; push "registerClass"; callMethod; pop
        push "/", "t", 2, "SharedObject"; getVariable; push "getLocal"; callMethod; storeRegister 1; pop
        push r:1, "data"; getMember; push "x", 0, "C"; newObject; setMember
        push 0, r:1, "getSize"; callMethod; trace
        push "o", 0, "Object"; newObject; setVariable
        push "o"; getVariable; push "__proto__", "C"; getVariable; push "prototype"; getMember; setMember
        push r:1, "data"; getMember; push "x", "o"; getVariable; setMember
        push 0, r:1, "getSize"; callMethod; trace
        push "o"; getVariable; push "constructor", "C"; getVariable; setMember
        push 0, r:1, "getSize"; callMethod; trace)",
     "35\n31\n35"},
    {"up to version 6 a registered name differing only in case replaces the class and spelling",
     6, 1,
     R"(push "C"; function () {}; setVariable; push "D"; function () {}; setVariable
        push "C"; getVariable; push "ab", 2, "Object"; getVariable; push "registerClass"; callMethod; pop
        push "D"; getVariable; push "ABC", 2, "Object"; getVariable; push "registerClass"; callMethod; pop
        push "C"; getVariable; push "abc", 2, "Object"; getVariable; push "registerClass"; callMethod; pop
        push "/", "t", 2, "SharedObject"; getVariable; push "getLocal"; callMethod; storeRegister 1; pop
        push r:1, "data"; getMember; push "x", 0, "D"; newObject; setMember
        push 0, r:1, "getSize"; callMethod; trace
        push r:1, "data"; getMember; push "x", 0, "C"; newObject; setMember
        push 0, r:1, "getSize"; callMethod; trace)",
     "31\n36"},
    {"ASnative reads its numbers as 32-bit integers", 8, 1,
     R"(push "%41", 1, "1", "100", 2, "ASnative"; callFunction; push undefined; callMethod
        trace
        push "wrapped", 1, 4294967300, 100, 2, "ASnative"; callFunction; push undefined
        callMethod; pop
        push 256, 103, 2, "ASconstructor"; callFunction; push "prototype"; getMember; typeOf
        trace
        push 256, 103, 2, "ASnative"; callFunction; push "prototype"; getMember; typeOf; trace)",
     "A\nwrapped\nobject\nundefined"},
    {"ASSetNative leaves an existing member where it is, with its flags", 6, 1,
     R"(push "o", 0; initObject; setVariable
        push "o"; getVariable; push "m", 1; setMember
        push 1, "m", "o"; getVariable; push 3, "ASSetPropFlags"; callFunction; pop
        push "8m", 200, "o"; getVariable; push 3, "ASSetNative"; callFunction; pop
        push "o"; getVariable; push "m"; getMember; typeOf; trace
        push "o"; getVariable; push "m"; getMember; trace
        push "o"; getVariable; enumerate2; push "none"; trace
        loop: storeRegister 0; push null; equals2; if done; push r:0; trace; jump loop
        done:)",
     "function\n[type Function]\nnone"},
    {"external interface XML: an object equal to null (with no valueOf) is null", 8, 1,
     R"(push 0; initObject; storeRegister 2; push "__proto__", null; setMember
        push "f", r:2, 1; initObject; push 1, "flash"; getVariable; push "external"; getMember
        push "ExternalInterface"; getMember; push "_objectToXML"; callMethod; trace)",
     "<object><property id=\"f\"><null/></property></object>"},
    {"external interface helpers: arguments skip the name, objects go in for..in order", 8, 1,
     R"(push "flash"; getVariable; push "external"; getMember; push "ExternalInterface"
        getMember; storeRegister 1; pop
        push null, 1, "f", 3; initArray; push 1, r:1, "_argumentsToXML"; callMethod; trace
        push "b", 1, "a", "x", 2; initObject; push 1, r:1, "_objectToXML"; callMethod; trace
        push "ab", 1, r:1, "_arrayToXML"; callMethod; trace
        push "x\"y", 1, r:1, "_toJS"; callMethod; trace)",
     "<arguments><number>1</number><null/></arguments>\n<object><property id=\"b\"><number>1"
     "</number></property><property id=\"a\"><string>x</string></property></object>\n"
     "<array><property id=\"0\"><undefined/></property><property id=\"1\"><undefined/>"
     "</property></array>\n\"x\\\"y\""},
    {"before version 8 the external interface shows no members", 7, 1,
     R"(push 4096, 0, "flash", "_global"; getVariable; push 4, "ASSetPropFlags"; callFunction
        pop
        push "flash"; getVariable; push "external"; getMember; push "ExternalInterface"
        getMember; storeRegister 1; typeOf; trace
        push r:1, "addCallback"; getMember; typeOf; trace)",
     "function\nundefined"},
    {"a stream's properties arrive on its prototype with the first stream over a connection", 8, 1,
     R"(push "time", 1, "NetStream"; getVariable; push "prototype"; getMember
        push "hasOwnProperty"; callMethod; trace
        push "s", 0, "NetStream"; newObject; setVariable
        push 20, 1, "s"; getVariable; push "setBufferTime"; callMethod; pop
        push "s"; getVariable; push "bufferTime"; getMember; trace
        push "nc", 0, "NetConnection"; newObject; setVariable
        push null, 1, "nc"; getVariable; push "connect"; callMethod; pop
        push "t", "nc"; getVariable; push 1, "NetStream"; newObject; setVariable
        push "time", 1, "NetStream"; getVariable; push "prototype"; getMember
        push "hasOwnProperty"; callMethod; trace
        push 20, 1, "t"; getVariable; push "setBufferTime"; callMethod; pop
        push "t"; getVariable; push "bufferTime"; getMember; trace)",
     "false\nundefined\ntrue\n20"},
    {"version 5 movies have no local connections, streams' connections or videos", 5, 1,
     R"(push "LocalConnection"; getVariable; typeOf; trace
        push "NetConnection"; getVariable; typeOf; trace
        push "Video"; getVariable; typeOf; trace
        push "LoadVars"; getVariable; typeOf; trace)",
     "undefined\nundefined\nundefined\nfunction"},
    {"loaded sounds' methods arrive with version 6; the policy flag is a Sound's own", 5, 1,
     R"(push "Sound"; getVariable; push "prototype"; getMember; push "loadSound"; getMember
        typeOf; trace
        push "s", 0, "Sound"; newObject; setVariable
        push "s"; getVariable; push "checkPolicyFile"; getMember; trace
        push "s"; getVariable; push "checkPolicyFile", 1; setMember
        push "s"; getVariable; push "checkPolicyFile"; getMember; trace
        push "Sound"; getVariable; push "prototype"; getMember; push "checkPolicyFile"
        getMember; typeOf; trace)",
     "undefined\nfalse\ntrue\nundefined"},
    {"LoadVars lists its variables as for..in visits them, through the global escape", 8, 1,
     R"(push "v", 0, "LoadVars"; newObject; setVariable
        push "v"; getVariable; push "a", "x y"; setMember
        push "v"; getVariable; push "f"; function () { }; setMember
        push 0, "v"; getVariable; push "toString"; callMethod; trace
        push 0, "v"; getVariable; push "decode"; callMethod; trace
        push "_global"; getVariable; push "escape"; function (s) { push "E"; return }; setMember
        push 0, "v"; getVariable; push "toString"; callMethod; trace)",
     "f=%5Btype%20Function%5D&a=x%20y\nfalse\nE=E&E=E"},
    {"a text snapshot counts and reads only for the one clip it was made for", 8, 1,
     R"(push "x", 1, "TextSnapshot"; newObject; push 0, "getCount"; callMethod; trace
        push 1, 0, 2, "x", 1, "TextSnapshot"; newObject; push "getText"; callMethod; typeOf; trace
        push true, "_root"; getVariable; push 2, "TextSnapshot"; newObject
        push 0, "getCount"; callMethod; trace
        push "_root"; getVariable; push 1, "TextSnapshot"; newObject; storeRegister 1; pop
        push 0, r:1, "getCount"; callMethod; trace
        push 1, 0, 2, r:1, "getText"; callMethod; typeOf; trace
        push 0, 0, 2, r:1, "hitTestTextNearPos"; callMethod; typeOf; trace
        push 0, 0, 0, 0, 4, r:1, "hitTestTextNearPos"; callMethod; typeOf; trace)",
     "undefined\nundefined\nundefined\n0\nstring\nnumber\nundefined"},
    {"MovieClipLoader takes only a string address; getProgress answers a bare record", 8, 1,
     R"(push "l", 0, "MovieClipLoader"; newObject; setVariable
        push "_root"; getVariable; push 9, 2, "l"; getVariable; push "loadClip"; callMethod; trace
        push 0, "l"; getVariable; push "unloadClip"; callMethod; trace
        push "_root"; getVariable; push 1, "l"; getVariable; push "getProgress"; callMethod
        push "__proto__"; getMember; trace)",
     "false\nundefined\nundefined"},
    {"the style sheet class arrives with version 7", 6, 1,
     R"(push "TextField"; getVariable; push "StyleSheet"; getMember; typeOf; trace)",
     "undefined"},
    {"the player's other classes are there", 8, 1,
     R"(push "LoadVars"; getVariable; typeOf; trace
        push "NetStream"; getVariable; push "prototype"; getMember; typeOf; trace
        push "flash"; getVariable; push "net"; getMember; push "FileReference"; getMember
        typeOf; trace
        push "flash"; getVariable; push "filters"; getMember; push "BlurFilter"; getMember
        typeOf; trace)",
     "function\nobject\nfunction\nfunction"},
};

TEST(PlayerObjects, ScriptsSeeThePlayersOwnObjects) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Joined(RunScript(c.script, c.version, c.frames)), c.trace);
    }
}

// Scripts that hand the natives cycles, huge lists or absurd numbers: each call ends (with the
// script stopped where a bound was passed) and the movie goes on.
const Case kHostile[] = {
    {"a list of two million empty names and an index at the 32-bit edge", 8, 1,
     R"(push ",", 1, 2000001, 1, "Array"; newObject; push "join"; callMethod; storeRegister 1
        pop
        push "o", 0; initObject; setVariable
        push 0, r:1, 200, "o"; getVariable; push 4, "ASSetNative"; callFunction; pop
        push 2147483647, "a,b", 103, "o"; getVariable; push 4, "ASSetNativeAccessor"
        callFunction; pop
        push "o"; getVariable; push "a"; getMember; typeOf; trace)",
     "undefined"},
    {"an array holding itself twice stops the XML conversion", 8, 1,
     R"(push "a", 0, "Array"; newObject; setVariable
        push "a"; getVariable; push 0, "a"; getVariable; setMember
        push "a"; getVariable; push 1, "a"; getVariable; setMember
        push "before"; trace
        push "a"; getVariable; push 1, "flash"; getVariable; push "external"; getMember
        push "ExternalInterface"; getMember; push "_toXML"; callMethod; pop
        push "after"; trace)",
     "before\nError: value too large or nested too deep to convert; the script was stopped."},
    {"nodes that are their own grandchildren stop the conversion back", 8, 1,
     R"(push "o", "nodeName", "array", 1; initObject; setVariable
        push "c", "attributes", "id", "x", 1; initObject; push "firstChild", "o"; getVariable
        push 2; initObject; setVariable
        push "o"; getVariable; push "childNodes", "c"; getVariable; push "c"; getVariable
        push 2; initArray; setMember
        push "before"; trace
        push "o"; getVariable; push 1, "flash"; getVariable; push "external"; getMember
        push "ExternalInterface"; getMember; push "_toAS"; callMethod; pop
        push "after"; trace)",
     "before\nError: value too large or nested too deep to convert; the script was stopped."},
};

TEST(PlayerObjects, HostileScriptsStopAtTheBounds) {
    for (const Case& c : kHostile) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Joined(RunScript(c.script, c.version, c.frames)), c.trace);
    }
}

}  // namespace
