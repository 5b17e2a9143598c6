#include "app/SystemDesktopShell.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace app {
namespace {

constexpr int kQueryTimeoutMs = 2000;
// Desktop entries are a few kilobytes; anything much larger is not one.
constexpr qint64 kMaxDesktopEntryBytes = 256 * 1024;

// The name of the default desktop entry for HTML documents, e.g. "firefox-esr.desktop".
QString DefaultHtmlEntryName() {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    if (!query.waitForFinished(kQueryTimeoutMs) || query.exitStatus() != QProcess::NormalExit ||
        query.exitCode() != 0) {
        query.kill();
        return {};
    }
    return QString::fromUtf8(query.readAllStandardOutput()).trimmed();
}

// The Exec line of a desktop entry's main group.
QString EntryCommand(const QString& path) {
    QFile file(path);
    if (file.size() > kMaxDesktopEntryBytes || !file.open(QIODevice::ReadOnly)) return {};
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine(kMaxDesktopEntryBytes)).trimmed();
        if (line.startsWith(u'['))
            inMainGroup = line == QLatin1String("[Desktop Entry]");
        else if (inMainGroup && line.startsWith(QLatin1String("Exec=")))
            return line.mid(5);
    }
    return {};
}

}  // namespace

bool SystemDesktopShell::OpenUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

QString SystemDesktopShell::HtmlHandlerCommand() {
    const QString entryName = DefaultHtmlEntryName();
    if (entryName.isEmpty()) return {};
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entryName);
    if (path.isEmpty()) return {};
    return EntryCommand(path);
}

bool SystemDesktopShell::StartDetached(const QStringList& commandLine) {
    if (commandLine.isEmpty()) return false;
    return QProcess::startDetached(commandLine.front(), commandLine.mid(1));
}

}  // namespace app
