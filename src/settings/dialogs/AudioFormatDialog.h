#pragma once
// "Select Audio Format": the recording format, chosen among the formats the capture source
// offers. It opens on the current format and lists the offered formats of the chosen tag.

#include <QDialog>
#include <optional>
#include <vector>

#include "audio/WaveFormat.h"

class QComboBox;

namespace settings {

class AudioFormatDialog : public QDialog {
  public:
    AudioFormatDialog(const audio::WaveFormat& current, std::vector<audio::WaveFormat> offered,
                      QWidget* parent = nullptr);

    // The format selected in the lists; none when nothing is offered.
    std::optional<audio::WaveFormat> Chosen() const;

  private:
    void ListFormatsOfTag();

    std::vector<audio::WaveFormat> offered_;
    QComboBox* tags_ = nullptr;
    QComboBox* formats_ = nullptr;
};

}  // namespace settings
