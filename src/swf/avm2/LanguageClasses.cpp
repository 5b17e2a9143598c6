#include "swf/avm2/LanguageClasses.h"

#include "swf/avm2/Builtins.h"
#include "swf/avm2/DomainMemory.h"

namespace swf::avm2 {

void installLanguageClasses(Machine& m) {
    installRegExpClass(m);
    installDateClass(m);
    installJsonClass(m);
    installVectorClasses(m);
    installUriFunctions(m);
    installUtilsClasses(m);
    installXmlClasses(m);
    installByteArrayClass(m);
    installDictionaryClass(m);
    installApplicationDomainClass(m);
}

}  // namespace swf::avm2
