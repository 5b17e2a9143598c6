#pragma once
// What a conversion run needs from the program around it: the player control and its
// clock, the offscreen renderer, the progress dialog, the interface lock, message boxes and
// message pumping. The desktop program's main window implements it, and so does the
// command-line program, without any window.

#include <string>

namespace swf {
class Player;
}

namespace convert {

class FrameCapture;
class ParsedMovie;
class ProgressDialog;

class ConversionHost {
  public:
    virtual ~ConversionHost() = default;

    // The control the runs load, step and draw; its view has the output size.
    virtual swf::Player& Control() = 0;
    // One tick of the control's clock: it advances one frame.
    virtual void TickControl() = 0;
    virtual FrameCapture& Renderer() = 0;
    virtual ProgressDialog& Progress() = 0;
    // After a run: the control plays `movie` again as the host shows it (the desktop loads it
    // back with its sound); the run stops it then. A program that exits after its run does
    // nothing.
    virtual void ReloadMovie(const ParsedMovie& /*movie*/) {}
    // The recording volume applied to the movie's sound, from 0 (silence) to 1 (as mixed).
    virtual double RecordingVolume() const { return 1.0; }
    // A player a run makes beside the control (the one playing the movie's sound in the
    // frame-by-frame and skip-backward modes) gets the input and drawing quality the control has.
    virtual void PreparePlayer(swf::Player& /*player*/) {}

    // Locked (false) from the start of a run to its end.
    virtual void SetInterfaceEnabled(bool enabled) = 0;
    // An error box with the string table's text of `stringId`.
    virtual void ShowErrorMessage(int stringId) = 0;
    // Something the user should know about a run that goes ahead all the same; shown where
    // the host has a place for it.
    virtual void ShowWarning(const std::string& /*text*/) {}
    // A Yes/No question with the string table's text; true for Yes.
    virtual bool AskYesNo(int stringId) = 0;
    // Handles whatever the user did meanwhile (the progress dialog's buttons among it).
    virtual void PumpMessages() = 0;
    // Whether a batch runs the run: a finished AVI is then not opened.
    virtual bool InBatch() const { return false; }
    // Opens a created file with the user's program for it.
    virtual void OpenDocument(const std::string& path) = 0;
};

}  // namespace convert
