#pragma once
// The classes that speak for the stage: MovieClip (with Button and TextField's shared
// methods and the drawing API), TextField, Selection and Stage. Each install function fills
// in one class, in its own file.

namespace swf {
class DisplayObject;
}

namespace swf::avm1 {

class Machine;
class Object;

void installMovieClipClass(Machine& machine);
// The drawing API's methods on MovieClip.prototype.
void installDrawingMethods(Machine& machine, Object* movieClipPrototype);
void installStageClass(Machine& machine);
void installSelectionClass(Machine& machine);
// A script replaced the selection of `field`: when it has the focus, Selection reports the
// new range and caret (in the field's characters).
void selectionReplaced(Machine& machine, const DisplayObject& field, int begin, int end,
                       int caret);
void installTextFieldClass(Machine& machine);

}  // namespace swf::avm1
