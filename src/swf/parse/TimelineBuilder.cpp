#include "swf/parse/TimelineBuilder.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "swf/format/ActionReader.h"
#include "swf/format/BitReader.h"
#include "swf/format/TagCode.h"
#include "swf/parse/ControlTagParser.h"

namespace swf {

TimelineBuilder::TimelineBuilder(uint16_t declaredFrames, ParseBudget& budget, int swfVersion,
                                 std::span<const uint8_t> stream)
    : timeline_(std::make_shared<Timeline>(declaredFrames)),
      budget_(budget),
      swfVersion_(swfVersion),
      stream_(stream) {}

void TimelineBuilder::keepBody(std::vector<uint8_t>& into, const Tag& tag) {
    if (!budget_.takeBytes(tag.body.size())) return;
    into.assign(tag.body.begin(), tag.body.end());
}

// A branch back past a list's start lands in the tags before it (see keepInPlace). A list
// keeps at most the bytes since the one before it began: what lists keep never overlaps.
void TimelineBuilder::keepActions(std::vector<uint8_t>& into, std::span<const uint8_t> code) {
    const uint8_t* begin = stream_.data();
    const uint8_t* end = begin + stream_.size();
    bool inStream = !stream_.empty() && !std::less<>()(code.data(), begin) &&
                    !std::less<>()(end, code.data() + code.size());
    size_t at = inStream ? static_cast<size_t>(code.data() - begin) : 0;
    size_t from = std::min(listsFrom_, at);
    if (inStream) listsFrom_ = at;
    std::vector<uint8_t> kept = ActionReader::keepInPlace(stream_.subspan(from, at - from), code);
    if (budget_.takeBytes(kept.size())) into = std::move(kept);
}

void TimelineBuilder::addPlaceObject(const Tag& tag) {
    auto p = ControlTagParser::parsePlaceObject(tag.code, tag.body, swfVersion_);
    if (!p) return;
    // Handlers are copied out of the movie like action bodies; past the budget they go.
    size_t handlerBytes = 0;
    if (p->clipActions)
        for (const ClipActionRecord& r : *p->clipActions) handlerBytes += r.code.size();
    if (handlerBytes > 0 && !budget_.takeBytes(handlerBytes)) p->clipActions.reset();
    current_.tags.emplace_back(std::move(*p));
    currentUsed_ = true;
}

void TimelineBuilder::addInitAction(const Tag& tag) {
    BitReader in(tag.body);
    InitAction action;
    action.spriteId = in.u16();
    if (in.overrun()) return;
    keepActions(action.code, in.bytes(in.remaining()));
    action.tagsBefore = current_.tags.size();
    current_.initActions.push_back(std::move(action));
    currentUsed_ = true;
}

bool TimelineBuilder::add(const Tag& tag) {
    auto code = static_cast<TagCode>(tag.code);
    bool counted = code != TagCode::ShowFrame && code != TagCode::End;
    switch (code) {
        case TagCode::ShowFrame:
        case TagCode::End:
        case TagCode::PlaceObject:
        case TagCode::PlaceObject2:
        case TagCode::PlaceObject3:
        case TagCode::RemoveObject:
        case TagCode::RemoveObject2:
        case TagCode::DoAction:
        case TagCode::DoInitAction:
        case TagCode::FrameLabel:
        case TagCode::SetBackgroundColor:
        case TagCode::StartSound:
        case TagCode::StartSound2:
        case TagCode::StopSound:
        case TagCode::SoundStreamHead:
        case TagCode::SoundStreamHead2:
        case TagCode::SoundStreamBlock:
            break;
        default:
            return false;
    }
    if (full_) return true;
    if (counted && !budget_.takeControlTag()) return true;
    switch (code) {
        case TagCode::ShowFrame:
            if (!budget_.takeFrame() || timeline_->frames().size() >= 0xFFFF) {
                full_ = true;
                return true;
            }
            timeline_->frames().push_back(std::move(current_));
            current_ = Frame{};
            currentUsed_ = false;
            return true;
        case TagCode::End:
            ended_ = true;
            return true;
        case TagCode::PlaceObject:
        case TagCode::PlaceObject2:
        case TagCode::PlaceObject3:
            addPlaceObject(tag);
            return true;
        case TagCode::RemoveObject:
        case TagCode::RemoveObject2:
            if (auto r = ControlTagParser::parseRemoveObject(tag.code, tag.body)) {
                current_.tags.emplace_back(*r);
                currentUsed_ = true;
            }
            return true;
        case TagCode::DoAction:
            current_.tags.emplace_back(DoAction{});
            keepActions(std::get<DoAction>(current_.tags.back()).code, tag.body);
            currentUsed_ = true;
            return true;
        case TagCode::DoInitAction:
            addInitAction(tag);
            return true;
        case TagCode::FrameLabel: {
            BitReader in(tag.body);
            std::string label = in.cString();
            if (!label.empty()) current_.labels.push_back(std::move(label));
            currentUsed_ = true;
            return true;
        }
        case TagCode::SetBackgroundColor: {
            BitReader in(tag.body);
            Rgba color = in.rgb();
            // Only the first colour of a movie counts; later ones change nothing.
            if (!in.overrun() && !current_.backgroundColor) current_.backgroundColor = color;
            currentUsed_ = true;
            return true;
        }
        default: {
            KeptTag kept;
            kept.code = tag.code;
            keepBody(kept.body, tag);
            current_.soundTags.push_back(std::move(kept));
            currentUsed_ = true;
            return true;
        }
    }
}

std::shared_ptr<Timeline> TimelineBuilder::finish() {
    int shown = static_cast<int>(timeline_->frames().size());
    bool partial = currentUsed_ && !full_ && budget_.takeFrame();
    if (partial) timeline_->frames().push_back(std::move(current_));
    currentUsed_ = false;
    timeline_->setShownFrames(shown, partial, ended_);
    return timeline_;
}

}  // namespace swf
