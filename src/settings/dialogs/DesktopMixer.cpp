#include "settings/dialogs/DesktopMixer.h"

#include <QProcess>
#include <QStandardPaths>
#include <optional>

namespace settings {
namespace {

struct MixerProgram {
    const char* program;
    const char* recordingView;  // the argument that opens its recording page, or nullptr
};

constexpr MixerProgram kMixerPrograms[] = {
    {"pavucontrol", "--tab=2"},
    {"pavucontrol-qt", nullptr},
};

struct FoundMixer {
    QString path;
    QStringList arguments;
};

std::optional<FoundMixer> FindDesktopMixer() {
    for (const MixerProgram& candidate : kMixerPrograms) {
        const QString path = QStandardPaths::findExecutable(QString::fromUtf8(candidate.program));
        if (path.isEmpty()) continue;
        QStringList arguments;
        if (candidate.recordingView) arguments << QString::fromUtf8(candidate.recordingView);
        return FoundMixer{path, arguments};
    }
    return std::nullopt;
}

}  // namespace

bool DesktopMixerInstalled() {
    return FindDesktopMixer().has_value();
}

bool StartDesktopMixer() {
    const std::optional<FoundMixer> mixer = FindDesktopMixer();
    return mixer && QProcess::startDetached(mixer->path, mixer->arguments);
}

}  // namespace settings
