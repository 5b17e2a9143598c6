#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "app/AboutDialog.h"
#include "swf/player/EngineVersion.h"

namespace app {
namespace {

QString Line(const AboutDialog& about, const char* name) {
    auto* line = about.findChild<QLabel*>(QString::fromLatin1(name));
    return line ? line->text() : QString();
}

TEST(AboutDialogTest, NamesTheProductItsVersionAndItsOwnEngineAndOkCloses) {
    AboutDialog about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Quillmoth Kinetrope Pro"));
    EXPECT_EQ(Line(about, "product"), QStringLiteral("Quillmoth Kinetrope Pro Version 1.0"));
    EXPECT_TRUE(Line(about, "rights").contains(QStringLiteral("Quillmoth")));

    const swf::Version engine = swf::EngineVersion();
    const QString version = QStringLiteral("%1.%2.%3.%4")
                                .arg(engine.major)
                                .arg(engine.minor)
                                .arg(engine.build)
                                .arg(engine.revision);
    EXPECT_TRUE(Line(about, "engine").contains(version)) << Line(about, "engine").toStdString();
    EXPECT_FALSE(Line(about, "engine").contains(QStringLiteral("Macromedia")));

    about.show();
    auto* ok = about.findChild<QPushButton*>(QStringLiteral("ok"));
    ASSERT_NE(ok, nullptr);
    ok->click();
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace app
