#include "swf/movie/SceneLayout.h"

#include <algorithm>
#include <utility>

#include "swf/format/LetterCase.h"
#include "swf/movie/Timeline.h"

namespace swf {

SceneLayout::SceneLayout(const SceneData* data, const Timeline& timeline, int frameCount, std::string name) {
    frameCount = std::max(frameCount, 0);
    const auto clampFrame = [frameCount](uint32_t frame) {
        return static_cast<int>(std::min<uint32_t>(frame, static_cast<uint32_t>(frameCount)));
    };
    if (data && !data->scenes.empty()) {
        for (const SceneData::Entry& s : data->scenes) scenes_.push_back({s.name, clampFrame(s.frame), 0, {}});
        // The tag lists scenes in order; a file that does not is read in frame order.
        std::stable_sort(scenes_.begin(), scenes_.end(),
                         [](const Scene& a, const Scene& b) { return a.first < b.first; });
        for (const SceneData::Entry& l : data->labels)
            if (l.frame < static_cast<uint32_t>(frameCount)) labels_.push_back({l.name, static_cast<int>(l.frame)});
    } else {
        scenes_.push_back({std::move(name), 0, 0, {}});
        const int frames = std::min(frameCount, static_cast<int>(timeline.frames().size()));
        for (int f = 0; f < frames; ++f)
            for (const std::string& label : timeline.frame(f).labels) labels_.push_back({label, f});
    }
    std::stable_sort(labels_.begin(), labels_.end(), [](const Label& a, const Label& b) { return a.frame < b.frame; });
    for (size_t i = 0; i < scenes_.size(); ++i) {
        Scene& scene = scenes_[i];
        const int end = i + 1 < scenes_.size() ? scenes_[i + 1].first : frameCount;
        scene.count = end - scene.first;
        for (const Label& label : labels_)
            if (label.frame >= scene.first && label.frame < end) scene.labels.push_back(label);
    }
}

const SceneLayout::Scene& SceneLayout::sceneAt(int frame) const {
    const Scene* found = &scenes_.front();
    for (const Scene& scene : scenes_)
        if (scene.first <= frame) found = &scene;
    return *found;
}

const SceneLayout::Scene* SceneLayout::find(std::string_view name) const {
    for (const Scene& scene : scenes_)
        if (scene.name == name) return &scene;
    return nullptr;
}

int SceneLayout::findLabel(std::string_view name, const Scene* within) const {
    for (const Label& label : within ? within->labels : labels_)
        if (equalsIgnoringCase(label.name, name)) return label.frame;
    return -1;
}

std::string SceneLayout::labelAt(int frame, bool exactFrame) const {
    std::string found;
    for (const Label& label : labels_) {
        if (label.frame > frame) break;
        if (!exactFrame || label.frame == frame) found = label.name;
    }
    return found;
}

}  // namespace swf
