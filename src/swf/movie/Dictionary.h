#pragma once
// The movie's characters by id. A later definition with an id already in use is ignored,
// as the original player does.

#include <cstdint>
#include <memory>
#include <unordered_map>

#include "swf/movie/Character.h"

namespace swf {

class Dictionary {
  public:
    // Returns false (and keeps the first) when the id is taken.
    bool add(std::shared_ptr<Character> character) {
        if (!character) return false;
        return characters_.emplace(character->id(), std::move(character)).second;
    }
    // An imported character, under the id the importing movie gives it.
    bool addAs(uint16_t id, std::shared_ptr<Character> character) {
        if (!character) return false;
        return characters_.emplace(id, std::move(character)).second;
    }
    const Character* find(uint16_t id) const {
        auto it = characters_.find(id);
        return it == characters_.end() ? nullptr : it->second.get();
    }
    std::shared_ptr<Character> share(uint16_t id) const {
        auto it = characters_.find(id);
        return it == characters_.end() ? nullptr : it->second;
    }
    // The character with this id if it is of type T (matched by kind), else null.
    template <typename T>
    const T* findAs(uint16_t id) const {
        const Character* c = find(id);
        return c && c->kind() == T::kKind ? static_cast<const T*>(c) : nullptr;
    }
    size_t size() const { return characters_.size(); }
    // Calls `visit` with each character, in no particular order.
    template <typename F>
    void forEach(F&& visit) const {
        for (const auto& [id, character] : characters_) visit(*character);
    }

  private:
    std::unordered_map<uint16_t, std::shared_ptr<Character>> characters_;
};

}  // namespace swf
