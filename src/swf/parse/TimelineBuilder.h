#pragma once
// Collects the control tags of a tag stream into a Timeline, frame by frame.

#include <cstdint>
#include <memory>
#include <span>

#include "swf/format/TagStream.h"
#include "swf/movie/Timeline.h"
#include "swf/parse/ParseBudget.h"

namespace swf {

class TimelineBuilder {
  public:
    // `swfVersion` is the movie's; `stream` holds the tags that will be added. A sprite keeps
    // its DoInitAction tags as the main timeline does.
    TimelineBuilder(uint16_t declaredFrames, ParseBudget& budget, int swfVersion,
                    std::span<const uint8_t> stream);

    // Takes a control tag into the frame being collected. Returns false for tags that are
    // not control tags (definitions and the like), which the caller handles.
    bool add(const Tag& tag);
    // The timeline; tags after the last ShowFrame form one more frame.
    std::shared_ptr<Timeline> finish();

  private:
    void keepBody(std::vector<uint8_t>& into, const Tag& tag);
    void keepActions(std::vector<uint8_t>& into, std::span<const uint8_t> code);
    void addPlaceObject(const Tag& tag);
    void addInitAction(const Tag& tag);

    std::shared_ptr<Timeline> timeline_;
    Frame current_;
    bool currentUsed_ = false;
    bool full_ = false;  // the frame budget ran out: later frames are dropped
    bool ended_ = false;
    ParseBudget& budget_;
    int swfVersion_;
    std::span<const uint8_t> stream_;
    size_t listsFrom_ = 0;  // where in the stream the last action list kept began
};

}  // namespace swf
