#pragma once
// The parts of flash.events and flash.display, installed by installDisplayClasses.

#include <string>

namespace swf::avm2 {

class ClassObject;
class EventObject;
class Machine;
class Object;

void installEventClasses(Machine& m);
// An event as Event.toString prints it, with the fields of its class (" name=value ...").
std::string eventText(const EventObject& e, const std::string& fields);
void installContainerMethods(Machine& m, ClassObject* container);
void installMovieClipMethods(Machine& m, ClassObject* clip);
// Sprite's and Shape's graphics, and the Graphics class.
void installGraphics(Machine& m, ClassObject* sprite, ClassObject* shape);
// LoaderInfo, Loader, IOErrorEvent and URLRequest.
void installLoaderClasses(Machine& m, ClassObject* container);
// The main timeline's LoaderInfo.
Object* newMainLoaderInfo(Machine& m);

}  // namespace swf::avm2
