#pragma once
// flash.geom, installed by installGeomClasses, and the conversions between its objects and
// the engine's geometry that the display classes use.

#include <initializer_list>
#include <vector>

#include "swf/avm2/Value.h"
#include "swf/geom/Geometry.h"

namespace swf {
class DisplayObject;
}

namespace swf::avm2 {

class ClassObject;
class Machine;

void installGeomClasses(Machine& m);
// A sealed class whose instances have public Number variables `names`, set by the
// constructor's arguments in that order (missing ones take `defaults`), as the player's
// classes of plain numbers are.
ClassObject* defineNumberClass(Machine& m, const char* package, const char* name, std::initializer_list<const char*> names,
                               std::vector<double> defaults);
// DisplayObject's transform, getBounds, getRect, localToGlobal, globalToLocal, hitTestPoint
// and hitTestObject, and the Transform class.
void installDisplayGeometry(Machine& m, ClassObject* displayObject);
// From the object's space to the stage's.
Matrix toStage(const swf::DisplayObject& object);
// True when the stage point falls on what the object draws itself (its shape, or what scripts
// drew into it), its children left out; `toStage` maps its space onto the stage.
bool hitsOwnContent(Machine& m, swf::DisplayObject& object, const Matrix& toStage, Point stagePoint);

// A Matrix's fields as they are (pixels for tx and ty), and a new Matrix of them.
Matrix matrixOf(Machine& m, const Value& matrix);
Value newMatrix(Machine& m, const Matrix& matrix);
Value newPoint(Machine& m, double x, double y);
Value newRectangle(Machine& m, double x, double y, double width, double height);
ColorTransform colorTransformOf(Machine& m, const Value& colorTransform);
Value newColorTransform(Machine& m, const ColorTransform& colorTransform);

}  // namespace swf::avm2
