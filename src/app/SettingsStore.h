#pragma once
// The user-interface settings kept between runs: where the main window and the progress
// window were, the folders the file dialogs last used, and the two "don't show again"
// choices. They live in the user's configuration folder, in the INI file
// Quillmoth/Kinetrope Pro Trial/1.0.ini, section [Setting], every value as text: numbers in
// signed decimal, read up to the first character that is not part of the number.
//
// The first eight values and the recent movies are loaded once at start-up, changed in memory
// while the program runs and saved at exit; the two notice values are read and written
// directly when needed.

#include <QString>
#include <QStringList>
#include <cstdint>

namespace app {

// A window's screen rectangle as stored (right and bottom are exclusive edges).
struct StoredRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

class SettingsStore {
  public:
    // Left and top of a main window that the system places and sizes itself.
    static constexpr int32_t kDefaultPosition = INT32_MIN;
    static constexpr StoredRect kDefaultMainWindow{kDefaultPosition, kDefaultPosition, 0, 0};

    static constexpr const char* kSeekNoticeValue = "DontShowSeekMsg";
    static constexpr const char* kDisplayWarningValue = "DontShowDispWarn";

    // The per-user settings file.
    static QString DefaultFilePath();

    explicit SettingsStore(QString filePath = DefaultFilePath());

    // The defaults, then every stored value that can be read in place of its default.
    void Load();
    // Writes the six numbers, the two folders and the recent movies, even when unchanged;
    // failures are ignored.
    void Save() const;

    // A number stored under `name`; false (and `out` untouched) when it is missing, longer
    // than 31 characters, or does not start with a number that fits 32 bits.
    bool ReadNumber(const QString& name, int32_t& out) const;
    bool WriteNumber(const QString& name, int32_t value) const;
    // A text stored under `name`; false when missing or longer than kMaxTextBytes.
    bool ReadText(const QString& name, QString& out) const;
    bool WriteText(const QString& name, const QString& text) const;

    const QString& FilePath() const { return filePath_; }

    // The movies opened last, most recent first, each once, at most kMaxRecentMovies.
    static constexpr int kMaxRecentMovies = 8;
    const QStringList& RecentMovies() const { return recentMovies_; }
    // Puts `path` (made absolute) first, dropping an older entry for it and the oldest past
    // the limit.
    void AddRecentMovie(const QString& path);
    // Forgets the movies whose files are gone; true when any went.
    bool PruneRecentMovies();
    void ClearRecentMovies() { recentMovies_.clear(); }

    // The longest text read back: the longest path the system takes.
    static constexpr int kMaxTextBytes = 4096;

    StoredRect mainWindow = kDefaultMainWindow;
    int32_t progressLeft = 0;
    int32_t progressTop = 0;
    QString openDir;
    QString saveDir;

  private:
    // Stored as "RecentMovie1" (the most recent) to "RecentMovie8"; unused numbers are removed.
    static QString RecentMovieValue(int number);
    bool RemoveValue(const QString& name) const;

    QString filePath_;
    QStringList recentMovies_;
};

}  // namespace app
