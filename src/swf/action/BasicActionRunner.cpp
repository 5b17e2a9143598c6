#include "swf/action/BasicActionRunner.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "swf/action/TargetPath.h"
#include "swf/display/IgnoringCase.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/parse/BitReader.h"

namespace swf {
namespace {

enum ActionCode : uint8_t {
    kEnd = 0x00,
    kNextFrame = 0x04,
    kPreviousFrame = 0x05,
    kPlay = 0x06,
    kStop = 0x07,
    kToggleQuality = 0x08,
    kStopSounds = 0x09,
    kPop = 0x17,
    kTrace = 0x26,
    kThrow = 0x2A,
    kReturn = 0x3E,
    kConstantPool = 0x88,
    kGotoFrame = 0x81,
    kGetUrl = 0x83,
    kWaitForFrame = 0x8A,
    kSetTarget = 0x8B,
    kGotoLabel = 0x8C,
    kPush = 0x96,
    kJump = 0x99,
    kGetUrl2 = 0x9A,
    kDefineFunction = 0x9B,
    kIf = 0x9D,
    kCall = 0x9E,
    kDefineFunction2 = 0x8E,
    kTry = 0x8F,
    kWith = 0x94,
    kWaitForFrame2 = 0x8D,
};

// Actions after which the next one to run depends on values this runner does not compute:
// running on in file order could do what the movie never does (a quit in an untaken branch,
// a function body run inline), so the list ends there.
bool changesControlFlow(uint8_t action) {
    switch (action) {
        case kJump:
        case kIf:
        case kDefineFunction:
        case kDefineFunction2:
        case kCall:
        case kTry:
        case kWith:
        case kWaitForFrame2:
        case kThrow:
        case kReturn:
            return true;
        default:
            return false;
    }
}

// Text of a pushed constant as trace() prints it.
std::string numberText(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

// The values pushed by constants, as trace() prints them. An action this runner does not
// compute leaves the values below it unknown: they are dropped, and using one does nothing.
class ConstantStack {
  public:
    void push(std::string value) { values_.push_back(std::move(value)); }
    std::optional<std::string> pop() {
        if (values_.empty()) {
            if (!reliable_) return std::nullopt;
            return "undefined";
        }
        std::string value = std::move(values_.back());
        values_.pop_back();
        return value;
    }
    void forget() {
        values_.clear();
        reliable_ = false;
    }

  private:
    std::vector<std::string> values_;
    bool reliable_ = true;
};

// Reads the values of one Push action; a value of a kind it cannot show makes the stack unknown.
void readPush(std::span<const uint8_t> data, const std::vector<std::string>& pool,
              ConstantStack& stack) {
    BitReader in(data);
    while (!in.atEnd() && !in.overrun()) {
        uint8_t type = in.u8();
        switch (type) {
            case 0:
                stack.push(in.cString());
                break;
            case 1:
                stack.push(numberText(in.f32()));
                break;
            case 2:
                stack.push("null");
                break;
            case 3:
                stack.push("undefined");
                break;
            case 5:
                stack.push(in.u8() ? "true" : "false");
                break;
            case 6:
                stack.push(numberText(in.f64()));
                break;
            case 7:
                stack.push(std::to_string(in.s32()));
                break;
            case 8:
            case 9: {
                size_t index = type == 8 ? in.u8() : in.u16();
                if (index >= pool.size()) return stack.forget();
                stack.push(pool[index]);
                break;
            }
            default:
                return stack.forget();  // registers belong to the full interpreter
        }
    }
}

std::vector<std::string> readConstantPool(std::span<const uint8_t> data) {
    BitReader in(data);
    uint16_t count = in.u16();
    std::vector<std::string> pool;
    for (uint16_t i = 0; i < count && !in.atEnd(); ++i) pool.push_back(in.cString());
    return pool;
}

// Carries out a GetURL. A quit takes effect once the actions of this frame have run.
void getUrl(const std::string& url, const std::string& window, MovieContext& context) {
    constexpr std::string_view kFsCommand = "FSCommand:";
    if (!startsWithIgnoringCase(url, kFsCommand)) return;
    std::string command = url.substr(kFsCommand.size());
    if (command.size() == 4 && startsWithIgnoringCase(command, "quit")) {
        context.requestQuit();
    } else if (context.fsCommand) {
        context.fsCommand(command, window);
    }
}

}  // namespace

void BasicActionRunner::run(std::span<const uint8_t> code, MovieClip& clip, MovieContext& context) {
    BitReader in(code);
    MovieClip* target = &clip;
    ConstantStack stack;
    std::vector<std::string> pool;
    while (!in.atEnd() && !in.overrun()) {
        uint8_t action = in.u8();
        if (action == kEnd) return;
        std::span<const uint8_t> data;
        if (action >= 0x80) data = in.bytes(in.u16());
        if (in.overrun()) return;
        if (changesControlFlow(action)) return;
        BitReader args(data);
        switch (action) {
            case kPlay:
                if (target) target->play();
                break;
            case kStop:
                if (target) target->stop();
                break;
            case kNextFrame:
            case kPreviousFrame:
                if (target) {
                    target->gotoFrame(target->currentFrame() + (action == kNextFrame ? 1 : -1));
                    target->stop();
                }
                break;
            case kGotoFrame: {
                uint16_t frame = args.u16();
                if (target) {
                    target->gotoFrame(frame);
                    target->stop();
                }
                break;
            }
            case kGotoLabel: {
                std::string label = args.cString();
                int frame = target ? target->timeline().findLabel(label) : -1;
                if (frame >= 0) {
                    target->gotoFrame(frame);
                    target->stop();
                }
                break;
            }
            case kSetTarget: {
                std::string path = args.cString();
                // An unknown target leaves the following actions without a clip to act on.
                target = TargetPath::resolve(clip, path);
                break;
            }
            case kGetUrl: {
                std::string url = args.cString();
                std::string window = args.cString();
                getUrl(url, window, context);
                break;
            }
            case kGetUrl2: {
                auto window = stack.pop();
                auto url = stack.pop();
                if (url && window) getUrl(*url, *window, context);
                break;
            }
            case kConstantPool:
                pool = readConstantPool(data);
                break;
            case kPush:
                readPush(data, pool, stack);
                break;
            case kPop:
                stack.pop();
                break;
            case kTrace:
                if (auto value = stack.pop(); value && context.trace) context.trace(*value);
                break;
            case kWaitForFrame:  // every frame is loaded: nothing is skipped
            case kToggleQuality:
            case kStopSounds:
                break;
            default:
                stack.forget();
                break;
        }
    }
}

}  // namespace swf
