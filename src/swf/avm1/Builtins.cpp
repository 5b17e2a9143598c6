#include "swf/avm1/Builtins.h"

#include "swf/avm1/Machine.h"
#include "swf/avm1/Timers.h"

namespace swf::avm1 {

void Builtins::install(Machine& machine) {
    // Object and Function first: every other class's prototype and methods hang off them.
    installObjectClass(machine);
    installFunctionClass(machine);
    installErrorClass(machine);
    installArrayClass(machine);
    installStringClass(machine);
    installNumberClass(machine);
    installBooleanClass(machine);
    installMathObject(machine);
    installDateClass(machine);
    installGlobalFunctions(machine);
    Timers::install(machine);
    installMovieClipClass(machine);
    installAsBroadcaster(machine);
    installFlashGeom(machine);
    installColorClass(machine);
    installXmlClasses(machine);
    installStageObject(machine);
    installSystemObject(machine);
    installKeyObject(machine);
    installMouseObject(machine);
    installSelectionObject(machine);
    installAccessibilityObject(machine);
    installContextMenuClass(machine);
    installContextMenuItemClass(machine);
    installPrintJobClass(machine);
    installSharedObjectClass(machine);
    installLocalConnectionClass(machine);
    installCameraClass(machine);
    installMicrophoneClass(machine);
    installExternalInterface(machine);
    installLoadVarsClass(machine);
    installMovieClipLoaderClass(machine);
    installSoundClass(machine);
    installNetConnectionClass(machine);
    installNetStreamClass(machine);
    installXmlSocketClass(machine);
    installFileReferenceClasses(machine);
    installVideoClass(machine);
    installBitmapDataClass(machine);
    installFilterClasses(machine);
    installTextFieldClass(machine);
    installTextFormatClass(machine);
    installStyleSheetClass(machine);
    installTextSnapshotClass(machine);
    installPlaceholderClasses(machine);
    installNativeTable(machine);
}

}  // namespace swf::avm1
