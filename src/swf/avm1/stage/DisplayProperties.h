#pragma once
// The display properties scripts read and write on clips, buttons and text fields (_x, _y,
// _xscale, ..., by name or by GetProperty's index), in the player's units and rounding, and
// the geometry the movie clip methods share with them (bounds, matrices to the stage).

#include <cstdint>
#include <optional>
#include <string_view>

#include "swf/avm1/machine/Value.h"
#include "swf/geom/Geometry.h"

namespace swf {
class DisplayObject;
}

namespace swf::avm1 {

class Machine;
class Object;

// The index of a display property name (GetProperty's numbering), if it is one. The names
// match regardless of case in every version.
std::optional<int> displayPropertyIndex(Machine& machine, std::string_view name);
Value getDisplayProperty(Machine& machine, DisplayObject& object, int index);
void setDisplayProperty(Machine& machine, DisplayObject& object, int index, const Value& value);

// GetProperty / SetProperty on whatever the object stands for (nothing for a removed clip);
// a set with no target still converts the value as the property would.
Value getDisplayPropertyByIndex(Machine& machine, Object& object, int index);
void setDisplayPropertyByIndex(Machine& machine, Object* object, int index, const Value& value);

// The player's conversion of a double to an integer: truncation, and INT32_MIN for what does
// not fit (infinities included). NaN gives 0; callers that ignore NaN test it first.
int32_t playerInt(double value);

// The extent of an object's content in its own space (twips): its shape, or the union of its
// children's extents in its space. Empty is kNoBounds. Big trees count against the action
// list's bound (a ScriptLimitError once it is used up), as hitsContent does.
Rect contentBounds(Machine& machine, DisplayObject& object);
// Its contents' extent on the stage, as getBounds(_root) measures it.
Rect stageBounds(Machine& machine, DisplayObject& object);
// A rectangle through a matrix as the player computes an object's extent in its parent: each
// product rounded on its own.
Rect boundsThrough(const Rect& rect, const Matrix& matrix);
// A rectangle through a matrix, corners rounded to twips (getBounds to another clip's space).
Rect cornersThrough(const Rect& rect, const Matrix& matrix);
// To whole twips, halves up, as the player rounds a position.
int32_t roundTwips(double v);
// The object's extent in its parent's space.
Rect boundsInParent(Machine& machine, DisplayObject& object);
// Products and inverses keep their translation in whole twips, as the player's matrices do.
Matrix multiplyMatrices(const Matrix& outer, const Matrix& inner);
// The inverse, or nothing for a singular matrix.
std::optional<Matrix> invertMatrix(const Matrix& matrix);
// From the object's space to the stage's (the main timeline's own matrix included).
Matrix matrixToStage(DisplayObject& object);
// Who asks whether a point hits: the mouse, or a script's hitTest, which places what clips
// drew differently.
enum class HitAsker { Mouse, Script };
// True when the point (stage twips) falls on what the object draws: shapes by their fills
// (each by its winding rule) and their strokes, other content by its extent.
bool hitsContent(Machine& machine, DisplayObject& object, Point stagePoint,
                 HitAsker asker = HitAsker::Mouse);
// True when the point falls on what scripts drew into the object, its children left out.
bool hitsOwnDrawing(Machine& machine, DisplayObject& object, Point stagePoint);

}  // namespace swf::avm1
