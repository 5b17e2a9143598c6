#pragma once
// An instance of a button. It shows the records of its state (up, over or down: where the
// pointer is and whether it is pressed), each at its own depth with its own matrix and colour
// transform, and is hit where the records of its hit state are.

#include "swf/display/DisplayList.h"
#include "swf/display/DisplayObject.h"
#include "swf/movie/ButtonCharacter.h"

namespace swf {

class ButtonInstance : public DisplayObject {
  public:
    enum class State : uint8_t { Up, Over, Down };

    ButtonInstance(MovieContext& context, std::shared_ptr<const ButtonCharacter> button,
                   int nesting);

    DisplayList* children() override { return &state_; }
    bool isButton() const override { return true; }
    ButtonInstance* asButton() override { return this; }

    // Shows the up state, once the button is placed and named: its clips are named after it.
    void start() { showRecords(); }
    // A timeline's move to another button character: the object, and what scripts set on it,
    // stays; its records become the new button's.
    void takeButton(std::shared_ptr<const ButtonCharacter> button);
    const ButtonCharacter& button() const { return *button_; }
    State state() const { return state_kind_; }
    // Shows the records of `state`; those it shares with the state shown stay as they are.
    // The change's sound (DefineButtonSound) plays.
    void setState(State state);
    // The objects of the hit state: never drawn, only tested against the pointer.
    DisplayList& hitArea() { return hitArea_; }
    // What the records of the state shown cover.
    Rect localBounds() const override;

  protected:
    void draw(RenderContext& context, const Matrix& toPixels,
              const ColorTransform& cxform) const override;

  private:
    void showRecords();
    void makeHitArea();
    void playSound(State from, State to);
    static int placedDepth(const ButtonRecord& record);
    std::shared_ptr<DisplayObject> makeRecord(const ButtonRecord& record);

    std::shared_ptr<const ButtonCharacter> button_;
    int nesting_;
    State state_kind_ = State::Up;
    DisplayList state_;
    DisplayList hitArea_;
};

}  // namespace swf
