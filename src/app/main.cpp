// kinetrope-pro: the desktop program.

#include <QApplication>

#include "app/DesktopProgram.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    return app::RunDesktopProgram(application);
}
