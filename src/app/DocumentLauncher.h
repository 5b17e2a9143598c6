#pragma once
// Opens the help document and the maker's web pages with the user's viewer. When the desktop
// cannot open one directly, the default handler of ".htm" documents is started with it.

#include <QString>
#include <QStringList>
#include <QUrl>

#include "app/DesktopShell.h"

namespace app {

class DocumentLauncher {
  public:
    // Looked up in the current directory.
    static constexpr const char* kHelpDocument = "KTPHelp.htm";
    static constexpr const char* kHomePageAddress = "https://www.kinetrope-pro.example/";
    static constexpr const char* kSupportForumAddress = "https://www.kinetrope-pro.example/forum/";

    explicit DocumentLauncher(DesktopShell& shell) : shell_(shell) {}

    // `document` is a file name (relative ones in the current directory) or a web address.
    // 1 when it was opened or its handler started, 0 otherwise.
    int OpenDocument(const QString& document);

    // What the desktop is asked to open for `document`.
    static QUrl DocumentUrl(const QString& document);
    // The handler's command line cut at its document placeholder ("%1", or a desktop entry's
    // %f, %F, %u, %U; a quoted one is preferred, and everything after it is dropped), split
    // into words, with the document appended unchanged as one more word. Empty when no
    // program is left.
    static QStringList HandlerCommandLine(const QString& handlerCommand, const QString& document);

  private:
    DesktopShell& shell_;
};

}  // namespace app
