// libFuzzer entry for the interpreter: the input is action bytecode, run from the frames of a
// small movie that has a named clip on stage and an exported symbol, so that scripts can
// reach clips, attach, duplicate and remove them while the timeline plays and rewinds.
//
// Input: the first byte picks SWF version 6, 7 or 8; the rest is cut into up to six action
// lists, each ending after a top-level ActionEnd (0x00), the last taking what remains:
//   0..2  DoAction of main frames 1..3 (frame 2 is labelled "two")
//   3     DoAction of the symbol's first frame (the symbol is exported as "sym" and placed
//         on frame 1 at depth 1 as "clip")
//   4     clip actions of "clip" for load, enterFrame and unload
//   5     DoInitAction of the symbol
// Run with KINETROPE_FUZZ_ACTION_SEEDS=DIR to write the seed inputs into DIR and exit, and
// with KINETROPE_FUZZ_ACTION_TRACE=1 to see the trace lines of the inputs it runs.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSwf.h"
#include "swf/player/Player.h"

namespace {

using namespace fuzzswf;

void putTranslate(Bytes& out, int x, int y) {
    BitSink bits(out);
    bits.put(0, 2);  // no scale, no rotation
    bits.put(15, 5);
    bits.put(x, 15);
    bits.put(y, 15);
}

// A 20-pixel red square.
Bytes squareShape() {
    Bytes body;
    putU16(body, 1);
    putRect(body, 400, 400);
    body.insert(body.end(), {1, 0x00, 0xff, 0x00, 0x00, 0});  // one solid fill, no lines
    body.push_back(0x10);                                     // 1 fill bit, 0 line bits
    BitSink bits(body);
    bits.put(0b001001, 6);  // style change: fill style 1 and a move
    bits.put(1, 5);
    bits.put(0, 1);
    bits.put(0, 1);
    bits.put(1, 1);
    const int edges[4][2] = {{400, 0}, {0, 400}, {-400, 0}, {0, -400}};
    for (const auto& edge : edges) {
        bits.put(0b11, 2);  // straight edge
        bits.put(10 - 2, 4);
        bits.put(1, 1);  // general line
        bits.put(edge[0], 10);
        bits.put(edge[1], 10);
    }
    bits.put(0, 6);  // end of shape
    return body;
}

// Cuts the actions after the version byte into lists, each ending after a top-level
// ActionEnd; record lengths are followed so that payload bytes never cut a list.
std::vector<std::span<const uint8_t>> splitLists(std::span<const uint8_t> data) {
    constexpr size_t kLists = 6;
    std::vector<std::span<const uint8_t>> lists;
    size_t start = 0;
    size_t at = 0;
    while (at < data.size() && lists.size() + 1 < kLists) {
        const uint8_t code = data[at++];
        if (code == 0) {
            lists.push_back(data.subspan(start, at - start));
            start = at;
        } else if (code >= 0x80) {
            const size_t length = at + 1 < data.size() ? data[at] | data[at + 1] << 8 : 0;
            at = std::min(data.size(), at + 2 + length);
        }
    }
    if (start < data.size()) lists.push_back(data.subspan(start));
    lists.resize(kLists);
    return lists;
}

Bytes buildMovie(std::span<const uint8_t> data) {
    const int version = 6 + (data.empty() ? 0 : data[0] % 3);
    const auto lists = splitLists(data.empty() ? data : data.subspan(1));
    const auto actions = [&](size_t index) {
        return Bytes(lists[index].begin(), lists[index].end());
    };

    Bytes tags;
    putTag(tags, 9, {0xff, 0xff, 0xff});  // SetBackgroundColor
    putTag(tags, 2, squareShape());       // DefineShape 1

    Bytes sprite;  // DefineSprite 2: the square on frame 1, two frames
    putU16(sprite, 2);
    putU16(sprite, 2);
    putTag(sprite, 26, {0x06, 1, 0, 1, 0, 0x00});  // PlaceObject2 of shape 1 at depth 1
    putTag(sprite, 12, actions(3));
    putShowFrame(sprite);
    putShowFrame(sprite);
    putTag(sprite, 0, {});
    putTag(tags, 39, sprite);

    Bytes exports;
    putU16(exports, 1);
    putU16(exports, 2);
    putString(exports, "sym");
    putTag(tags, 56, exports);

    Bytes init;
    putU16(init, 2);
    const Bytes initActions = actions(5);
    init.insert(init.end(), initActions.begin(), initActions.end());
    putTag(tags, 59, init);

    Bytes place;  // PlaceObject2: symbol 2 at depth 1, moved, named, with clip actions
    place.push_back(0x80 | 0x20 | 0x04 | 0x02);
    putU16(place, 1);
    putU16(place, 2);
    putTranslate(place, 200, 200);
    putString(place, "clip");
    putU16(place, 0);
    const uint32_t events = 0x07;  // load, enterFrame, unload (first byte of the flags)
    putU32(place, events);
    putU32(place, events);
    const Bytes eventActions = actions(4);
    putU32(place, static_cast<uint32_t>(eventActions.size()));
    place.insert(place.end(), eventActions.begin(), eventActions.end());
    putU32(place, 0);
    putTag(tags, 26, place);

    for (size_t frame = 0; frame < 3; ++frame) {
        if (frame == 1) {
            Bytes label;
            putString(label, "two");
            putTag(tags, 43, label);
        }
        putTag(tags, 12, actions(frame));
        putShowFrame(tags);
    }
    putTag(tags, 0, {});

    return fuzzswf::movie(static_cast<uint8_t>(version), 2000, 1500, 3, tags);
}

// Action bytes for the seeds, laid out as a compiler would.
class Asm {
  public:
    Bytes bytes;

    Asm& op(uint8_t code) {
        bytes.push_back(code);
        return *this;
    }
    Asm& s(std::string_view text) {
        return push(0, [&] { putString(bytes, text); });
    }
    Asm& i(int32_t value) {
        return push(7, [&] { putU32(bytes, static_cast<uint32_t>(value)); });
    }
    Asm& d(double value) {  // high word first
        uint64_t raw;
        std::memcpy(&raw, &value, 8);
        return push(6, [&] {
            putU32(bytes, static_cast<uint32_t>(raw >> 32));
            putU32(bytes, static_cast<uint32_t>(raw));
        });
    }
    Asm& b(bool value) {
        return push(5, [&] { bytes.push_back(value); });
    }
    Asm& null() {
        return push(2, [] {});
    }
    Asm& undef() {
        return push(3, [] {});
    }
    Asm& reg(uint8_t index) {
        return push(4, [&] { bytes.push_back(index); });
    }
    Asm& c(uint8_t index) {
        return push(8, [&] { bytes.push_back(index); });
    }

    Asm& get(std::string_view name) { return s(name).op(0x1C); }
    Asm& trace() { return op(0x26); }
    Asm& pop() { return op(0x17); }
    // Calls with the arguments already pushed, last first.
    Asm& call(std::string_view name, int args) { return i(args).s(name).op(0x3D); }
    Asm& method(std::string_view object, std::string_view name, int args) {
        return i(args).get(object).s(name).op(0x52);
    }
    Asm& end() { return op(0x00); }

    Asm& pool(std::initializer_list<std::string_view> names) {
        const size_t at = begin(0x88);
        putU16(bytes, static_cast<unsigned>(names.size()));
        for (auto name : names) putString(bytes, name);
        return close(at);
    }
    Asm& store(uint8_t index) {
        const size_t at = begin(0x87);
        bytes.push_back(index);
        return close(at);
    }
    Asm& label(uint8_t code, std::string_view text) {  // SetTarget, GotoLabel
        const size_t at = begin(code);
        putString(bytes, text);
        return close(at);
    }

    size_t here() const { return bytes.size(); }
    // A forward Jump or If whose offset `land` fills in.
    size_t jump(uint8_t code) {
        op(code);
        putU16(bytes, 2);
        putU16(bytes, 0);
        return bytes.size() - 2;
    }
    void land(size_t offsetAt) { patch(offsetAt, bytes.size() - (offsetAt + 2)); }
    Asm& jumpBack(uint8_t code, size_t target) {
        const size_t offsetAt = jump(code);
        patch(offsetAt, static_cast<size_t>(target - (offsetAt + 2)));
        return *this;
    }

    // DefineFunction and DefineFunction2; the body follows and `endBlock` closes it.
    size_t function(std::string_view name, std::initializer_list<std::string_view> params) {
        const size_t at = begin(0x9B);
        putString(bytes, name);
        putU16(bytes, static_cast<unsigned>(params.size()));
        for (auto param : params) putString(bytes, param);
        putU16(bytes, 0);
        close(at);
        return bytes.size() - 2;
    }
    // Parameters go to registers 1, 2, ...
    size_t function2(std::string_view name, std::initializer_list<std::string_view> params,
                     uint8_t registers, uint16_t flags) {
        const size_t at = begin(0x8E);
        putString(bytes, name);
        putU16(bytes, static_cast<unsigned>(params.size()));
        bytes.push_back(registers);
        putU16(bytes, flags);
        uint8_t index = 1;
        for (auto param : params) {
            bytes.push_back(index++);
            putString(bytes, param);
        }
        putU16(bytes, 0);
        close(at);
        return bytes.size() - 2;
    }
    size_t with() {
        op(0x94);
        putU16(bytes, 2);
        putU16(bytes, 0);
        return bytes.size() - 2;
    }
    void endBlock(size_t sizeAt) { patch(sizeAt, bytes.size() - (sizeAt + 2)); }

    // Try with catch and finally: call endBlock on try, then catch, then finally sizes.
    struct Try {
        size_t tryAt, catchAt, finallyAt;
    };
    Try tryBlock(std::string_view catchName) {
        const size_t at = begin(0x8F);
        bytes.push_back(0x03);
        const size_t sizes = bytes.size();
        for (int k = 0; k < 3; ++k) putU16(bytes, 0);
        putString(bytes, catchName);
        close(at);
        return {sizes, sizes + 2, sizes + 4};
    }
    // The sizes count from the end of the record and from each other's blocks.
    void endTry(size_t sizeAt, size_t blockStart) { patch(sizeAt, bytes.size() - blockStart); }

  private:
    template <typename Payload>
    Asm& push(uint8_t type, Payload payload) {
        const size_t at = begin(0x96);
        bytes.push_back(type);
        payload();
        return close(at);
    }
    size_t begin(uint8_t code) {
        op(code);
        putU16(bytes, 0);
        return bytes.size() - 2;
    }
    Asm& close(size_t lengthAt) {
        patch(lengthAt, bytes.size() - (lengthAt + 2));
        return *this;
    }
    void patch(size_t at, size_t value) {
        bytes[at] = value & 0xff;
        bytes[at + 1] = value >> 8 & 0xff;
    }
};

// A while loop over `body` with `name` counting from 0 to `count`.
void countedLoop(Asm& a, std::string_view name, int count, void (*body)(Asm&)) {
    a.s(name).i(0).op(0x1D);
    const size_t top = a.here();
    a.get(name).i(count).op(0x48).op(0x12);  // !(name < count)
    const size_t exit = a.jump(0x9D);
    body(a);
    a.s(name).get(name).op(0x50).op(0x1D);
    a.jumpBack(0x99, top);
    a.land(exit);
}

// for (k in object) trace(k), with the object on the stack.
void traceNames(Asm& a) {
    a.op(0x55);
    const size_t top = a.here();
    a.store(0).null().op(0x49);
    const size_t exit = a.jump(0x9D);
    a.reg(0).trace();
    a.jumpBack(0x99, top);
    a.land(exit);
}

Bytes seedLoops() {
    Asm a;
    a.op(0);  // SWF 6
    countedLoop(a, "i", 10, [](Asm& body) { body.get("i").trace(); });
    a.end();
    a.s("t").s("").op(0x1D);  // t grows until 40 characters
    const size_t top = a.here();
    a.get("t").op(0x14).i(40).op(0x48).op(0x12);
    const size_t exit = a.jump(0x9D);
    a.s("t").get("t").s("ab").op(0x21).op(0x1D);
    a.jumpBack(0x99, top);
    a.land(exit);
    a.get("t").trace().end();
    a.get("_root").get("_root");
    traceNames(a);
    a.pop();
    a.s("r").get("r").op(0x50).op(0x1D);  // every other round, frame 2 again by its label
    a.get("r").i(2).op(0x3F);
    const size_t skip = a.jump(0x9D);
    a.label(0x8C, "two");
    a.land(skip);
    a.end();
    return a.bytes;
}

Bytes seedFunctions() {
    Asm a;
    a.op(1);  // SWF 7
    size_t body = a.function("add", {"a", "b"});
    a.get("a").get("b").op(0x47).op(0x3E);
    a.endBlock(body);
    a.i(3).i(2).call("add", 2).trace();
    // fact(n), n in register 1, without this, arguments or super
    body = a.function2("fact", {"n"}, 2, 0x2A);
    a.reg(1).i(1).op(0x67).op(0x12);
    const size_t base = a.jump(0x9D);
    a.reg(1).reg(1).i(1).op(0x0B).call("fact", 1).op(0x0C).op(0x3E);
    a.land(base);
    a.i(1).op(0x3E);
    a.endBlock(body);
    a.i(10).call("fact", 1).trace();
    a.s("o").i(0).s("Object").op(0x40).op(0x1D);
    a.get("o").s("k").i(5).op(0x4F);
    a.get("o").s("m");
    body = a.function("", {"x"});
    a.get("this").s("k").op(0x4E).get("x").op(0x47).op(0x3E);
    a.endBlock(body);
    a.op(0x4F);
    a.i(1).method("o", "m", 1).trace().end();
    // arguments, then a recursion that only the call depth bound stops
    body = a.function("count", {});
    a.get("arguments").s("length").op(0x4E).op(0x3E);
    a.endBlock(body);
    a.s("c").s("b").s("a").call("count", 3).trace();
    body = a.function("deep", {"n"});
    a.get("n").i(1).op(0x47).call("deep", 1).op(0x3E);
    a.endBlock(body);
    a.i(0).call("deep", 1).trace().end();
    // a class: Q extends P, Q registered for the exported symbol
    body = a.function("P", {});
    a.get("this").s("v").i(1).op(0x4F);
    a.endBlock(body);
    a.get("P").s("prototype").op(0x4E).s("getV");
    body = a.function("", {});
    a.get("this").s("v").op(0x4E).op(0x3E);
    a.endBlock(body);
    a.op(0x4F);
    body = a.function("Q", {});
    a.get("this").s("w").i(2).op(0x4F);
    a.endBlock(body);
    a.get("Q").get("P").op(0x69);
    a.get("Q").s("sym").i(2).get("Object").s("registerClass").op(0x52).pop();
    a.s("q").i(0).s("Q").op(0x40).op(0x1D);
    a.method("q", "getV", 0).trace();
    a.get("q").get("P").op(0x54).trace();
    a.i(30).s("q1").s("sym").i(3).get("_root").s("attachMovie").op(0x52).s("w").op(0x4E).trace();
    a.end();
    return a.bytes;
}

Bytes seedTry() {
    Asm a;
    a.op(2);  // SWF 8
    auto t = a.tryBlock("e");
    size_t start = a.here();
    a.s("in").trace().s("boom").op(0x2A);
    a.endTry(t.tryAt, start);
    start = a.here();
    a.get("e").trace();
    a.endTry(t.catchAt, start);
    start = a.here();
    a.s("finally").trace();
    a.endTry(t.finallyAt, start);
    a.end();
    // an Error thrown from a function, caught around the call
    size_t body = a.function("fail", {"why"});
    a.get("why").i(1).s("Error").op(0x40).op(0x2A);
    a.endBlock(body);
    t = a.tryBlock("err");
    start = a.here();
    a.s("bad").call("fail", 1).pop();
    a.endTry(t.tryAt, start);
    start = a.here();
    a.get("err").s("message").op(0x4E).trace();
    a.endTry(t.catchAt, start);
    start = a.here();
    a.i(0).call("fail", 0).pop();  // a throw out of finally
    a.endTry(t.finallyAt, start);
    a.end();
    a.s("uncaught").op(0x2A).s("not reached").trace().end();
    return a.bytes;
}

Bytes seedWith() {
    Asm a;
    a.op(0);
    a.get("clip");
    size_t block = a.with();
    a.s("_x").i(50).op(0x1D).get("_name").trace();
    a.i(2).call("gotoAndStop", 1).pop();
    a.endBlock(block);
    a.s("o").s("a").i(1).i(1).op(0x43).op(0x1D);
    a.get("o");
    block = a.with();
    a.s("a").i(2).op(0x1D).s("b").i(3).op(0x1D);
    a.endBlock(block);
    a.get("o").s("a").op(0x4E).trace().get("b").trace().end();
    a.label(0x8B, "clip").op(0x04).op(0x06).label(0x8B, "");  // tellTarget
    a.get("clip").op(0x20).op(0x07).s("").op(0x20);
    a.s("clip").i(0).op(0x22).trace();  // getProperty(clip, _x)
    a.s("clip").i(10).i(45).op(0x23);   // setProperty(clip, _rotation, 45)
    a.end();
    return a.bytes;
}

Bytes seedObjects() {
    Asm a;
    a.op(1);
    a.s("a").d(3.5).s("two").i(1).i(3).op(0x42).op(0x1D);
    a.i(4).method("a", "push", 1).pop();
    a.s("-").method("a", "join", 1).trace();
    a.get("a").s("length").op(0x4E).trace();
    a.method("a", "sort", 0).pop().method("a", "reverse", 0).pop();
    a.s("o").s("x").i(1).s("y").get("a").get("a").i(2).op(0x42).i(2).op(0x43).op(0x1D);
    a.get("o");
    traceNames(a);
    a.get("o").s("x").op(0x3A).trace();
    a.s(" ").i(1).s("hello big world").s("split").op(0x52).s("length").op(0x4E).trace();
    a.i(3).i(1).i(2).s("hello").s("substr").op(0x52).trace();
    a.get("a").s("10").i(100).op(0x4F);  // a sparse array
    a.get("a").s("length").op(0x4E).trace();
    a.end();
    a.pool({"x", "Math", "floor", "typeof"});
    a.c(0).i(7).op(0x1D);
    a.d(2.7).i(1).c(1).op(0x1C).c(2).op(0x52).trace();
    a.i(255).i(3).op(0x63).trace().i(-8).i(1).op(0x65).trace();
    a.c(0).op(0x1C).op(0x44).trace();
    a.i(42).store(1).pop().reg(1).op(0x18).trace();
    a.s("abc").s("abd").op(0x68).trace();
    a.i(1).i(0).i(2000).i(3).s("Date").op(0x40).i(0).op(0x4D).s("getDay").op(0x52).trace();
    a.end();
    return a.bytes;
}

Bytes seedClips() {
    Asm a;
    a.op(2);
    a.i(5).s("e").i(2).get("_root").s("createEmptyMovieClip").op(0x52).pop();
    a.i(0xff0000).method("e", "beginFill", 1).pop();
    a.i(0).i(0).method("e", "moveTo", 2).pop();
    a.i(0).i(40).method("e", "lineTo", 2).pop();
    a.i(40).i(40).method("e", "lineTo", 2).pop();
    a.method("e", "endFill", 0).pop();
    a.i(6).s("att").s("sym").i(3).get("_root").s("attachMovie").op(0x52).pop();
    a.get("att").s("_x").i(100).op(0x4F);
    a.s("clip").s("dup").i(16391).op(0x24);  // duplicateMovieClip("clip", "dup", 7)
    a.i(8).s("dup2").method("clip", "duplicateMovieClip", 2).pop();
    a.get("dup2").s("_name").op(0x4E).trace();
    a.end();
    a.s("dup").op(0x25);  // removeMovieClip("dup")
    a.method("dup2", "removeMovieClip", 0).pop();
    a.method("att", "removeMovieClip", 0).pop();
    a.get("att").trace();
    a.get("clip").method("e", "swapDepths", 1).pop();
    a.i(2).method("clip", "gotoAndStop", 1).pop();
    a.end();
    a.method("clip", "removeMovieClip", 0).pop();  // its unload event runs
    a.i(1).s("clip").s("sym").i(3).get("_root").s("attachMovie").op(0x52).pop();
    a.get("clip").trace().end();
    a.get("_name")
        .trace()
        .i(9)
        .s("inner")
        .i(2)
        .get("this")
        .s("createEmptyMovieClip")
        .op(0x52)
        .trace();
    a.end();
    a.s("_x").get("_x").i(1).op(0x47).op(0x1D).get("_x").trace().end();
    a.s("_global").op(0x1C).s("inited").b(true).op(0x4F).end();
    return a.bytes;
}

Bytes seedIntervals() {
    Asm a;
    a.op(0);
    a.get("started");
    const size_t skip = a.jump(0x9D);
    a.s("started").b(true).op(0x1D).s("n").i(0).op(0x1D);
    a.s("id").i(10);
    size_t body = a.function("", {});
    a.s("n").get("n").op(0x50).op(0x1D).s("tick ").get("n").op(0x47).trace();
    a.get("n").i(5).op(0x48);
    const size_t keep = a.jump(0x9D);
    a.get("id").call("clearInterval", 1).pop();
    a.land(keep);
    a.endBlock(body);
    a.call("setInterval", 2).op(0x1D);
    a.s("o").s("m");
    body = a.function("", {"x"});
    a.get("x").trace();
    a.endBlock(body);
    a.i(1).op(0x43).op(0x1D);
    a.s("id2").s("arg").i(30).s("m").get("o").call("setInterval", 4).op(0x1D);
    a.s("t").i(20);
    body = a.function("", {});
    a.s("timeout").trace().undef().null().op(0x0A).trace();
    a.endBlock(body);
    a.call("setTimeout", 2).op(0x1D);
    a.land(skip);
    a.end();
    // An interval that spins until its action budget is used up; frame 3 clears it before it
    // is due, unless a mutation gets in the way.
    a.s("busy").i(0);
    body = a.function("", {});
    const size_t top = a.here();
    a.jumpBack(0x99, top);
    a.endBlock(body);
    a.call("setInterval", 2).op(0x1D).end();
    a.get("id2").call("clearInterval", 1).pop().get("busy").call("clearInterval", 1).pop().end();
    return a.bytes;
}

void writeSeeds(const std::string& folder) {
    const std::pair<const char*, Bytes> seeds[] = {
        {"loops", seedLoops()},         {"functions", seedFunctions()}, {"try", seedTry()},
        {"with", seedWith()},           {"objects", seedObjects()},     {"clips", seedClips()},
        {"intervals", seedIntervals()},
    };
    for (const auto& [name, bytes] : seeds) {
        std::ofstream out(folder + "/actions-" + name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
}

bool showTrace = false;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    showTrace = std::getenv("KINETROPE_FUZZ_ACTION_TRACE") != nullptr;
    if (const char* folder = std::getenv("KINETROPE_FUZZ_ACTION_SEEDS")) {
        writeSeeds(folder);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Bytes movie = buildMovie(std::span<const uint8_t>(data, size));
    swf::Player player;
    // An action list that used up its action budget took seconds under the sanitizers; the
    // ticks after it would mostly repeat that, so the run ends with the tick it happened in.
    bool ranTooLong = false;
    player.SetTraceSink([&ranTooLong](const std::string& line) {
        if (line.find("ran too long") != std::string::npos) ranTooLong = true;
        if (showTrace) std::cout << line << '\n';
    });
    if (!player.LoadMovieFromMemory(movie)) return 0;
    for (int tick = 0; tick < 6 && !ranTooLong; ++tick) player.advanceFrame();
    if (!ranTooLong) player.GotoFrame(0);
    for (int tick = 0; tick < 3 && !ranTooLong; ++tick) player.advanceFrame();
    // One small picture, for whatever the scripts drew or moved.
    player.SetViewSize(32, 24);
    std::vector<uint8_t> pixels(32 * 3 * 24);
    player.Draw({pixels.data(), 32 * 3, 24, false});
    return 0;
}
