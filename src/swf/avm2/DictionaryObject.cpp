#include "swf/avm2/DictionaryObject.h"

#include "swf/script/Marker.h"
#include "swf/avm2/Machine.h"
#include "swf/avm2/Name.h"

namespace swf::avm2 {

std::optional<Value> DictionaryObject::getKeyed(Machine& m, const Name& name) {
    if (!name.keyObject || !name.isPublic(m.namespaces())) return std::nullopt;
    auto it = index_.find(name.keyObject);
    return it == index_.end() ? Value() : entries_[it->second].value;
}

bool DictionaryObject::setKeyed(Machine& m, const Name& name, const Value& value) {
    // Keys live in the public namespace; another one is an ordinary (failing) name.
    if (!name.keyObject || !name.isPublic(m.namespaces())) return false;
    if (auto it = index_.find(name.keyObject); it != index_.end()) {
        entries_[it->second].value = value;
        return true;
    }
    if (deleted_ > entries_.size() / 2) compact();
    index_.emplace(name.keyObject, entries_.size());
    entries_.push_back({name.keyObject, value});
    return true;
}

std::optional<bool> DictionaryObject::hasKeyed(const Name& name) {
    if (!name.keyObject) return std::nullopt;
    return index_.count(name.keyObject) != 0;
}

std::optional<bool> DictionaryObject::deleteKeyed(const Name& name) {
    if (!name.keyObject) return std::nullopt;
    if (auto it = index_.find(name.keyObject); it != index_.end()) erase(it->second);
    return true;
}

Value DictionaryObject::keyedName(size_t index) const {
    return index < entries_.size() && entries_[index].key ? Value::object(entries_[index].key) : Value();
}

Value DictionaryObject::keyedValue(size_t index) const {
    return index < entries_.size() && entries_[index].key ? entries_[index].value : Value();
}

void DictionaryObject::trace(Marker& marker) const {
    Object::trace(marker);
    for (const Entry& e : entries_) {
        if (!weakKeys) marker.mark(e.key);
        marker.mark(e.value);
    }
}

void DictionaryObject::forgetUnreachable() {
    if (!weakKeys) return;
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].key && !entries_[i].key->isMarked()) erase(i);
    // Collection runs between scripts, so no for-in is walking the positions.
    compact();
}

void DictionaryObject::erase(size_t at) {
    index_.erase(entries_[at].key);
    entries_[at] = Entry{nullptr, Value()};
    ++deleted_;
}

void DictionaryObject::compact() {
    std::vector<Entry> kept;
    kept.reserve(entries_.size() - deleted_);
    index_.clear();
    for (Entry& e : entries_) {
        if (!e.key) continue;
        index_.emplace(e.key, kept.size());
        kept.push_back(std::move(e));
    }
    entries_ = std::move(kept);
    deleted_ = 0;
}

}  // namespace swf::avm2
