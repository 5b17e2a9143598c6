// The folders of src/ depend on each other one way only: following the #include lines from
// folder to folder never leads back to where it started, so each folder can be read, tested
// and replaced with only the ones below it.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Folder to folder, each edge with one include that makes it ("file: header").
using FolderGraph = std::map<std::string, std::map<std::string, std::string>>;

// An include names a header by its path under src/, or beside the file that includes it.
FolderGraph ReadGraph(const fs::path& src) {
    std::map<std::string, std::string> folderOf;  // file under src/ -> its folder
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
        const fs::path rel = fs::relative(entry.path(), src);
        folderOf[rel.generic_string()] = rel.parent_path().generic_string();
    }
    static const std::regex kInclude(R"re(^\s*#\s*include\s*"([^"]+)")re");
    FolderGraph graph;
    for (const auto& [file, folder] : folderOf) {
        std::ifstream in(src / file);
        std::smatch match;
        for (std::string line; std::getline(in, line);) {
            if (!std::regex_search(line, match, kInclude)) continue;
            const std::string named = match[1];
            auto target = folderOf.find(named);
            if (target == folderOf.end())
                target =
                    folderOf.find((fs::path(folder) / named).lexically_normal().generic_string());
            if (target != folderOf.end() && target->second != folder)
                graph[folder].try_emplace(target->second, file + ": " + named);
        }
    }
    return graph;
}

// The groups of folders that reach each other (strongly connected, more than one folder),
// each sorted, found by Tarjan's method.
std::vector<std::vector<std::string>> Cycles(const FolderGraph& graph) {
    std::map<std::string, int> index, low;
    std::vector<std::string> stack;
    std::set<std::string> onStack;
    std::vector<std::vector<std::string>> cycles;
    const std::function<void(const std::string&)> visit = [&](const std::string& v) {
        index[v] = low[v] = static_cast<int>(index.size());
        stack.push_back(v);
        onStack.insert(v);
        if (auto out = graph.find(v); out != graph.end())
            for (const auto& [w, why] : out->second) {
                if (!index.contains(w)) {
                    visit(w);
                    low[v] = std::min(low[v], low[w]);
                } else if (onStack.contains(w)) {
                    low[v] = std::min(low[v], index[w]);
                }
            }
        if (low[v] != index[v]) return;
        std::vector<std::string> group;
        do {
            group.push_back(stack.back());
            onStack.erase(stack.back());
            stack.pop_back();
        } while (group.back() != v);
        std::sort(group.begin(), group.end());
        if (group.size() > 1) cycles.push_back(std::move(group));
    };
    for (const auto& [v, out] : graph)
        if (!index.contains(v)) visit(v);
    std::sort(cycles.begin(), cycles.end());
    return cycles;
}

TEST(IncludeGraphTest, FindsTheFoldersThatIncludeEachOther) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> files;  // path under src/ -> its text
        std::vector<std::vector<std::string>> cycles;
    };
    const std::vector<Case> cases = {
        {"one way", {{"a/A.h", "#include \"b/B.h\""}, {"b/B.h", ""}}, {}},
        {"two folders",
         {{"a/A.h", "#include \"b/B.h\""}, {"b/B.h", ""}, {"b/B.cpp", "  #  include \"a/A.h\""}},
         {{"a", "b"}}},
        {"through a third",
         {{"a/A.h", "#include \"b/B.h\""},
          {"b/B.h", "#include \"c/C.h\""},
          {"c/C.h", "#include \"a/A.h\""},
          {"d/D.h", "#include \"a/A.h\""}},
         {{"a", "b", "c"}}},
        {"beside the file and in comments",
         {{"a/A.h", "#include \"A2.h\"\n// #include \"b/B.h\""},
          {"a/A2.h", ""},
          {"b/B.h", "#include \"a/A.h\""}},
         {}},
        {"a subfolder is a folder of its own",
         {{"a/A.h", "#include \"a/sub/S.h\""}, {"a/sub/S.h", "#include \"../A.h\""}},
         {{"a", "a/sub"}}},
    };
    const fs::path root =
        fs::temp_directory_path() / ("kt-include-graph-" + std::to_string(getpid()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(root);
        for (const auto& [path, text] : c.files) {
            fs::create_directories((root / path).parent_path());
            std::ofstream(root / path) << text << '\n';
        }
        EXPECT_EQ(Cycles(ReadGraph(root)), c.cycles);
    }
    fs::remove_all(root);
}

TEST(IncludeGraphTest, SourceFoldersIncludeOneWay) {
    const FolderGraph graph = ReadGraph(KT_SOURCE_DIR);
    ASSERT_TRUE(graph.contains("swf/display")) << "no sources read from " << KT_SOURCE_DIR;
    for (const auto& cycle : Cycles(graph)) {
        std::string edges;
        for (const std::string& from : cycle)
            for (const auto& [to, why] : graph.at(from))
                if (std::binary_search(cycle.begin(), cycle.end(), to))
                    edges += "\n  " + from + " -> " + to + " (" + why + ")";
        ADD_FAILURE() << "these folders include each other:" << edges;
    }
}

}  // namespace
