#include "app/DocumentLauncher.h"

#include <QDir>
#include <QProcess>
#include <array>

namespace app {
namespace {

constexpr std::array<QLatin1StringView, 5> kPlaceholders{
    QLatin1StringView("%1"), QLatin1StringView("%f"), QLatin1StringView("%F"),
    QLatin1StringView("%u"), QLatin1StringView("%U")};

// Where the earliest placeholder starts, the quoted forms searched when `quoted`; -1 if none.
qsizetype FindPlaceholder(const QString& command, bool quoted) {
    qsizetype earliest = -1;
    for (QLatin1StringView placeholder : kPlaceholders) {
        const QString pattern = quoted ? QLatin1Char('"') + QString(placeholder) + QLatin1Char('"')
                                       : QString(placeholder);
        const qsizetype at = command.indexOf(pattern);
        if (at >= 0 && (earliest < 0 || at < earliest)) earliest = at;
    }
    return earliest;
}

}  // namespace

int DocumentLauncher::OpenDocument(const QString& document) {
    if (shell_.OpenUrl(DocumentUrl(document))) return 1;
    const QString handler = shell_.HtmlHandlerCommand();
    if (handler.isEmpty()) return 0;
    const QStringList commandLine = HandlerCommandLine(handler, document);
    if (commandLine.isEmpty()) return 0;
    return shell_.StartDetached(commandLine) ? 1 : 0;
}

QUrl DocumentLauncher::DocumentUrl(const QString& document) {
    return QUrl::fromUserInput(document, QDir::currentPath(), QUrl::AssumeLocalFile);
}

QStringList DocumentLauncher::HandlerCommandLine(const QString& handlerCommand,
                                                 const QString& document) {
    qsizetype cut = FindPlaceholder(handlerCommand, true);
    if (cut < 0) cut = FindPlaceholder(handlerCommand, false);
    QStringList words = QProcess::splitCommand(cut < 0 ? handlerCommand : handlerCommand.left(cut));
    if (words.isEmpty()) return {};
    words.append(document);
    return words;
}

}  // namespace app
