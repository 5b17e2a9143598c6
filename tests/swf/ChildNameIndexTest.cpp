// Finding a child by name through the display list's index gives what a walk of the list in
// depth order gives, whatever renames, removals, replacements and depth swaps came before.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "TestMovie.h"
#include "swf/display/DisplayList.h"
#include "swf/display/DisplayObjectFactory.h"
#include "swf/format/LetterCase.h"
#include "swf/display/MovieContext.h"
#include "swf/parse/MovieParser.h"

namespace {

namespace st = swftest;

// The player's walk: the first object in depth order whose name matches.
swf::DisplayObject* WalkFor(const swf::DisplayList& list, const std::string& name,
                            bool caseSensitive) {
    if (name.empty()) return nullptr;
    for (const auto& [depth, object] : list.objects())
        if (caseSensitive ? object->name() == name : swf::equalsIgnoringCase(object->name(), name))
            return object.get();
    return nullptr;
}

TEST(ChildNameIndex, AgreesWithTheWalkOverThousandsOfChildren) {
    st::SwfWriter writer;
    writer.defineShape(1, enginetest::Square({255, 0, 0}, 20));
    std::string error;
    const std::vector<uint8_t> bytes = writer.bytes();
    auto movie = swf::MovieParser::parse(bytes, error);
    ASSERT_TRUE(movie) << error;
    swf::MovieContext context(movie);
    swf::DisplayList list(nullptr);

    // Few names in many spellings, so that names repeat and differ only in case.
    const std::vector<std::string> names = {"a", "A", "b", "B", "item", "Item", "ITEM", ""};
    std::mt19937 random(25);
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
    auto depth = [&] { return static_cast<int>(pick(4000)) - 100; };
    auto make = [&](int at) {
        auto object = swf::DisplayObjectFactory::create(context, movie->dictionary, 1, 1);
        object->setDepth(at);
        object->setName(names[pick(names.size())] + std::to_string(pick(3)));
        return object;
    };
    for (int i = 0; i < 3000; ++i) list.place(make(i));

    int checks = 0;
    for (int step = 0; step < 4000; ++step) {
        switch (pick(4)) {
            case 0:  // a new object, often on an occupied depth (replacing what stood there)
                list.place(make(depth()));
                break;
            case 1:
                list.remove(depth());
                break;
            case 2:
                list.swap(depth(), depth());
                break;
            default:
                if (auto object = list.at(depth()))
                    object->setName(names[pick(names.size())] + std::to_string(pick(3)));
                break;
        }
        if (step % 20 != 0) continue;
        for (const std::string& base : names)
            for (int n = 0; n < 3; ++n) {
                const std::string name = base + std::to_string(n);
                for (bool caseSensitive : {false, true}) {
                    ASSERT_EQ(list.named(name, caseSensitive), WalkFor(list, name, caseSensitive))
                        << name << " at step " << step;
                    ++checks;
                }
            }
    }
    EXPECT_GT(checks, 5000);
    EXPECT_EQ(list.named("", false), nullptr);
    list.clear();
    EXPECT_EQ(list.named("a0", false), nullptr);
}

}  // namespace
