#include "app/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <limits>
#include <type_traits>

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

// Every stored value with its name, in the order they are stored; Load and Save both walk it.
template <class Store, class Visit>
void VisitValues(Store& store, Visit visit) {
    visit(QStringLiteral("MainWin.left"), store.mainWindow.left);
    visit(QStringLiteral("MainWin.right"), store.mainWindow.right);
    visit(QStringLiteral("MainWin.top"), store.mainWindow.top);
    visit(QStringLiteral("MainWin.bottom"), store.mainWindow.bottom);
    visit(QStringLiteral("ProgressWin.left"), store.progressLeft);
    visit(QStringLiteral("ProgressWin.top"), store.progressTop);
    visit(QStringLiteral("OpenDir"), store.openDir);
    visit(QStringLiteral("SaveDir"), store.saveDir);
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

    VisitValues(*this, [this](const QString& name, auto& value) {
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, QString>)
            ReadText(name, value);
        else
            ReadNumber(name, value);
    });

    recentMovies_.clear();
    for (int number = 1; number <= kMaxRecentMovies; ++number) {
        QString path;
        if (ReadText(RecentMovieValue(number), path) && !path.isEmpty() &&
            !recentMovies_.contains(path))
            recentMovies_.append(path);
    }
    PruneRecentMovies();
}

void SettingsStore::Save() const {
    VisitValues(*this, [this](const QString& name, const auto& value) {
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, QString>)
            WriteText(name, value);
        else
            WriteNumber(name, value);
    });
    for (int number = 1; number <= kMaxRecentMovies; ++number) {
        if (number <= recentMovies_.size())
            WriteText(RecentMovieValue(number), recentMovies_[number - 1]);
        else
            RemoveValue(RecentMovieValue(number));
    }
}

QString SettingsStore::RecentMovieValue(int number) {
    return QStringLiteral("RecentMovie%1").arg(number);
}

void SettingsStore::AddRecentMovie(const QString& path) {
    if (path.isEmpty()) return;
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    recentMovies_.removeAll(absolute);
    recentMovies_.prepend(absolute);
    while (recentMovies_.size() > kMaxRecentMovies) recentMovies_.removeLast();
}

bool SettingsStore::PruneRecentMovies() {
    const qsizetype before = recentMovies_.size();
    recentMovies_.removeIf([](const QString& path) { return !QFileInfo(path).isFile(); });
    return recentMovies_.size() != before;
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

bool SettingsStore::RemoveValue(const QString& name) const {
    QSettings settings(filePath_, QSettings::IniFormat);
    if (!settings.contains(Key(name))) return true;
    settings.remove(Key(name));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool SettingsStore::WriteText(const QString& name, const QString& text) const {
    QSettings settings(filePath_, QSettings::IniFormat);
    settings.setValue(Key(name), text);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace app
