#include "swf/avm1/machine/Object.h"

#include "swf/avm1/machine/Heap.h"
#include "swf/format/LetterCase.h"

namespace swf::avm1 {
namespace {

constexpr size_t kIndexFrom = 12;  // below this, a scan beats hashing

}  // namespace

bool Object::visibleInVersion(uint16_t flags) const {
    int version = heap_->swfVersion();
    if ((flags & kVersion6) && version < 6) return false;
    if ((flags & kVersion7) && version < 7) return false;
    if ((flags & kHiddenIn6) && version == 6) return false;
    if ((flags & kVersion8) && version < 8) return false;
    if ((flags & kVersion9) && version < 9) return false;
    if ((flags & kVersion10) && version < 10) return false;
    return true;
}

const Object::Entry* Object::find(std::string_view name) const {
    bool caseSensitive = heap_->caseSensitive();
    if (!index_.empty()) {
        // Names that differ only in case share a key; the first of them answers a lookup
        // that ignores case.
        auto [first, last] = index_.equal_range(name);
        const Entry* found = nullptr;
        for (auto it = first; it != last; ++it) {
            const Entry& e = entries_[it->second];
            if (caseSensitive && e.name != name) continue;
            if (!found || &e < found) found = &e;
        }
        return found;
    }
    for (const Entry& e : entries_)
        if (caseSensitive ? e.name == name : namesEqualIgnoringCase(e.name, name)) return &e;
    return nullptr;
}

Object::Entry* Object::find(std::string_view name) {
    return const_cast<Entry*>(static_cast<const Object*>(this)->find(name));
}

void Object::rebuildIndex() {
    index_.clear();
    if (entries_.size() < kIndexFrom) return;
    for (size_t i = 0; i < entries_.size(); ++i)
        index_.emplace(entries_[i].name, static_cast<uint32_t>(i));
}

Property* Object::findOwn(std::string_view name) {
    Entry* e = find(name);
    return e && visible(e->property) ? &e->property : nullptr;
}

void Object::setOwn(std::string_view name, Value value, uint16_t flags) {
    if (Entry* e = find(name)) {
        if (!visible(e->property)) {
            e->property = Property{std::move(value), nullptr, nullptr, flags};
            return;
        }
        if (e->property.flags & kReadOnly) return;
        e->property.value = std::move(value);
        return;
    }
    defineOwn(name, Property{std::move(value), nullptr, nullptr, flags});
}

void Object::defineOwn(std::string_view name, Property property) {
    if (Entry* e = find(name)) {
        e->property = std::move(property);
        return;
    }
    heap_->chargeProperty();
    entries_.push_back(Entry{std::string(name), std::move(property)});
    if (entries_.size() == kIndexFrom) {
        rebuildIndex();
    } else if (!index_.empty()) {
        index_.emplace(std::string(name), static_cast<uint32_t>(entries_.size() - 1));
    }
}

bool Object::deleteOwn(std::string_view name) {
    Entry* e = find(name);
    // A property hidden from this version is deleted all the same.
    if (!e || (e->property.flags & kDontDelete)) return false;
    entries_.erase(entries_.begin() + (e - entries_.data()));
    rebuildIndex();
    return true;
}

void Object::ownNames(std::vector<std::string>& names, bool anyVersion) const {
    for (const Entry& e : entries_)
        if (anyVersion || visible(e.property)) names.push_back(e.name);
}

void Object::changeFlags(const std::vector<std::string>* names, uint16_t set, uint16_t clear) {
    auto listed = [&](std::string_view name) {
        if (!names) return true;
        for (const std::string& n : *names)
            if (heap_->caseSensitive() ? n == name : namesEqualIgnoringCase(n, name)) return true;
        return false;
    };
    for (Entry& e : entries_)
        if (listed(e.name))
            e.property.flags = static_cast<uint16_t>((e.property.flags & ~clear) | set);
    // The prototype link is an own property too; only its version flags mean anything here.
    if (proto_ && listed("__proto__"))
        protoFlags_ = static_cast<uint16_t>((protoFlags_ & ~clear) | (set & kVersionFlags));
}

void Object::trace(Marker& marker) const {
    marker.mark(proto_);
    for (Object* i : interfaces) marker.mark(i);
    for (const Entry& e : entries_) {
        marker.mark(e.property.value);
        marker.mark(e.property.getter);
        marker.mark(e.property.setter);
    }
}

}  // namespace swf::avm1
