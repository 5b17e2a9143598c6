#include <gtest/gtest.h>

#include <QDir>
#include <vector>

#include "app/DocumentLauncher.h"

namespace app {
namespace {

// A desktop whose answers the test sets and whose requests it keeps.
class FakeShell : public DesktopShell {
  public:
    bool OpenUrl(const QUrl& url) override {
        opened.push_back(url);
        return opens;
    }
    QString HtmlHandlerCommand() override { return handler; }
    bool StartDetached(const QStringList& commandLine) override {
        started.push_back(commandLine);
        return starts;
    }

    bool opens = true;
    QString handler;
    bool starts = true;
    std::vector<QUrl> opened;
    std::vector<QStringList> started;
};

TEST(HandlerCommandLineTest, AQuotedPlaceholderKeepsProgramAndOptionBeforeTheDocument) {
    EXPECT_EQ(DocumentLauncher::HandlerCommandLine(
                  QStringLiteral("\"/opt/My Browser/browser\" -nohome \"%1\""),
                  QStringLiteral("KTPHelp.htm")),
              QStringList({"/opt/My Browser/browser", "-nohome", "KTPHelp.htm"}));
}

TEST(HandlerCommandLineTest, WithoutPlaceholderTheDocumentIsAppended) {
    EXPECT_EQ(DocumentLauncher::HandlerCommandLine(QStringLiteral("browser --new-window"),
                                                   QStringLiteral("KTPHelp.htm")),
              QStringList({"browser", "--new-window", "KTPHelp.htm"}));
}

TEST(HandlerCommandLineTest, EverythingAfterThePlaceholderIsDropped) {
    EXPECT_EQ(DocumentLauncher::HandlerCommandLine(QStringLiteral("viewer %1 --after"),
                                                   QStringLiteral("a.htm")),
              QStringList({"viewer", "a.htm"}));
    // The quoted placeholder is the one cut at, even behind a bare one.
    EXPECT_EQ(DocumentLauncher::HandlerCommandLine(QStringLiteral("viewer %1 -x \"%1\" -y"),
                                                   QStringLiteral("a.htm")),
              QStringList({"viewer", "%1", "-x", "a.htm"}));
}

TEST(HandlerCommandLineTest, DesktopEntryFieldCodesArePlaceholdersToo) {
    EXPECT_EQ(DocumentLauncher::HandlerCommandLine(QStringLiteral("firefox-esr %u"),
                                                   QStringLiteral("https://example.org/")),
              QStringList({"firefox-esr", "https://example.org/"}));
    EXPECT_EQ(DocumentLauncher::HandlerCommandLine(QStringLiteral("chromium --incognito %U"),
                                                   QStringLiteral("a.htm")),
              QStringList({"chromium", "--incognito", "a.htm"}));
    EXPECT_EQ(DocumentLauncher::HandlerCommandLine(QStringLiteral("lynx \"%f\" -nocolor"),
                                                   QStringLiteral("a.htm")),
              QStringList({"lynx", "a.htm"}));
}

TEST(HandlerCommandLineTest, ADocumentWithSpacesStaysOneWord) {
    EXPECT_EQ(DocumentLauncher::HandlerCommandLine(QStringLiteral("viewer %1"),
                                                   QStringLiteral("/home/me/My Help.htm")),
              QStringList({"viewer", "/home/me/My Help.htm"}));
}

TEST(HandlerCommandLineTest, ACommandWithNoProgramGivesNothing) {
    EXPECT_TRUE(
        DocumentLauncher::HandlerCommandLine(QStringLiteral("\"%1\""), QStringLiteral("a.htm"))
            .isEmpty());
}

TEST(DocumentLauncherTest, ABareFileNameIsLookedUpInTheCurrentDirectory) {
    const QUrl url = DocumentLauncher::DocumentUrl(DocumentLauncher::kHelpDocument);
    EXPECT_TRUE(url.isLocalFile());
    EXPECT_EQ(url.toLocalFile(), QDir::current().absoluteFilePath("KTPHelp.htm"));
}

TEST(DocumentLauncherTest, AWebAddressStaysAWebAddress) {
    EXPECT_EQ(DocumentLauncher::DocumentUrl(DocumentLauncher::kHomePageAddress),
              QUrl(DocumentLauncher::kHomePageAddress));
}

TEST(DocumentLauncherTest, WhatTheDesktopOpensNeedsNoHandler) {
    FakeShell shell;
    shell.handler = QStringLiteral("viewer %1");
    DocumentLauncher launcher(shell);

    EXPECT_EQ(launcher.OpenDocument(DocumentLauncher::kSupportForumAddress), 1);
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], QUrl(DocumentLauncher::kSupportForumAddress));
    EXPECT_TRUE(shell.started.empty());
}

TEST(DocumentLauncherTest, WhatTheDesktopCannotOpenGoesToTheHtmHandler) {
    FakeShell shell;
    shell.opens = false;
    shell.handler = QStringLiteral("\"/usr/bin/viewer\" --page \"%1\"");
    DocumentLauncher launcher(shell);

    EXPECT_EQ(launcher.OpenDocument(DocumentLauncher::kHelpDocument), 1);
    ASSERT_EQ(shell.started.size(), 1u);
    EXPECT_EQ(shell.started[0], QStringList({"/usr/bin/viewer", "--page", "KTPHelp.htm"}));

    shell.starts = false;
    EXPECT_EQ(launcher.OpenDocument(DocumentLauncher::kHelpDocument), 0);
}

TEST(DocumentLauncherTest, WithoutAHandlerNothingIsStarted) {
    FakeShell shell;
    shell.opens = false;
    DocumentLauncher launcher(shell);

    EXPECT_EQ(launcher.OpenDocument(DocumentLauncher::kHelpDocument), 0);
    EXPECT_TRUE(shell.started.empty());
}

}  // namespace
}  // namespace app
