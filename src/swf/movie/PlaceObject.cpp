#include "swf/movie/PlaceObject.h"

namespace swf {
namespace {

template <typename T>
void take(const std::optional<T>& from, std::optional<T>& into) {
    if (from) into = from;
}

}  // namespace

void PlaceObject::mergeInto(PlaceObject& state) const {
    state.depth = depth;
    take(characterId, state.characterId);
    take(matrix, state.matrix);
    take(colorTransform, state.colorTransform);
    take(ratio, state.ratio);
    take(name, state.name);
    take(clipDepth, state.clipDepth);
    take(blendMode, state.blendMode);
    take(filters, state.filters);
    take(cacheAsBitmap, state.cacheAsBitmap);
    take(className, state.className);
    take(visible, state.visible);
    take(opaqueBackground, state.opaqueBackground);
    if (clipActions) state.clipActions = clipActions;
}

}  // namespace swf
