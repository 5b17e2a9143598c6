#pragma once
// An embedded video placed on a timeline: a rectangle of the stream's size (one video pixel
// per 20 twips) showing the frame the placement's ratio names. Frames are decoded when the
// object is drawn; a frame past the last one decoded continues from there, any other starts
// again at the last key frame before it. Only the current picture is kept. A Video object a
// script attached a NetStream to shows that stream's pictures instead, stretched over its own
// rectangle.

#include <memory>
#include <optional>

#include "swf/display/DisplayObject.h"
#include "swf/movie/VideoCharacter.h"
#include "swf/shape/Shape.h"

namespace swf {

class VideoDecoder;
struct Bitmap;
struct VideoFeed;

class VideoInstance : public DisplayObject {
  public:
    VideoInstance(MovieContext& context, std::shared_ptr<const VideoCharacter> video);
    ~VideoInstance() override;

    Rect localBounds() const override;
    bool isVideo() const override { return true; }
    // The video frame number whose picture is shown, if any has been decoded.
    std::optional<uint16_t> shownFrame() const { return decodedUpTo_; }
    // Brings the picture to the frame the ratio (or the attached stream's clock) names, as
    // drawing does.
    void update() const;
    // attachVideo: shows the stream's pictures from now on; null goes back to nothing shown.
    void attachFeed(std::shared_ptr<const VideoFeed> feed);
    // Video.clear(): the picture shown goes until the next frame is decoded.
    void clearPicture();
    // The size in pixels of the picture decoded last; 0 before any.
    int pictureWidth() const;
    int pictureHeight() const;
    // Smoothing starts as the stream asks for it and changes only when scripts set it; the
    // deblocking filter is kept as scripts set it (the decoders choose their own).
    bool smoothing() const { return smoothing_; }
    void setSmoothing(bool on) { smoothing_ = on; }
    int deblocking() const { return deblocking_; }
    void setDeblocking(int filter) { deblocking_ = filter; }

  protected:
    void draw(RenderContext& context, const Matrix& toPixels,
              const ColorTransform& cxform) const override;

  private:
    void report() const;
    void showFrame(const std::shared_ptr<const VideoCharacter>& stream, uint16_t number) const;

    std::shared_ptr<const VideoCharacter> video_;
    Shape rectangle_;
    std::shared_ptr<const VideoFeed> feed_;
    mutable std::shared_ptr<const VideoCharacter> decodedStream_;
    mutable std::unique_ptr<VideoDecoder> decoder_;
    mutable std::shared_ptr<Bitmap> picture_;
    mutable std::optional<uint16_t> decodedUpTo_;
    mutable bool reported_ = false;
    bool smoothing_;
    int deblocking_;
};

}  // namespace swf
