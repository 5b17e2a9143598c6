#pragma once
// The parts of flash.events and flash.display, installed by installDisplayClasses.

#include <string>

namespace swf::avm2 {

class ClassObject;
class DisplayHandle;
class EventObject;
class Machine;
class Object;

void installEventClasses(Machine& m);
// MouseEvent, KeyboardEvent and FocusEvent, subclasses of `event`, and flash.ui.Keyboard.
void installInputEventClasses(Machine& m, ClassObject* event);
// An event as Event.toString prints it, with the fields of its class (" name=value ...").
std::string eventText(const EventObject& e, const std::string& fields);
void installContainerMethods(Machine& m, ClassObject* container);
void installMovieClipMethods(Machine& m, ClassObject* clip);
// Sprite's and Shape's graphics, and the Graphics class.
void installGraphics(Machine& m, ClassObject* sprite, ClassObject* shape);
// LoaderInfo, Loader, IOErrorEvent and URLRequest.
void installLoaderClasses(Machine& m, ClassObject* container);
// Whether Tab stops at the object: as a script set it, else buttons, input text fields and
// sprites in button mode.
bool tabEnabledOf(Machine& m, const DisplayHandle& handle);
// The main timeline's LoaderInfo.
Object* newMainLoaderInfo(Machine& m);

}  // namespace swf::avm2
