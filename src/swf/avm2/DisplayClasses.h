#pragma once
// The parts of flash.events and flash.display, installed by installDisplayClasses.

namespace swf::avm2 {

class ClassObject;
class Machine;

void installEventClasses(Machine& m);
void installContainerMethods(Machine& m, ClassObject* container);
void installMovieClipMethods(Machine& m, ClassObject* clip);
// Sprite's and Shape's graphics, and the Graphics class.
void installGraphics(Machine& m, ClassObject* sprite, ClassObject* shape);

}  // namespace swf::avm2
