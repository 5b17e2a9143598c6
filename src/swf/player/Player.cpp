#include "swf/player/Player.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "swf/avm1/classes/SoundChannelState.h"
#include "swf/avm1/machine/StageObject.h"
#include "swf/avm1/stage/ScriptEngine.h"
#include "swf/avm2/MovieScripts.h"
#include "swf/bitmap/BitmapCharacter.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/parse/MovieParser.h"
#include "swf/render/Canvas.h"
#include "swf/shape/BoxShape.h"
#include "swf/sound/SoundMixer.h"

namespace swf {

namespace {

// One row of RGBA pixels as BGR, the channels as they are. The rows cannot overlap, which
// lets the compiler do it with vector shuffles.
void rowToBgr(const uint8_t* __restrict in, uint8_t* __restrict out, int width) {
    for (int x = 0; x < width; ++x) {
        out[3 * x] = in[4 * x + 2];
        out[3 * x + 1] = in[4 * x + 1];
        out[3 * x + 2] = in[4 * x];
    }
}

// The keyboard focus rectangle: a yellow frame three view pixels wide just inside the
// focused object's bounds, over everything on the stage.
void drawFocusHighlight(Canvas& canvas, const Rect& bounds, const Matrix& stage) {
    if (bounds.empty()) return;
    constexpr int kThickness = 3;
    const Point a = stage.apply({double(bounds.xMin), double(bounds.yMin)});
    const Point z = stage.apply({double(bounds.xMax), double(bounds.yMax)});
    const auto x0 = static_cast<int32_t>(std::lround(std::min(a.x, z.x)));
    const auto x1 = static_cast<int32_t>(std::lround(std::max(a.x, z.x)));
    const auto y0 = static_cast<int32_t>(std::lround(std::min(a.y, z.y)));
    const auto y1 = static_cast<int32_t>(std::lround(std::max(a.y, z.y)));
    const int32_t inset = std::min({kThickness, (x1 - x0) / 2, (y1 - y0) / 2});
    const Rect sides[] = {{x0, x1, y0, y0 + inset},
                          {x0, x1, y1 - inset, y1},
                          {x0, x0 + inset, y0 + inset, y1 - inset},
                          {x1 - inset, x1, y0 + inset, y1 - inset}};
    const Rgba yellow{255, 255, 0, 255};
    for (const Rect& side : sides)  // in pixels, drawn as they are
        if (!side.empty())
            canvas.drawShape(boxShape(side, yellow, std::nullopt), Matrix{}, ColorTransform{}, {});
}

// A local file's URL. It names no host, so a path relative to the working folder counts from
// the root.
std::string fileUrl(const std::string& path) {
    return path.starts_with('/') ? "file://" + path : "file:///" + path;
}

}  // namespace

Player::Player() = default;

Player::~Player() {
    unload();
}

const SwfHeader* Player::Header() const {
    return movie_ ? &movie_->header : nullptr;
}

bool Player::LoadMovie(const std::string& path) {
    std::string error;
    movieUrl_ = fileUrl(path);
    std::error_code ignored;
    std::string folder = baseFolder_.empty()
                             ? std::filesystem::absolute(path, ignored).parent_path().string()
                             : baseFolder_;
    // The old movie goes before the new one is parsed, so that only one is ever held.
    unload();
    auto movie = MovieParser::parseFile(path, error, folder);
    if (!movie) {
        loadError_ = error;
        return false;
    }
    return start(std::move(movie), folder);
}

bool Player::LoadMovie(std::shared_ptr<const SwfMovie> movie, const std::string& path) {
    movieUrl_ = fileUrl(path);
    std::error_code ignored;
    std::string folder = baseFolder_.empty()
                             ? std::filesystem::absolute(path, ignored).parent_path().string()
                             : baseFolder_;
    if (!movie) {
        unload();
        loadError_ = "no movie";
        return false;
    }
    return start(std::move(movie), folder);
}

bool Player::LoadMovieFromMemory(std::span<const uint8_t> data) {
    std::string error;
    movieUrl_.clear();
    unload();
    auto movie = MovieParser::parse(data, error);
    if (!movie) {
        loadError_ = error;
        return false;
    }
    return start(std::move(movie), baseFolder_);
}

void Player::unload() {
    canvas_.reset();
    // The display objects go first, without unload events, then the interpreter.
    if (context_) {
        context_->setSoundMixer(nullptr);
        context_->setRunner(nullptr);
        context_->setLoader(nullptr);
        std::vector<int> levels;
        for (const auto& [number, clip] : context_->levels()) levels.push_back(number);
        for (int number : levels) context_->removeLevel(number);
        context_->queueDrained();
    }
    loader_.reset();
    scripts3_.reset();
    lifecycle_.reset();
    root_.reset();
    runner_.reset();
    sound_.reset();
    context_.reset();
    movie_.reset();
}

bool Player::start(std::shared_ptr<const SwfMovie> movie, const std::string& loadFolder) {
    unload();
    loadError_.clear();
    movie_ = std::move(movie);
    context_ = std::make_unique<MovieContext>(movie_);
    context_->trace = trace_;
    context_->setMovieUrl(movieUrl_);
    context_->setQuality(quality_);
    context_->setScaleMode(scaleMode_);
    context_->setViewSize(viewWidth_, viewHeight_);
    runner_ = std::make_unique<avm1::ScriptEngine>(*context_);
    context_->setRunner(runner_.get());
    loader_ = std::make_unique<ContentLoader>(*context_);
    loader_->setBaseFolder(loadFolder);
    context_->setLoader(loader_.get());
    if (soundRate_ > 0) {
        sound_ = std::make_unique<SoundMixer>(movie_->header.frameRate, soundRate_, soundChannels_);
        sound_->followScripts(
            [context = context_.get()] { return avm1::SoundChannelState::find(*context); });
        context_->setSoundMixer(sound_.get());
    }
    root_ = std::make_shared<MovieClip>(*context_, nullptr, movie_->timeline, 0);
    context_->setRoot(root_.get());
    context_->registerClip(root_);
    // $version on _level0, the same text System.capabilities.version and getVersion() give.
    if (auto* engine = dynamic_cast<avm1::ScriptEngine*>(runner_.get())) {
        avm1::Machine& m = engine->machine();
        avm1::Value version = m.get(m.get(m.get(m.global(), "System"), "capabilities"), "version");
        if (version.isString())
            m.set(static_cast<avm1::Object*>(m.stageObject(*root_)), "$version", version);
    }
    // An ActionScript 3 movie's scripts run in their own machine, which hands what the first
    // machine still does for such a movie (buttons, sounds) on to it.
    ActionRunner* runner = runner_.get();
    if (movie_->actionScript3) {
        scripts3_ = std::make_unique<avm2::MovieScripts>(*context_, *runner_, [this](const std::string& line) {
            if (context_ && context_->trace) context_->trace(line);
        });
        runner = scripts3_.get();
        context_->setRunner(runner);
    }
    lifecycle_ = std::make_unique<FrameLifecycle>(*context_, *root_, *runner);
    lifecycle_->setAutoplay(autoplay_);
    lifecycle_->setFrameShownHandler([this](size_t frame) { frameShown(frame); });
    lifecycle_->start();
    if (frameInterval_) frameInterval_(frameIntervalMs());
    requestRedraw();
    return true;
}

void Player::advanceFrame() {
    if (!root_ || context_->quitRequested()) return;
    lifecycle_->advanceFrame();
    requestRedraw();
}

uint32_t Player::frameIntervalMs() const {
    return movie_ ? movie_->header.frameIntervalMs() : 0;
}

void Player::SetAutoplay(bool autoplay) {
    autoplay_ = autoplay;
    if (lifecycle_) lifecycle_->setAutoplay(autoplay);
}

void Player::SetSoundOutput(uint32_t rate, int channels) {
    soundRate_ = rate;
    soundChannels_ = channels;
}

size_t Player::TakeSound(std::span<int16_t> samples) {
    if (sound_) return sound_->take(samples);
    std::fill(samples.begin(), samples.end(), int16_t{0});
    return 0;
}

size_t Player::QueuedSound() const {
    return sound_ ? sound_->queued() : 0;
}

uint32_t Player::MixRate() const {
    return sound_ ? sound_->rate() : 0;
}

int Player::MixChannels() const {
    return sound_ ? sound_->channels() : 0;
}

void Player::frameShown(size_t frame) {
    if (frame > scriptedInput_.size()) return;
    for (const InputEvent& event : scriptedInput_[frame - 1]) HandleInput(event);
}

void Player::HandleInput(const InputEvent& event) {
    if (!root_ || context_->quitRequested()) return;
    InputEvent onStage = event;
    const Matrix toView = stageMatrix();
    context_->input().stageToView = toView;
    Point stage = toView.inverted().apply(Point{event.x, event.y});
    onStage.x = stage.x;
    onStage.y = stage.y;
    lifecycle_->deliverInput(onStage);
    requestRedraw();
}

void Player::Play() {
    if (root_) root_->play();
}

void Player::StopPlay() {
    if (root_) root_->stop();
}

void Player::Rewind() {
    GotoFrame(0);
}

void Player::GotoFrame(int frame) {
    if (!root_) return;
    lifecycle_->gotoFrame(frame);
    requestRedraw();
}

int Player::TCurrentFrame() const {
    return root_ ? root_->currentFrame() : 0;
}
bool Player::IsPlaying() const {
    return root_ && root_->playing();
}
int Player::TotalFrames() const {
    return root_ ? root_->frameCount() : 0;
}
bool Player::QuitRequested() const {
    return context_ && context_->quitRequested();
}

const MovieContext::ScriptStop* Player::FirstScriptStop() const {
    return context_ && context_->firstScriptStop() ? &*context_->firstScriptStop() : nullptr;
}
size_t Player::DisplayObjectCount() const {
    return context_ ? context_->liveObjects() : 0;
}

// The runner that plays the movie's scripts: an ActionScript 3 movie's runs its own machine
// beside the first.
const ActionRunner* Player::activeRunner() const {
    if (scripts3_) return scripts3_.get();
    return runner_.get();
}

uint64_t Player::ScriptActionsRun() const {
    const ActionRunner* runner = activeRunner();
    return runner ? runner->actionsRun() : 0;
}

size_t Player::ScriptObjectCount() const {
    const ActionRunner* runner = activeRunner();
    return runner ? runner->scriptObjectCount() : 0;
}

int Player::GetScaleMode() const {
    return context_ ? context_->scaleMode() : scaleMode_;
}

void Player::SetScaleMode(int mode) {
    scaleMode_ = mode;
    if (context_) context_->setScaleMode(mode);
    requestRedraw();
}

void Player::SetRenderQuality(RenderQuality quality) {
    quality_ = quality;
    if (context_) context_->setQuality(quality);
    requestRedraw();
}

void Player::SetViewSize(int width, int height) {
    viewWidth_ = std::max(0, width);
    viewHeight_ = std::max(0, height);
    if (context_) context_->setViewSize(viewWidth_, viewHeight_);
    requestRedraw();
}

int Player::ViewWidth() const {
    if (viewWidth_ > 0 || !movie_) return viewWidth_;
    return movie_->header.widthPixels();
}

int Player::ViewHeight() const {
    if (viewHeight_ > 0 || !movie_) return viewHeight_;
    return movie_->header.heightPixels();
}

Rgba Player::BackgroundColor() const {
    return movie_ ? movie_->backgroundColor() : Rgba{255, 255, 255, 255};
}

void Player::SetTraceSink(std::function<void(const std::string&)> sink) {
    trace_ = std::move(sink);
    if (context_) context_->trace = trace_;
}

void Player::requestRedraw() const {
    if (redraw_) redraw_();
}

bool Player::ViewSizeAllowed(int width, int height) {
    return width > 0 && height > 0 && width <= kMaxViewSide && height <= kMaxViewSide &&
           int64_t{width} * height <= kMaxViewPixels;
}

Matrix Player::stageMatrix() const {
    const Rect& frame = movie_->header.frameSize;
    double movieWidth = movie_->header.widthTwips() / kTwipsPerPixel;
    double movieHeight = movie_->header.heightTwips() / kTwipsPerPixel;
    double viewWidth = ViewWidth(), viewHeight = ViewHeight();
    double sx = 1, sy = 1;
    // Without a view size of its own the view is the stage, whatever the mode.
    bool ownSize = viewWidth_ <= 0 || viewHeight_ <= 0;
    if (movieWidth > 0 && movieHeight > 0 && !ownSize) {
        double fitX = viewWidth / movieWidth, fitY = viewHeight / movieHeight;
        switch (context_->scaleMode()) {
            case ExactFit:
                sx = fitX;
                sy = fitY;
                break;
            case NoBorder:
                sx = sy = std::max(fitX, fitY);
                break;
            case NoScale:
                break;
            default:
                sx = sy = std::min(fitX, fitY);
                break;
        }
    }
    // Centred in the view unless Stage.align names edges to keep it at; what the scaled
    // stage leaves free shows the background.
    const std::string& align = context_->stageAlign();
    auto place = [&align](double free, char before, char after) {
        if (align.find(before) != std::string::npos) return 0.0;
        if (align.find(after) != std::string::npos) return free;
        return free / 2;
    };
    double left = ownSize ? 0 : place(viewWidth - movieWidth * sx, 'L', 'R');
    double top = ownSize ? 0 : place(viewHeight - movieHeight * sy, 'T', 'B');
    return Matrix::translate(left, top) * Matrix::scale(sx / kTwipsPerPixel, sy / kTwipsPerPixel) *
           Matrix::translate(-frame.xMin, -frame.yMin);
}

bool Player::Draw(const DrawTarget& target) const {
    int width = ViewWidth(), height = ViewHeight();
    int bytesPerPixel = target.bitsPerPixel / 8;
    if (!root_ || !target.pixels || !ViewSizeAllowed(width, height)) return false;
    if ((target.bitsPerPixel != 24 && target.bitsPerPixel != 32) ||
        target.stride < static_cast<size_t>(width) * bytesPerPixel)
        return false;
    bool withAlpha = target.bitsPerPixel == 32;
    if (!canvas_ || canvas_->width() != width || canvas_->height() != height) {
        canvas_.reset();  // the old surface goes before the new one is made
        canvas_ = std::make_unique<Canvas>(width, height);
    }
    Canvas& canvas = *canvas_;
    canvas.setQuality(context_->quality());
    canvas.startPicture(withAlpha ? Rgba{0, 0, 0, 0} : BackgroundColor());
    const Dictionary& dictionary = movie_->dictionary;
    RenderContext context{canvas, dictionary, [&dictionary](uint16_t id) -> const Bitmap* {
                              const auto* bitmap = dictionary.findAs<BitmapCharacter>(id);
                              return bitmap ? &bitmap->bitmap() : nullptr;
                          }};
    const Matrix stage = stageMatrix();
    context.viewScaleX = stage.a * kTwipsPerPixel;
    context.viewScaleY = stage.d * kTwipsPerPixel;
    root_->render(context, stage, ColorTransform{});
    for (const auto& [number, level] : context_->levels())
        level->render(context, stage, ColorTransform{});
    drawFocusHighlight(canvas, context_->focusHighlight(), stage);

    const uint8_t* source = canvas.pixels();
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = source + static_cast<size_t>(y) * width * 4;
        int row = target.bottomUp ? height - 1 - y : y;
        uint8_t* out = target.pixels + static_cast<size_t>(row) * target.stride;
        if (!withAlpha) {
            rowToBgr(in, out, width);  // drawn over the opaque background
            continue;
        }
        for (int x = 0; x < width; ++x, in += 4, out += 4) {
            uint8_t a = in[3];
            if (a == 255) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
            } else {
                auto straight = [a](uint8_t c) -> uint8_t {
                    return a == 0 ? 0 : static_cast<uint8_t>(std::min(255, (c * 255 + a / 2) / a));
                };
                out[0] = straight(in[2]);
                out[1] = straight(in[1]);
                out[2] = straight(in[0]);
            }
            out[3] = a;
        }
    }
    return true;
}

}  // namespace swf
