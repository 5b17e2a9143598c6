#pragma once
// The texts the dialogs show beside their buttons (a compressor's name, a sound format, a
// WAV file's path) all start with one space.

#include <QString>
#include <string>

namespace settings {

inline QString Spaced(const std::string& text) {
    return QStringLiteral(" ") + QString::fromStdString(text);
}

}  // namespace settings
