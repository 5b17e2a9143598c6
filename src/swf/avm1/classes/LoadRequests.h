#pragma once
// What the loading parts of the interpreter share (getURL's loads, the MovieClip methods,
// LoadVars, XML, MovieClipLoader): the load target a script names, the text of a loaded file
// as the movie's strings hold it, url-encoded variables, and running a finished load's
// script work as an action list of its own.

#include <span>
#include <string>
#include <string_view>

#include "swf/avm1/machine/Activation.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/display/ContentRequests.h"

namespace swf::avm1 {

// The load target for a clip: the level it is the root of, else the clip itself.
LoadTarget loadTargetOf(Machine& machine, MovieClip& clip);

// A file's bytes as text: for movies of version 6 on, unless System.useCodepage is set,
// UTF-16 when a byte order mark says so, else UTF-8 (without its byte order mark); otherwise,
// or when the bytes are no UTF-8, each byte is a character of the system code page
// (Windows-1252).
std::string textOfFile(Machine& machine, std::string_view bytes, int swfVersion);

// Sets the url-encoded name=value pairs of `text` ("a=1&b=x+y") as properties of `target`.
void decodeVariables(Machine& machine, Object* target, std::string_view text);

// loadVariables: the pairs of the file become the variables of the target (a clip, a text
// field, or the level `level` when it is 0 or more) as the frame ends, then its data event
// (onClipEvent(data), onData) follows.
void requestVariables(Machine& machine, int level, std::weak_ptr<DisplayObject> object,
                      const std::string& url);
void requestVariables(Machine& machine, const LoadTarget& target, const std::string& url);

// LoadVars.load and XML.load: `target.onData(text)` as the frame ends, with undefined when
// the file could not be read or is empty. `setField` keeps loaded, _bytesLoaded and
// _bytesTotal as the class does. False when nothing was asked for.
// onData of LoadVars and XML: `text` (undefined when the load failed) goes to the object's
// `parser` method, `markLoaded` sets its loaded field, then onLoad(true) reports; a failed
// load reports onLoad(false) alone.
Value finishTextLoad(Machine& machine, Object* self, const Value& text, const char* parser,
                     void (*markLoaded)(Machine&, Object*));
// addRequestHeader(name, value) or addRequestHeader([name, value, ...]) of LoadVars and XML:
// the pairs go to an array in the object's own _customHeaders, made by the first call with
// `flags`; a _customHeaders that is no array takes nothing.
Value addRequestHeader(Machine& machine, Object* self, std::span<const Value> args,
                       uint16_t flags);

using LoadFieldSetter = void (*)(Machine&, Object*, std::string_view, const Value&);
bool loadTextFor(Machine& machine, Object* target, const Value& url, LoadFieldSetter setField);

// A finished load's script work (events, callbacks) with the guards of an action list.
template <class Body>
void runLoadCallback(Machine& machine, Body&& body) {
    machine.startActionList();
    Activation::runGuarded(machine, std::forward<Body>(body));
}

}  // namespace swf::avm1
