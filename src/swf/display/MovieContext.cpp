#include "swf/display/MovieContext.h"

#include <algorithm>

#include "swf/action/ActionRunner.h"
#include "swf/display/DisplayList.h"
#include "swf/display/MovieClip.h"
#include "swf/movie/ClipEvent.h"
#include "swf/format/LetterCase.h"

namespace swf {

void MovieContext::enqueue(QueuedAction entry) {
    entry.serial = ++queued_;
    queues_[static_cast<size_t>(entry.kind)].push_back(std::move(entry));
}

void MovieContext::queueActions(const std::shared_ptr<MovieClip>& clip,
                                const std::vector<uint8_t>& code) {
    enqueue({QueuedAction::Kind::Frame, clip, &code, 0, {}, 0});
}

void MovieContext::queueCallback(std::function<void()> callback) {
    QueuedAction entry;
    entry.kind = QueuedAction::Kind::Callback;
    entry.callback = std::move(callback);
    enqueue(std::move(entry));
}

MovieClip* MovieContext::level(int number) const {
    if (number == 0) return root_;
    auto it = levels_.find(number);
    return it == levels_.end() ? nullptr : it->second.get();
}

std::shared_ptr<MovieClip> MovieContext::setLevel(int number, std::shared_ptr<MovieClip> root) {
    std::shared_ptr<MovieClip> old = removeLevel(number);
    if (number > 0 && number <= kMaxLevel && root) levels_[number] = std::move(root);
    return old;
}

std::shared_ptr<MovieClip> MovieContext::removeLevel(int number) {
    auto it = levels_.find(number);
    if (it == levels_.end()) return nullptr;
    std::shared_ptr<MovieClip> old = std::move(it->second);
    levels_.erase(it);
    return old;
}

void MovieContext::swapLevels(int a, int b) {
    if (a <= 0 || b <= 0 || a == b) return;
    std::shared_ptr<MovieClip> first = removeLevel(a);
    std::shared_ptr<MovieClip> second = removeLevel(b);
    if (first) {
        first->setDepth(b);
        levels_[b] = std::move(first);
    }
    if (second) {
        second->setDepth(a);
        levels_[a] = std::move(second);
    }
}

int MovieContext::levelOf(const DisplayObject* object) const {
    if (!object) return -1;
    if (object == static_cast<const DisplayObject*>(root_)) return 0;
    for (const auto& [number, clip] : levels_)
        if (static_cast<const DisplayObject*>(clip.get()) == object) return number;
    return -1;
}

bool MovieContext::takeFirstOf(std::span<const QueuedAction::Kind> kinds, QueuedAction& next) {
    std::deque<QueuedAction>* first = nullptr;
    for (QueuedAction::Kind kind : kinds) {
        std::deque<QueuedAction>& queue = queues_[static_cast<size_t>(kind)];
        if (!queue.empty() && (!first || queue.front().serial < first->front().serial))
            first = &queue;
    }
    if (!first) return false;
    next = std::move(first->front());
    first->pop_front();
    return true;
}

void MovieContext::queueInitActions(const std::shared_ptr<MovieClip>& root,
                                    const std::vector<uint8_t>& code) {
    enqueue({QueuedAction::Kind::Init, root, &code, 0, {}, 0});
}

void MovieContext::queueInitialize(const std::shared_ptr<DisplayObject>& object) {
    if (runner_) enqueue({QueuedAction::Kind::Init, object, nullptr, kClipInitialize, {}, 0});
}

void MovieContext::queueConstruct(const std::shared_ptr<DisplayObject>& object) {
    if (runner_) enqueue({QueuedAction::Kind::Construct, object, nullptr, kClipConstruct, {}, 0});
}

void MovieContext::requeueLoad(const DisplayObject& object) {
    std::deque<QueuedAction>& events = queues_[static_cast<size_t>(QueuedAction::Kind::Event)];
    auto it = std::find_if(events.begin(), events.end(), [&](const QueuedAction& entry) {
        return entry.object.get() == &object && entry.event == kClipLoad;
    });
    if (it == events.end()) return;
    QueuedAction entry = std::move(*it);
    events.erase(it);
    enqueue(std::move(entry));
}

void MovieContext::queueEvent(const std::shared_ptr<DisplayObject>& object, uint32_t event) {
    enqueue({QueuedAction::Kind::Event, object, nullptr, event, {}, 0});
}

bool MovieContext::startUnload(DisplayObject& object) {
    if (runner_) runner_->objectLeaving(object);
    if (!queueUnloads(object)) return false;
    unloading_.push_back(object.weak_from_this());
    return true;
}

bool MovieContext::queueUnloads(DisplayObject& object) {
    if (!runner_ || object.unloadQueued()) return false;
    // The whole subtree unloads now, children before their parent, each once.
    bool handled = false;
    std::vector<int> unhandled;
    DisplayList* children = object.children();
    if (children)
        for (const auto& [depth, child] : children->objects()) {
            if (queueUnloads(*child))
                handled = true;
            else
                unhandled.push_back(depth);
        }
    object.setUnloadQueued();
    queueEvent(object.shared_from_this(), kClipUnload);
    if (!runner_->hasUnloadHandler(object) && !handled) return false;
    // It waits for its handlers; of its children only those with handlers of their own below
    // them wait with it, the others go at once.
    for (int depth : unhandled) children->remove(depth);
    return true;
}

void MovieContext::finishUnloads() {
    std::vector<std::weak_ptr<DisplayObject>> waiting;
    waiting.swap(unloading_);
    for (const auto& weak : waiting) {
        auto object = weak.lock();
        DisplayObject* parent = object ? object->parent() : nullptr;
        DisplayList* list = parent ? parent->children() : nullptr;
        if (list) list->removeWaiting(*object);
    }
}

void MovieContext::objectPlaced(DisplayObject& object) {
    if (runner_) runner_->objectPlaced(object);
}

void MovieContext::frameEntered(MovieClip& clip, int frame) {
    if (runner_) runner_->frameEntered(clip, frame);
}

bool MovieContext::takeInitFrame(int frame) {
    if (frame < 0) return false;
    size_t index = static_cast<size_t>(frame);
    if (index >= initFramesDone_.size()) initFramesDone_.resize(index + 1, false);
    if (initFramesDone_[index]) return false;
    initFramesDone_[index] = true;
    return true;
}

std::vector<std::shared_ptr<MovieClip>> MovieContext::clipsNewestFirst() {
    std::vector<std::shared_ptr<MovieClip>> alive;
    std::vector<std::weak_ptr<MovieClip>> kept;
    alive.reserve(clips_.size());
    kept.reserve(clips_.size());
    for (const auto& weak : clips_) {
        if (auto clip = weak.lock()) {
            kept.push_back(weak);
            alive.push_back(std::move(clip));
        }
    }
    clips_ = std::move(kept);
    std::reverse(alive.begin(), alive.end());
    return alive;
}

void MovieContext::runFsCommand(const std::string& command, const std::string& args) {
    if (equalsIgnoringCase(command, "quit"))
        quitRequested_ = true;
    else if (fsCommand)
        fsCommand(command, args);
}

}  // namespace swf
