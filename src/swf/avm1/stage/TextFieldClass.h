#pragma once
// What the rest of the engine asks of the TextField class: the text field a value stands for,
// the fields bound to variables, and the MovieClip methods that make fields and snapshots.

#include <span>
#include <string_view>

#include "swf/avm1/machine/Value.h"

namespace swf {
class DisplayObject;
class EditTextInstance;
class MovieClip;
}  // namespace swf

namespace swf::avm1 {

class Machine;

// The text field a script value stands for, or null.
EditTextInstance* textFieldOf(Machine& machine, const Value& value);
// A field just placed: it shows its variable's value, or gives the variable its text.
void textFieldPlaced(Machine& machine, DisplayObject& object);
// _width and _height of a text field size its box instead of scaling it; true when handled.
bool setTextFieldExtent(Machine& machine, DisplayObject& object, std::string_view name,
                        const Value& value);
// Typing changed the field's text: its variable takes the text and its listeners hear
// onChanged.
void textFieldTyped(Machine& machine, EditTextInstance& field);
// Fields bound to variables show their values, and fields resized since they were laid out
// are laid out again: once a frame, after the actions.
void updateBoundTextFields(Machine& machine);
// MovieClip.createTextField(name, depth, x, y, width, height).
Value createTextField(Machine& machine, MovieClip& parent, std::span<const Value> args);

}  // namespace swf::avm1
