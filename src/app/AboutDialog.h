#pragma once
// "About Quillmoth Kinetrope Pro": the product's name and version, the maker's rights notice
// and the player engine the program contains. OK closes it.

#include <QDialog>

namespace app {

class AboutDialog : public QDialog {
  public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace app
