#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "app/SettingsStore.h"

namespace app {
namespace {

class SettingsStoreTest : public testing::Test {
  protected:
    // Writes the settings file by hand, as a user or an older version might have left it.
    void WriteFile(const QByteArray& text) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    QByteArray ReadFile() const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("Quillmoth/Kinetrope Pro Trial/1.0.ini"));
};

TEST_F(SettingsStoreTest, TheFileLiesInTheUsersConfigurationUnderTheProductsKeyPath) {
    const QString userConfig =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    EXPECT_EQ(SettingsStore::DefaultFilePath(),
              userConfig + QStringLiteral("/Quillmoth/Kinetrope Pro Trial/1.0.ini"));
}

TEST_F(SettingsStoreTest, FirstRunGivesTheDefaults) {
    SettingsStore store(path);
    store.Load();

    EXPECT_EQ(store.mainWindow.left, INT32_MIN);
    EXPECT_EQ(store.mainWindow.top, INT32_MIN);
    EXPECT_EQ(store.mainWindow.right, 0);
    EXPECT_EQ(store.mainWindow.bottom, 0);
    EXPECT_EQ(store.progressLeft, 0);
    EXPECT_EQ(store.progressTop, 0);
    EXPECT_EQ(store.openDir, QDir::currentPath());
    EXPECT_EQ(store.saveDir, QDir::currentPath());
    int32_t notice = 5;
    EXPECT_FALSE(store.ReadNumber(SettingsStore::kSeekNoticeValue, notice));
    EXPECT_EQ(notice, 5);
    // Loading never creates the file.
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(SettingsStoreTest, SaveCreatesTheFileAndLoadReadsEveryValueBack) {
    SettingsStore saved(path);
    saved.Load();
    saved.mainWindow = {-12, 30, 812, 630};
    saved.progressLeft = -1920;
    saved.progressTop = 44;
    saved.openDir = QStringLiteral("/home/user/movies, old");
    saved.saveDir = QStringLiteral("/media/disk/@out/Ünïcode");
    saved.Save();
    ASSERT_TRUE(QFile::exists(path));

    SettingsStore loaded(path);
    loaded.Load();
    EXPECT_EQ(loaded.mainWindow.left, -12);
    EXPECT_EQ(loaded.mainWindow.top, 30);
    EXPECT_EQ(loaded.mainWindow.right, 812);
    EXPECT_EQ(loaded.mainWindow.bottom, 630);
    EXPECT_EQ(loaded.progressLeft, -1920);
    EXPECT_EQ(loaded.progressTop, 44);
    EXPECT_EQ(loaded.openDir, saved.openDir);
    EXPECT_EQ(loaded.saveDir, saved.saveDir);
}

TEST_F(SettingsStoreTest, NumbersAreStoredAsSignedDecimalTextInTheSettingSection) {
    SettingsStore store(path);
    store.Load();
    store.Save();
    store.WriteNumber(SettingsStore::kDisplayWarningValue, 1);

    const QByteArray text = ReadFile();
    EXPECT_TRUE(text.contains("[Setting]"));
    EXPECT_TRUE(text.contains("MainWin.left=-2147483648"));
    EXPECT_TRUE(text.contains("MainWin.bottom=0"));
    EXPECT_TRUE(text.contains("DontShowDispWarn=1"));
}

TEST_F(SettingsStoreTest, ANumberIsReadUpToItsFirstNonDigit) {
    QDir().mkpath(QFileInfo(path).path());
    WriteFile(
        "[Setting]\n"
        "MainWin.left=100abc\n"
        "MainWin.top=-25px\n"
        "MainWin.right=+640\n"
        "ProgressWin.left=-2147483648\n"
        "DontShowSeekMsg=1 \n");
    SettingsStore store(path);
    store.Load();

    EXPECT_EQ(store.mainWindow.left, 100);
    EXPECT_EQ(store.mainWindow.top, -25);
    EXPECT_EQ(store.mainWindow.right, 640);
    EXPECT_EQ(store.progressLeft, INT32_MIN);
    int32_t notice = 0;
    EXPECT_TRUE(store.ReadNumber(SettingsStore::kSeekNoticeValue, notice));
    EXPECT_EQ(notice, 1);
}

TEST_F(SettingsStoreTest, ValuesThatAreNoNumbersKeepTheirDefaults) {
    QDir().mkpath(QFileInfo(path).path());
    WriteFile(
        "[Setting]\n"
        "MainWin.left=abc\n"
        "MainWin.top=\n"
        "MainWin.right=2147483648\n"
        "MainWin.bottom=-\n"
        // 32 characters: longer than a number's text may be.
        "ProgressWin.left=00000000000000000000000000000077\n"
        "ProgressWin.top=0000000000000000000000000000088\n");
    SettingsStore store(path);
    store.Load();

    EXPECT_EQ(store.mainWindow.left, INT32_MIN);
    EXPECT_EQ(store.mainWindow.top, INT32_MIN);
    EXPECT_EQ(store.mainWindow.right, 0);
    EXPECT_EQ(store.mainWindow.bottom, 0);
    EXPECT_EQ(store.progressLeft, 0);
    EXPECT_EQ(store.progressTop, 88);
}

TEST_F(SettingsStoreTest, FoldersTooLongOrUnreadableKeepTheirDefaults) {
    QDir().mkpath(QFileInfo(path).path());
    const QByteArray tooLong(SettingsStore::kMaxTextBytes + 1, 'a');
    WriteFile("[Setting]\nOpenDir=/" + tooLong + "\nSaveDir=/tmp/a,b\n");
    SettingsStore store(path);
    store.Load();

    EXPECT_EQ(store.openDir, QDir::currentPath());
    // A hand-written comma does not split the folder.
    EXPECT_EQ(store.saveDir, QStringLiteral("/tmp/a,b"));
}

TEST_F(SettingsStoreTest, AGarbledFileGivesTheDefaults) {
    QDir().mkpath(QFileInfo(path).path());
    WriteFile(QByteArray("\x00\xff[[[Setting\n=\n\x01MainWin.left", 28));
    SettingsStore store(path);
    store.Load();
    EXPECT_EQ(store.mainWindow.left, INT32_MIN);
    EXPECT_EQ(store.openDir, QDir::currentPath());
}

TEST_F(SettingsStoreTest, AWriteThatCannotBeMadeReportsFailure) {
    // The settings file's folder is a file: nothing can be written beneath it.
    const QString blocked = folder.filePath(QStringLiteral("blocked"));
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    SettingsStore store(blocked + QStringLiteral("/1.0.ini"));
    EXPECT_FALSE(store.WriteNumber(SettingsStore::kSeekNoticeValue, 1));
    store.Load();
    store.Save();
    EXPECT_EQ(store.mainWindow.left, INT32_MIN);
}

}  // namespace
}  // namespace app
