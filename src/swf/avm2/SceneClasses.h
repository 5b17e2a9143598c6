#pragma once
// flash.display's Scene and FrameLabel, and the scenes of a clip's timeline as scripts see
// them: frames numbered from 1 within their scene.

#include "swf/movie/SceneLayout.h"

namespace swf {
class MovieClip;
}

namespace swf::avm2 {

class ArrayObject;
class Machine;
class Object;

void installSceneClasses(Machine& m);

// The clip's scenes: the movie's scene data on the main timeline, else one scene.
SceneLayout scenesOf(Machine& m, const swf::MovieClip& clip);

// A Scene object for `scene`, and an Array of FrameLabel objects for `labels` (frames
// counted from `first`).
Object* newScene(Machine& m, const SceneLayout::Scene& scene);
ArrayObject* newFrameLabels(Machine& m, const std::vector<SceneLayout::Label>& labels, int first);

}  // namespace swf::avm2
