#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <filesystem>

#include "app/DesktopFixture.h"
#include "app/DesktopProgram.h"
#include "player/PlayerHost.h"
#include "swf/player/Player.h"

namespace apptest {
namespace {

// Movies reach the window from the command line, a drop and Open Recent as through Open.
class OpenMovieTest : public DesktopFixture {
  protected:
    QString Title(const std::string& path) {
        return QString::fromStdString("Quillmoth Kinetrope Pro - [" + path + "]");
    }
    std::string WriteBroken(const std::string& name) {
        const std::string path = scratch_.File(name);
        testfiles::WriteBytes(path, {'F', 'W', 'S', 8, 3, 0});
        return path;
    }
    // Drags `urls` over the window and drops them where the drag was accepted; true when it
    // was. The movie opens once the events queued by the drop have run.
    bool Drop(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(window_.get(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window_.get(), &drop);
        QApplication::processEvents();
        return drop.isAccepted();
    }
    // The Open Recent items as the File menu shows them, "-" for the separator.
    std::vector<std::string> RecentItems() {
        emit window_->Popup(app::kMenuFile)->aboutToShow();
        std::vector<std::string> items;
        for (QAction* action : window_->RecentMenu()->actions())
            items.push_back(action->isSeparator() ? "-" : action->text().toStdString());
        return items;
    }
    QAction* RecentItem(int index) { return window_->RecentMenu()->actions().at(index); }
    bool Loaded() { return window_->View().Control().HasMovie(); }
};

TEST(MovieFromArgumentsTest, TheFirstNonOptionArgumentIsTheMovie) {
    const QString here = QDir::currentPath();
    struct Case {
        QStringList arguments;
        QString movie;
    };
    const Case cases[] = {
        {{"kinetrope-pro"}, ""},
        {{"kinetrope-pro", "/movies/a.swf"}, "/movies/a.swf"},
        {{"kinetrope-pro", "a.swf"}, here + "/a.swf"},
        {{"kinetrope-pro", "sub/../b.swf", "c.swf"}, here + "/b.swf"},
        {{"kinetrope-pro", "--verbose", "/m/x.swf"}, "/m/x.swf"},
        {{"kinetrope-pro", "--", "-dash.swf"}, here + "/-dash.swf"},
        {{"kinetrope-pro", "file:///m/with%20space.swf"}, "/m/with space.swf"},
        {{"kinetrope-pro", "", "/m/y.swf"}, "/m/y.swf"},
        {{"kinetrope-pro", "-x"}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::MovieFromArguments(c.arguments), c.movie)
            << c.arguments.join(' ').toStdString();
}

TEST_F(OpenMovieTest, AMovieNamedOnTheCommandLineOpensAsThroughOpen) {
    const std::string movie = WriteMovie("argument.swf", 160, 120);
    EXPECT_TRUE(window_->OpenMovie(
        app::MovieFromArguments({"kinetrope-pro", QString::fromStdString(movie)})));
    EXPECT_EQ(window_->windowTitle(), Title(movie));
    EXPECT_TRUE(Loaded());
    EXPECT_EQ(ViewSize().width, 160);
    EXPECT_EQ(ViewSize().height, 120);
    EXPECT_TRUE(window_->Action(app::kCmdCreateAvi)->isEnabled());
    EXPECT_EQ(settings_.openDir, QString::fromStdString(scratch_.File("")).chopped(1));
    EXPECT_EQ(settings_.RecentMovies(), QStringList{QString::fromStdString(movie)});
    EXPECT_TRUE(presenter_.texts.empty());
}

TEST_F(OpenMovieTest, ABrokenMovieOnTheCommandLineIsRefusedAsOpenRefusesIt) {
    const std::string broken = WriteBroken("broken.swf");
    for (const std::string& path : {broken, scratch_.File("missing.swf")}) {
        presenter_.texts.clear();
        EXPECT_FALSE(window_->OpenMovie(
            app::MovieFromArguments({"kinetrope-pro", QString::fromStdString(path)})));
        EXPECT_EQ(presenter_.texts, std::vector<QString>{"File Open Error"}) << path;
        EXPECT_EQ(window_->windowTitle(), "Quillmoth Kinetrope Pro");
        EXPECT_FALSE(Loaded());
        EXPECT_EQ(window_->Movie(), nullptr);
        EXPECT_FALSE(window_->Action(app::kCmdCreateAvi)->isEnabled());
    }
    // Open says the same about the same file.
    presenter_.texts.clear();
    OpenThroughCommand(broken);
    EXPECT_EQ(presenter_.texts, std::vector<QString>{"File Open Error"});
    EXPECT_TRUE(settings_.RecentMovies().isEmpty());
    EXPECT_TRUE(window_->isVisible());
}

TEST_F(OpenMovieTest, OneDroppedFileOpensAndOtherDragsAreRefused) {
    const std::string first = WriteMovie("first.swf", 120, 90);
    const std::string second = WriteMovie("second.swf", 200, 100);
    const std::string broken = WriteBroken("broken.swf");
    const QUrl firstUrl = QUrl::fromLocalFile(QString::fromStdString(first));
    const QUrl secondUrl = QUrl::fromLocalFile(QString::fromStdString(second));
    struct Case {
        const char* what;
        QList<QUrl> urls;
        bool accepted;
        std::string title;  // the path in the title afterwards
        int messages;       // "File Open Error" boxes shown by then
    };
    const Case cases[] = {
        {"two files", {firstUrl, secondUrl}, false, "", 0},
        {"a folder",
         {QUrl::fromLocalFile(QString::fromStdString(scratch_.File("")))},
         false,
         "",
         0},
        {"a web address", {QUrl("https://example.org/movie.swf")}, false, "", 0},
        {"a missing file",
         {QUrl::fromLocalFile(QString::fromStdString(scratch_.File("no.swf")))},
         false,
         "",
         0},
        {"nothing", {}, false, "", 0},
        {"one movie", {firstUrl}, true, first, 0},
        {"a broken movie", {QUrl::fromLocalFile(QString::fromStdString(broken))}, true, first, 1},
        {"another movie", {secondUrl}, true, second, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Drop(c.urls), c.accepted) << c.what;
        EXPECT_EQ(window_->windowTitle(),
                  c.title.empty() ? QString("Quillmoth Kinetrope Pro") : Title(c.title))
            << c.what;
        EXPECT_EQ(presenter_.texts.size(), static_cast<size_t>(c.messages)) << c.what;
        if (c.messages) {
            EXPECT_EQ(presenter_.texts.back(), "File Open Error") << c.what;
        }
        EXPECT_EQ(Loaded(), !c.title.empty()) << c.what;
    }
    EXPECT_EQ(ViewSize().width, 200);
    EXPECT_EQ(ViewSize().height, 100);

    // A run owns the player: nothing may be dropped then.
    window_->SetInterfaceEnabled(false);
    EXPECT_FALSE(Drop({firstUrl}));
    window_->SetInterfaceEnabled(true);
    EXPECT_EQ(window_->windowTitle(), Title(second));
}

TEST_F(OpenMovieTest, OpenRecentListsTheLastMoviesAndOpensThem) {
    EXPECT_EQ(RecentItems(), (std::vector<std::string>{"-", "&Clear Menu"}));
    EXPECT_FALSE(window_->RecentMenu()->menuAction()->isEnabled());

    const std::string a = WriteMovie("a.swf", 100, 80);
    const std::string b = WriteMovie("b & c.swf", 140, 60);
    const std::string d = WriteMovie("d.swf", 90, 90);
    OpenThroughCommand(a);
    OpenThroughCommand(b);
    OpenThroughCommand(d);
    OpenThroughCommand(a);
    EXPECT_EQ(RecentItems(), (std::vector<std::string>{"&1 a.swf", "&2 d.swf", "&3 b && c.swf", "-",
                                                       "&Clear Menu"}));
    EXPECT_TRUE(window_->RecentMenu()->menuAction()->isEnabled());
    EXPECT_EQ(RecentItem(2)->statusTip(), QString::fromStdString(b));

    RecentItem(2)->trigger();
    EXPECT_EQ(window_->windowTitle(), Title(b));
    EXPECT_EQ(ViewSize().width, 140);
    EXPECT_EQ(RecentItems()[0], "&1 b && c.swf");
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // A movie deleted since is gone the next time the menu shows.
    std::filesystem::remove(d);
    EXPECT_EQ(RecentItems(),
              (std::vector<std::string>{"&1 b && c.swf", "&2 a.swf", "-", "&Clear Menu"}));

    RecentItem(3)->trigger();
    EXPECT_EQ(RecentItems(), (std::vector<std::string>{"-", "&Clear Menu"}));
    EXPECT_FALSE(window_->RecentMenu()->menuAction()->isEnabled());
    EXPECT_TRUE(settings_.RecentMovies().isEmpty());
    // The movie that is open stays open.
    EXPECT_EQ(window_->windowTitle(), Title(b));
}

TEST_F(OpenMovieTest, TheRecentListIsKeptBetweenRunsNewestFirstAndPruned) {
    const QString file = QString::fromStdString(scratch_.File("recent.ini"));
    std::vector<QString> movies;
    for (int i = 0; i < 10; ++i)
        movies.push_back(QString::fromStdString(
            WriteMovie(QStringLiteral("m%1.swf").arg(i).toStdString(), 20, 20)));

    app::SettingsStore first(file);
    first.Load();
    for (const QString& movie : movies) first.AddRecentMovie(movie);
    // Again, and by a path naming it another way: it moves to the front, once.
    first.AddRecentMovie(movies[5]);
    first.AddRecentMovie(QString::fromStdString(scratch_.File("sub/../m7.swf")));
    const QStringList expected{movies[7], movies[5], movies[9], movies[8],
                               movies[6], movies[4], movies[3], movies[2]};
    EXPECT_EQ(first.RecentMovies(), expected);
    first.Save();

    app::SettingsStore second(file);
    second.Load();
    EXPECT_EQ(second.RecentMovies(), expected);

    // Files gone since the last run are dropped when the list is loaded; the rest keep
    // their order, and the numbers left over are removed from the file.
    std::filesystem::remove(movies[9].toStdString());
    std::filesystem::remove(movies[4].toStdString());
    app::SettingsStore third(file);
    third.Load();
    const QStringList pruned{movies[7], movies[5], movies[8], movies[6], movies[3], movies[2]};
    EXPECT_EQ(third.RecentMovies(), pruned);
    third.Save();
    QString stored;
    EXPECT_TRUE(third.ReadText("RecentMovie1", stored));
    EXPECT_EQ(stored, movies[7]);
    EXPECT_TRUE(third.ReadText("RecentMovie6", stored));
    EXPECT_EQ(stored, movies[2]);
    EXPECT_FALSE(third.ReadText("RecentMovie7", stored));
    EXPECT_FALSE(third.ReadText("RecentMovie8", stored));

    // While the program runs a file may go too; the next look at the list drops it.
    std::filesystem::remove(movies[5].toStdString());
    EXPECT_TRUE(third.PruneRecentMovies());
    EXPECT_EQ(third.RecentMovies().size(), 5);
    EXPECT_FALSE(third.PruneRecentMovies());

    third.ClearRecentMovies();
    third.Save();
    app::SettingsStore fourth(file);
    fourth.Load();
    EXPECT_TRUE(fourth.RecentMovies().isEmpty());
    EXPECT_FALSE(fourth.ReadText("RecentMovie1", stored));
}

}  // namespace
}  // namespace apptest
