#include "swf/avm2/ArrayObject.h"

#include <string>

#include "swf/avm2/Name.h"
#include "swf/script/Marker.h"

namespace swf::avm2 {

void ArrayObject::trace(Marker& marker) const {
    Object::trace(marker);
    for (const Value& v : items) marker.mark(v);
}

Value* ArrayObject::ownElement(uint32_t index, const std::string& name) {
    if (index < items.size()) return items[index].isHole() ? nullptr : &items[index];
    return findOwn(name);
}

Value* ArrayObject::elementThroughPrototypes(uint32_t index, const std::string& name) {
    int depth = 0;
    for (Object* o = this; o && depth < 1024; o = o->proto(), ++depth) {
        ArrayObject* array = o->asArray();
        if (Value* v = array ? array->ownElement(index, name) : o->findOwn(name)) return v;
    }
    return nullptr;
}

void ArrayObject::setElement(uint32_t index, const Value& value) {
    // A hole read from somewhere else is stored as the undefined it stands for.
    const Value stored = value.withoutHole();
    if (index >= kMaxLength) {
        setOwn(std::to_string(index), stored);
        declaredLength = std::max<size_t>(length(), size_t{index} + 1);
        return;
    }
    if (index >= items.size()) items.resize(size_t{index} + 1, Value::hole());
    items[index] = stored;
}

void ArrayObject::setLength(size_t n) {
    if (n < length() && length() > items.size()) {
        std::vector<std::string> doomed;
        for (size_t i = 0; i < ownCount(); ++i) {
            Name key;
            uint32_t index = 0;
            if (const std::string* name = ownNameAt(i)) key.local = *name;
            if (key.arrayIndex(index) && index >= n) doomed.push_back(key.local);
        }
        for (const std::string& name : doomed) deleteOwn(name);
    }
    if (n < items.size()) items.resize(n);
    declaredLength = n;
}

}  // namespace swf::avm2
