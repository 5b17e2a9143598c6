#pragma once
// A clip as the mixer knows it: its timeline's stream sound plays while the clip enters
// frames, and is heard only while the clip is on the stage.

namespace swf {

class SoundClip {
  public:
    virtual bool streamAudible() const = 0;

  protected:
    ~SoundClip() = default;
};

}  // namespace swf
