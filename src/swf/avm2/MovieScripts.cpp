#include "swf/avm2/MovieScripts.h"

#include "swf/movie/SwfMovie.h"

namespace swf::avm2 {

MovieScripts::MovieScripts(std::shared_ptr<const SwfMovie> movie, Machine::TraceSink trace)
    : movie_(std::move(movie)), machine_(std::move(trace), movie_->header.version), document_(machine_.heap()) {}

void MovieScripts::frameReached(int frame) {
    if (frame <= framesRun_) return;
    bool first = framesRun_ < 0;
    for (const SwfMovie::AbcBlock& block : movie_->abcBlocks)
        if (block.frame > framesRun_ && block.frame <= frame) machine_.loadAbc(block.data, block.lazyInitialize);
    framesRun_ = frame;
    if (!first) return;
    for (const auto& [id, name] : movie_->symbolClasses) {
        if (id != 0) continue;
        ClassObject* cls = machine_.findClass(name);
        if (!cls) return;
        machine_.runGuarded([&] {
            Value instance = machine_.construct(Value::object(cls), {});
            document_ = instance.asObject();
        });
        return;
    }
}

void MovieScripts::afterFrame() {
    machine_.heap().collect();
}

}  // namespace swf::avm2
