// The collector both script machines share, on a heap of its own objects: each case builds a
// little graph, roots some of it, collects, and lists what survived and what the weak
// holders still hold.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "swf/script/Heap.h"

namespace {

using swf::script::Collectable;
using swf::script::Heap;
using swf::script::Marker;
using swf::script::Rooted;
using swf::script::RootsOf;
using swf::script::ScriptLimitError;

// A named object that records its life in `alive`; `refs` are strong, `weak` is forgotten
// when what it names is not reached otherwise.
class Node : public Collectable {
  public:
    Node(std::set<std::string>& alive, std::string name) : alive_(alive), name_(std::move(name)) {
        alive_.insert(name_);
    }
    ~Node() override { alive_.erase(name_); }
    void trace(Marker& marker) const override {
        for (Node* ref : refs) marker.mark(ref);
    }
    void forgetUnreachable() override {
        std::erase_if(weak, [](const Node* key) { return !key->isMarked(); });
    }
    const std::string& name() const { return name_; }
    std::vector<Node*> refs;
    std::vector<Node*> weak;

  private:
    std::set<std::string>& alive_;
    std::string name_;
};

constexpr size_t kBound = 8;

struct World {
    std::set<std::string> alive;  // before the heap: its objects leave it as they go
    Heap heap{kBound, "too many objects"};
    std::vector<std::unique_ptr<Rooted<Node>>> handles;
    std::vector<Node*> marked;  // what `markRoots` marks while `owner` lives
    std::optional<RootsOf<World>> owner;

    Node* make(const std::string& name, std::vector<Node*> refs = {}) {
        Node* node = heap.make<Node>(alive, name);
        node->refs = std::move(refs);
        return node;
    }
    Rooted<Node>& root(Node* node) { return *handles.emplace_back(std::make_unique<Rooted<Node>>(heap, node)); }
    void markRoots(Marker& marker) const {
        for (Node* node : marked) marker.mark(node);
    }
};

struct Case {
    const char* name;
    std::function<void(World&)> build;  // what is alive and rooted before the collection
    std::set<std::string> survivors;
    std::string weakKept;  // the names the holder "table" still holds, in order
    std::string error;     // what the build threw, if anything
};

std::string WeakNames(World& world) {
    std::string names;
    world.heap.forEachObject([&](const Collectable& object) {
        const auto& node = static_cast<const Node&>(object);
        if (node.name() != "table") return;
        for (const Node* key : node.weak) names += key->name();
    });
    return names;
}

TEST(ScriptHeap, RootsKeepWhatTheyReachWeakHoldersForgetAndTheBoundHolds) {
    const Case cases[] = {
        {"a handle keeps its object and what that reaches; the rest goes",
         [](World& w) {
             w.root(w.make("a", {w.make("b", {w.make("c")})}));
             w.make("d");
         },
         {"a", "b", "c"}, "", ""},
        {"a dropped handle lets its objects go",
         [](World& w) {
             w.root(w.make("a", {w.make("b")}));
             w.handles.clear();
         },
         {}, "", ""},
        {"a handle set to another object lets the first go",
         [](World& w) { w.root(w.make("a")) = w.make("b"); },
         {"b"}, "", ""},
        {"a copy of a handle is a root of its own",
         [](World& w) {
             Rooted<Node> copy = w.root(w.make("a"));
             w.handles.clear();
             w.root(nullptr) = copy;
         },
         {"a"}, "", ""},
        {"a cycle nobody holds is reclaimed; one held is kept whole",
         [](World& w) {
             Node* a = w.make("a");
             a->refs.push_back(w.make("b", {a}));
             Node* c = w.make("c");
             c->refs.push_back(w.make("d", {c}));
             w.root(c);
         },
         {"c", "d"}, "", ""},
        {"the roots an owner marks (RootsOf) count while the member lives",
         [](World& w) {
             w.marked = {w.make("a", {w.make("b")})};
             w.owner.emplace(w.heap, w);
             w.make("c");
         },
         {"a", "b"}, "", ""},
        {"an owner's roots leave with the member",
         [](World& w) {
             w.marked = {w.make("a")};
             w.owner.emplace(w.heap, w);
             w.owner.reset();
         },
         {}, "", ""},
        {"a weak holder forgets keys nothing else reaches and keeps the others",
         [](World& w) {
             Node* table = w.make("table");
             Node* held = w.make("k");
             table->weak = {w.make("x"), held, w.make("y")};
             w.heap.watchWeak(table);
             w.root(table);
             w.root(held);
         },
         {"table", "k"},
         "k", ""},
        {"a weak holder nobody reaches goes; its keys held elsewhere stay",
         [](World& w) {
             Node* table = w.make("table");
             Node* held = w.make("k");
             table->weak = {held};
             w.heap.watchWeak(table);
             w.root(held);
         },
         {"k"}, "", ""},
        {"strong references from a weak holder keep their targets",
         [](World& w) {
             Node* key = w.make("k");
             Node* table = w.make("table", {key});
             table->weak = {key, w.make("x")};
             w.heap.watchWeak(table);
             w.root(table);
         },
         {"table", "k"},
         "k", ""},
        {"making more objects than the bound throws and keeps those made",
         [](World& w) {
             Node* first = w.make("n0");
             w.root(first);
             for (size_t i = 1; i <= kBound; ++i) w.make("n" + std::to_string(i));
         },
         {"n0"},
         "",
         "too many objects"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        World world;
        std::string error;
        try {
            c.build(world);
        } catch (const ScriptLimitError& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.error);
        world.heap.collect();
        EXPECT_EQ(world.alive, c.survivors);
        EXPECT_EQ(world.heap.objectCount(), c.survivors.size());
        EXPECT_EQ(WeakNames(world), c.weakKept);
    }
}

TEST(ScriptHeap, HandlesOutlivingTheirHeapPointNowhere) {
    std::set<std::string> alive;
    std::optional<Rooted<Node>> late;
    {
        Heap heap{kBound, "too many objects"};
        late.emplace(heap, heap.make<Node>(alive, "a"));
    }
    EXPECT_TRUE(alive.empty());
    // Copies and reassignments of a handle whose heap ended touch no heap.
    Rooted<Node> copy = *late;
    copy = *late;
    late.reset();
}

}  // namespace
