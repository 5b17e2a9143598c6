#include "app/SettingsStore.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <limits>

namespace app {
namespace {

constexpr const char* kGroup = "Setting";
// Text longer than this is not a number.
constexpr qsizetype kMaxNumberChars = 31;

// Leading blanks, an optional sign and decimal digits; what follows them is ignored. No
// digits, or a value beyond 32 bits, is no number.
bool ParseLeadingNumber(const QString& text, int32_t& out) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    int64_t value = 0;
    const qsizetype digitsStart = i;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) return false;
    }
    if (i == digitsStart) return false;
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) return false;
    out = static_cast<int32_t>(value);
    return true;
}

QString Key(const QString& name) {
    return QStringLiteral("%1/%2").arg(kGroup, name);
}

}  // namespace

QString SettingsStore::DefaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quillmoth/Kinetrope Pro Trial/1.0.ini");
}

SettingsStore::SettingsStore(QString filePath) : filePath_(std::move(filePath)) {}

void SettingsStore::Load() {
    mainWindow = kDefaultMainWindow;
    progressLeft = 0;
    progressTop = 0;
    openDir = QDir::currentPath();
    saveDir = openDir;

    ReadNumber(QStringLiteral("MainWin.left"), mainWindow.left);
    ReadNumber(QStringLiteral("MainWin.right"), mainWindow.right);
    ReadNumber(QStringLiteral("MainWin.top"), mainWindow.top);
    ReadNumber(QStringLiteral("MainWin.bottom"), mainWindow.bottom);
    ReadNumber(QStringLiteral("ProgressWin.left"), progressLeft);
    ReadNumber(QStringLiteral("ProgressWin.top"), progressTop);
    ReadText(QStringLiteral("OpenDir"), openDir);
    ReadText(QStringLiteral("SaveDir"), saveDir);
}

void SettingsStore::Save() const {
    WriteNumber(QStringLiteral("MainWin.left"), mainWindow.left);
    WriteNumber(QStringLiteral("MainWin.right"), mainWindow.right);
    WriteNumber(QStringLiteral("MainWin.top"), mainWindow.top);
    WriteNumber(QStringLiteral("MainWin.bottom"), mainWindow.bottom);
    WriteNumber(QStringLiteral("ProgressWin.left"), progressLeft);
    WriteNumber(QStringLiteral("ProgressWin.top"), progressTop);
    WriteText(QStringLiteral("OpenDir"), openDir);
    WriteText(QStringLiteral("SaveDir"), saveDir);
}

bool SettingsStore::ReadNumber(const QString& name, int32_t& out) const {
    QString text;
    if (!ReadText(name, text) || text.size() > kMaxNumberChars) return false;
    return ParseLeadingNumber(text, out);
}

bool SettingsStore::WriteNumber(const QString& name, int32_t value) const {
    return WriteText(name, QString::number(value));
}

bool SettingsStore::ReadText(const QString& name, QString& out) const {
    const QSettings settings(filePath_, QSettings::IniFormat);
    const QVariant value = settings.value(Key(name));
    if (!value.isValid()) return false;
    // An unquoted text with commas in it reads back as a list of its parts.
    const QString text = value.typeId() == QMetaType::QStringList
                             ? value.toStringList().join(QLatin1Char(','))
                             : value.toString();
    if (text.toUtf8().size() > kMaxTextBytes) return false;
    out = text;
    return true;
}

bool SettingsStore::WriteText(const QString& name, const QString& text) const {
    QSettings settings(filePath_, QSettings::IniFormat);
    settings.setValue(Key(name), text);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace app
