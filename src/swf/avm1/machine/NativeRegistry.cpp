#include "swf/avm1/machine/NativeRegistry.h"

#include <algorithm>

namespace swf::avm1 {

void NativeRegistry::add(NativeNumber number, NativeCode code, InstanceCode maker) {
    auto same = std::find_if(entries_.begin(), entries_.end(),
                             [&](const Entry& e) { return e.number == number; });
    if (same != entries_.end())
        *same = {number, code, maker};
    else
        entries_.push_back({number, code, maker});
}

void NativeRegistry::addTableDefault(int table, NativeCode code) {
    tableDefaults_.push_back({{table, 0}, code, nullptr});
}

const NativeRegistry::Entry* NativeRegistry::find(int table, int index) const {
    NativeNumber number{table, index};
    for (const Entry& e : entries_)
        if (e.number == number) return &e;
    for (const Entry& e : tableDefaults_)
        if (e.number.table == table) return &e;
    return nullptr;
}

}  // namespace swf::avm1
