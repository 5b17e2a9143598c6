#include "swf/action/BasicActionRunner.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "swf/action/TargetPath.h"
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
    kGotoFrame = 0x81,
    kGetUrl = 0x83,
    kWaitForFrame = 0x8A,
    kSetTarget = 0x8B,
    kGotoLabel = 0x8C,
    kPush = 0x96,
};

// Text of a pushed constant as trace() prints it.
std::string numberText(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

// Reads the values of one Push action; stops at a type it cannot show.
void readPush(std::span<const uint8_t> data, std::vector<std::string>& stack) {
    BitReader in(data);
    while (!in.atEnd() && !in.overrun()) {
        switch (in.u8()) {
            case 0: stack.push_back(in.cString()); break;
            case 1: stack.push_back(numberText(in.f32())); break;
            case 2: stack.push_back("null"); break;
            case 3: stack.push_back("undefined"); break;
            case 5: stack.push_back(in.u8() ? "true" : "false"); break;
            case 6: stack.push_back(numberText(in.f64())); break;
            case 7: stack.push_back(std::to_string(in.s32())); break;
            default: return;  // registers and constant pools belong to the full interpreter
        }
    }
}

bool startsWithIgnoringCase(const std::string& text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

}  // namespace

void BasicActionRunner::run(std::span<const uint8_t> code, MovieClip& clip, MovieContext& context) {
    BitReader in(code);
    MovieClip* target = &clip;
    std::vector<std::string> stack;
    while (!in.atEnd() && !in.overrun()) {
        uint8_t action = in.u8();
        if (action == kEnd) return;
        std::span<const uint8_t> data;
        if (action >= 0x80) data = in.bytes(in.u16());
        if (in.overrun()) return;
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
                constexpr std::string_view kFsCommand = "FSCommand:";
                if (!startsWithIgnoringCase(url, kFsCommand)) break;
                std::string command = url.substr(kFsCommand.size());
                if (startsWithIgnoringCase(command, "quit") && command.size() == 4) {
                    context.requestQuit();
                    return;
                }
                if (context.fsCommand) context.fsCommand(command, window);
                break;
            }
            case kPush:
                readPush(data, stack);
                break;
            case kPop:
                if (!stack.empty()) stack.pop_back();
                break;
            case kTrace:
                if (context.trace) context.trace(stack.empty() ? "undefined" : stack.back());
                if (!stack.empty()) stack.pop_back();
                break;
            case kWaitForFrame:       // every frame is loaded: nothing is skipped
            case kToggleQuality:
            case kStopSounds:
            default:
                break;
        }
    }
}

}  // namespace swf
