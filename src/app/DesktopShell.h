#pragma once
// What the document launcher asks of the desktop. SystemDesktopShell is the desktop's own;
// tests put in one that records the requests.

#include <QString>
#include <QStringList>
#include <QUrl>

namespace app {

class DesktopShell {
  public:
    virtual ~DesktopShell() = default;
    // Opens a local file or web address with the user's default viewer; false when it cannot.
    virtual bool OpenUrl(const QUrl& url) = 0;
    // The command line of the default handler of ".htm" documents; empty when there is none.
    virtual QString HtmlHandlerCommand() = 0;
    // Starts a program (the first word) with the remaining words as its arguments.
    virtual bool StartDetached(const QStringList& commandLine) = 0;
};

}  // namespace app
