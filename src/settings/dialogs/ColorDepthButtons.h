#pragma once
// The colour depth radio buttons of the settings dialogs: "24 bits RGB" or "32 bits RGB
// with Alpha".

#include <QWidget>
#include <cstdint>

class QRadioButton;

namespace settings {

class ColorDepthButtons : public QWidget {
  public:
    ColorDepthButtons(int32_t colorDepth, QWidget* parent);

    // 24 or 32, as checked.
    int32_t ColorDepth() const;

  private:
    QRadioButton* rgba_ = nullptr;
};

}  // namespace settings
