#pragma once
// A timeline's scenes and frame labels as ActionScript 3 sees them. The main timeline of a
// movie with scene data (DefineSceneAndFrameLabelData) has its scenes and takes its labels
// from that tag; any other timeline is one scene labelled by its FrameLabel tags.
// Frames are 0-based and counted over the whole timeline here; scripts see them 1-based
// within their scene.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace swf {

class Timeline;

// DefineSceneAndFrameLabelData as read: scene starts and labels, 0-based frames.
struct SceneData {
    struct Entry {
        uint32_t frame = 0;
        std::string name;
    };
    std::vector<Entry> scenes;
    std::vector<Entry> labels;
};

class SceneLayout {
  public:
    struct Label {
        std::string name;
        int frame = 0;
    };
    struct Scene {
        std::string name;
        int first = 0;  // its first frame
        int count = 0;  // its frames
        std::vector<Label> labels;
    };

    // `data` is null for a timeline without scene data, which is one scene named `name`.
    SceneLayout(const SceneData* data, const Timeline& timeline, int frameCount, std::string name = {});

    // Never empty.
    const std::vector<Scene>& scenes() const { return scenes_; }
    // The scene a frame is in (the first scene for frames before it starts).
    const Scene& sceneAt(int frame) const;
    // The scene of that name, or null.
    const Scene* find(std::string_view name) const;
    // The first frame with that label, in `within` or anywhere; -1 when there is none.
    int findLabel(std::string_view name, const Scene* within = nullptr) const;
    // The last label on `frame` or, unless `exactFrame`, on a frame before it; empty when
    // there is none.
    std::string labelAt(int frame, bool exactFrame) const;

  private:
    std::vector<Scene> scenes_;
    std::vector<Label> labels_;  // all of them, by frame
};

}  // namespace swf
