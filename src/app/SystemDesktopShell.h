#pragma once
// The desktop's shell: QDesktopServices (xdg-open) opens documents; the ".htm" handler is the
// desktop entry that xdg-mime names as the default for HTML.

#include "app/DesktopShell.h"

namespace app {

class SystemDesktopShell : public DesktopShell {
  public:
    bool OpenUrl(const QUrl& url) override;
    QString HtmlHandlerCommand() override;
    bool StartDetached(const QStringList& commandLine) override;
};

}  // namespace app
