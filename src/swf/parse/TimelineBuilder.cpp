#include "swf/parse/TimelineBuilder.h"

#include <utility>

#include "swf/parse/BitReader.h"
#include "swf/parse/ControlTagParser.h"
#include "swf/parse/TagCode.h"

namespace swf {

TimelineBuilder::TimelineBuilder(uint16_t declaredFrames, ParseBudget& budget)
    : timeline_(std::make_shared<Timeline>(declaredFrames)), budget_(budget) {}

void TimelineBuilder::keepBody(std::vector<uint8_t>& into, const Tag& tag) {
    if (!budget_.takeBytes(tag.body.size())) return;
    into.assign(tag.body.begin(), tag.body.end());
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
            if (auto p = ControlTagParser::parsePlaceObject(tag.code, tag.body)) {
                current_.tags.emplace_back(std::move(*p));
                currentUsed_ = true;
            }
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
            keepBody(std::get<DoAction>(current_.tags.back()).code, tag);
            currentUsed_ = true;
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
