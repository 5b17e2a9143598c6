#include "swf/avm2/SceneClasses.h"

#include "swf/avm2/ArrayObject.h"
#include "swf/avm2/NativeSupport.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"

namespace swf::avm2 {

namespace {

class FrameLabelObject : public Object {
  public:
    using Object::Object;
    std::string name;
    int frame = 0;  // 1-based within its scene
};

class SceneObject : public Object {
  public:
    using Object::Object;
    std::string name;
    int numFrames = 0;
    std::vector<SceneLayout::Label> labels;  // 1-based within the scene
};

template <class T>
ClassObject* defineDataClass(Machine& m, const char* name) {
    ClassObject* cls = m.defineClass("flash.display", name, m.builtins().object);
    cls->allocate = [](Machine& m, ClassObject* c) -> Object* { return m.heap().make<T>(c, c->prototype); };
    cls->sealed = true;
    return cls;
}

}  // namespace

SceneLayout scenesOf(Machine& m, const swf::MovieClip& clip) {
    const MovieContext& context = bridgeOf(m).context();
    const bool root = &clip == static_cast<const swf::DisplayObject*>(context.root());
    const SceneData* data = root && context.movie().sceneData ? &*context.movie().sceneData : nullptr;
    // The main timeline's one scene has the name the authoring tool gives a first scene; a
    // sprite's has none.
    return SceneLayout(data, clip.timeline(), clip.frameCount(), root ? "Scene 1" : "");
}

ArrayObject* newFrameLabels(Machine& m, const std::vector<SceneLayout::Label>& labels, int first) {
    const Value cls = Value::object(m.findClass("flash.display::FrameLabel"));
    std::vector<Value> items;
    for (const SceneLayout::Label& label : labels) {
        const Value args[] = {Value::string(label.name), Value::number(label.frame - first + 1)};
        items.push_back(m.construct(cls, args));
    }
    return m.newArray(std::move(items));
}

Object* newScene(Machine& m, const SceneLayout::Scene& scene) {
    const Value args[] = {Value::string(scene.name), Value::object(newFrameLabels(m, scene.labels, scene.first)),
                          Value::number(scene.count)};
    return m.construct(Value::object(m.findClass("flash.display::Scene")), args).asObject();
}

void installSceneClasses(Machine& m) {
    ClassObject* label = defineDataClass<FrameLabelObject>(m, "FrameLabel");
    label->nativeInitializer = [](Machine& m, const Value& self, std::span<const Value> args) {
        auto& object = nativeSelf<FrameLabelObject>(m, self);
        object.name = m.toString(argAt(args, 0));
        object.frame = m.toInt(argAt(args, 1));
        return Value();
    };
    m.defineAccessor(label, "name", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::string(nativeSelf<FrameLabelObject>(m, self).name);
    });
    m.defineAccessor(label, "frame", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(nativeSelf<FrameLabelObject>(m, self).frame);
    });

    ClassObject* scene = defineDataClass<SceneObject>(m, "Scene");
    scene->nativeInitializer = [](Machine& m, const Value& self, std::span<const Value> args) {
        auto& object = nativeSelf<SceneObject>(m, self);
        object.name = m.toString(argAt(args, 0));
        if (Object* list = argAt(args, 1).asObject())
            for (size_t i = 0; i < list->indexedLength(); ++i)
                if (auto* item = dynamic_cast<FrameLabelObject*>(list->indexedItem(i).asObject()))
                    object.labels.push_back({item->name, item->frame});
        object.numFrames = m.toInt(argAt(args, 2));
        return Value();
    };
    m.defineAccessor(scene, "name", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::string(nativeSelf<SceneObject>(m, self).name);
    });
    m.defineAccessor(scene, "numFrames", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(nativeSelf<SceneObject>(m, self).numFrames);
    });
    m.defineAccessor(scene, "labels", [](Machine& m, const Value& self, std::span<const Value>) {
        // Labels are kept counted within the scene already.
        return Value::object(newFrameLabels(m, nativeSelf<SceneObject>(m, self).labels, 1));
    });
}

}  // namespace swf::avm2
