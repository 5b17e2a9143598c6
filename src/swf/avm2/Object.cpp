#include "swf/avm2/Object.h"

#include "swf/avm2/ClassObject.h"
#include "swf/script/Marker.h"
#include "swf/avm2/Traits.h"

namespace swf::avm2 {

Object::Object(ClassObject* klass, Object* proto) : class_(klass), proto_(proto) {}

void Object::setTraits(const Traits* traits) {
    traits_ = traits;
    slots_ = traits ? traits->initialSlots() : std::vector<Value>{};
}

Value* Object::findOwn(const std::string& name) {
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : &dynamicValues_[it->second];
}

void Object::setOwn(const std::string& name, Value value) {
    if (Value* existing = findOwn(name)) {
        *existing = std::move(value);
        return;
    }
    if (deletedCount_ > 0 && deletedCount_ >= dynamicNames_.size() / 2) compact();
    index_.emplace(name, dynamicNames_.size());
    dynamicNames_.push_back(name);
    dynamicValues_.push_back(std::move(value));
    enumerable_.push_back(true);
    deleted_.push_back(false);
}

bool Object::deleteOwn(const std::string& name) {
    auto it = index_.find(name);
    if (it == index_.end()) return false;
    size_t at = it->second;
    index_.erase(it);
    dynamicNames_[at].clear();
    dynamicValues_[at] = Value();
    enumerable_[at] = false;
    deleted_[at] = true;
    ++deletedCount_;
    return true;
}

void Object::compact() {
    size_t kept = 0;
    for (size_t i = 0; i < dynamicNames_.size(); ++i) {
        if (deleted_[i]) continue;
        dynamicNames_[kept] = std::move(dynamicNames_[i]);
        dynamicValues_[kept] = std::move(dynamicValues_[i]);
        enumerable_[kept] = enumerable_[i];
        index_[dynamicNames_[kept]] = kept;
        ++kept;
    }
    dynamicNames_.resize(kept);
    dynamicValues_.resize(kept);
    enumerable_.resize(kept);
    deleted_.assign(kept, false);
    deletedCount_ = 0;
}

bool Object::isEnumerable(const std::string& name) const {
    auto it = index_.find(name);
    return it != index_.end() && enumerable_[it->second];
}

void Object::setEnumerable(const std::string& name, bool enumerable) {
    auto it = index_.find(name);
    if (it != index_.end()) enumerable_[it->second] = enumerable;
}

const std::string* Object::ownNameAt(size_t index) const {
    return index < dynamicNames_.size() && !deleted_[index] ? &dynamicNames_[index] : nullptr;
}

void Object::trace(Marker& marker) const {
    marker.mark(static_cast<Object*>(class_));
    marker.mark(proto_);
    for (const Value& v : slots_) marker.mark(v);
    for (const Value& v : dynamicValues_) marker.mark(v);
}

}  // namespace swf::avm2
