#pragma once
// The global object's contents: the language's classes and functions and the player's own
// (those speaking for the stage are in StageClasses.h). Each install function fills in one
// class, in its own file.

namespace swf::avm1 {

class Machine;
class Object;

void installObjectClass(Machine& machine);
void installFunctionClass(Machine& machine);
void installArrayClass(Machine& machine);
void installStringClass(Machine& machine);
void installNumberClass(Machine& machine);
void installBooleanClass(Machine& machine);
void installMathClass(Machine& machine);
void installDateClass(Machine& machine);
void installErrorClass(Machine& machine);
void installGlobalFunctions(Machine& machine);
void installAsBroadcaster(Machine& machine);
void installFlashGeom(Machine& machine);
void installColorClass(Machine& machine);
void installXmlClasses(Machine& machine);
void installSystemClass(Machine& machine);
void installKeyClass(Machine& machine);
void installMouseClass(Machine& machine);
void installAccessibilityClass(Machine& machine);
void installContextMenuClass(Machine& machine);
void installContextMenuItemClass(Machine& machine);
void installPrintJobClass(Machine& machine);
void installSharedObjectClass(Machine& machine);
void installLocalConnectionClass(Machine& machine);
void installCameraClass(Machine& machine);
void installMicrophoneClass(Machine& machine);
void installExternalInterface(Machine& machine);
void installLoadVarsClass(Machine& machine);
void installMovieClipLoaderClass(Machine& machine);
void installSoundClass(Machine& machine);
void installNetConnectionClass(Machine& machine);
void installNetStreamClass(Machine& machine);
void installXmlSocketClass(Machine& machine);
void installFileReferenceClasses(Machine& machine);
void installVideoClass(Machine& machine);
void installBitmapDataClass(Machine& machine);
void installFilterClasses(Machine& machine);
// A button's filters property, which for..in shows.
void installButtonFilters(Machine& machine, Object* buttonPrototype);
void installTextFormatClass(Machine& machine);
void installStyleSheetClass(Machine& machine);
void installTextSnapshotClass(Machine& machine);
void installPlaceholderClasses(Machine& machine);
void installNativeTable(Machine& machine);

}  // namespace swf::avm1
