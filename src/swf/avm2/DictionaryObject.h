#pragma once
// A flash.utils.Dictionary: object keys by identity, kept apart from the dynamic properties
// that other keys (strings, numbers, booleans, null) become. With weak keys an entry whose key
// nothing else reaches is dropped when the heap collects.

#include <unordered_map>
#include <vector>

#include "swf/avm2/Object.h"

namespace swf::avm2 {

class DictionaryObject : public Object {
  public:
    using Object::Object;

    std::optional<Value> getKeyed(Machine& m, const Name& name) override;
    bool setKeyed(Machine& m, const Name& name, const Value& value) override;
    std::optional<bool> hasKeyed(const Name& name) override;
    std::optional<bool> deleteKeyed(const Name& name) override;
    bool keysByIdentity() const override { return true; }
    size_t keyedCount() const override { return entries_.size(); }
    Value keyedName(size_t index) const override;
    Value keyedValue(size_t index) const override;
    void trace(Marker& marker) const override;
    void forgetUnreachable() override;

    bool weakKeys = false;

  private:
    struct Entry {
        Object* key;  // null once deleted: positions stay put while a for-in walks them
        Value value;
    };
    void erase(size_t at);
    void compact();

    std::vector<Entry> entries_;
    std::unordered_map<Object*, size_t> index_;
    size_t deleted_ = 0;
};

}  // namespace swf::avm2
