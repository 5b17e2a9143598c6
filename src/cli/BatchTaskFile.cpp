#include "cli/BatchTaskFile.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>

namespace cli {
namespace {

// The commands a task may run; batch itself is not one of them.
constexpr std::array<std::string_view, 5> kConversions = {"avi", "png", "tga", "wav", "video"};
// The options of the conversions that take no value.
constexpr std::array<std::string_view, 3> kFlags = {"--stretch", "--autoplay", "--play"};

bool IsFlag(std::string_view word) {
    return std::find(kFlags.begin(), kFlags.end(), word) != kFlags.end();
}

}  // namespace

std::optional<BatchTaskFile> BatchTaskFile::Read(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    std::string text;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<size_t>(in.gcount()));
        if (text.size() > kMaxBytes) {
            error = path + " is larger than " + std::to_string(kMaxBytes >> 20) + " MB";
            return std::nullopt;
        }
    }
    return Parse(text);
}

BatchTaskFile BatchTaskFile::Parse(std::string_view text) {
    BatchTaskFile file;
    int line = 0;
    while (!text.empty()) {
        ++line;
        if (file.tasks_.size() == kMaxTasks) {
            BatchTask rest;
            rest.line = line;
            rest.error = "more than " + std::to_string(kMaxTasks) + " tasks; split the file";
            file.tasks_.push_back(std::move(rest));
            break;
        }
        const size_t end = text.find('\n');
        std::string_view content = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
        std::string error;
        auto words = SplitWords(content, error);
        if (!words) {
            BatchTask task;
            task.line = line;
            task.error = error;
            file.tasks_.push_back(std::move(task));
        } else if (!words->empty()) {
            file.tasks_.push_back(CheckTask(line, std::move(*words)));
        }
    }
    return file;
}

std::optional<std::vector<std::string>> BatchTaskFile::SplitWords(std::string_view line,
                                                                  std::string& error) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < line.size() &&
                       (line[i + 1] == '"' || line[i + 1] == '\\')) {
                word += line[++i];
            } else {
                word += c;
            }
        } else if (c == ' ' || c == '\t') {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else if (c == '#' && !inWord) {
            break;
        } else {
            // A quote may open anywhere in a word, as in a shell: out"put 1".avi is one word.
            if (c == '"')
                quoted = true;
            else
                word += c;
            inWord = true;
        }
    }
    if (quoted) {
        error = "unbalanced quote";
        return std::nullopt;
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

BatchTask BatchTaskFile::CheckTask(int line, std::vector<std::string> words) {
    BatchTask task;
    task.line = line;
    task.command = words.front();
    task.args = std::move(words);
    if (std::find(kConversions.begin(), kConversions.end(), task.command) == kConversions.end()) {
        task.error = "unknown command '" + task.command + "'";
        return task;
    }
    for (size_t i = 1; i < task.args.size() && task.error.empty(); ++i) {
        const std::string& word = task.args[i];
        if (IsFlag(word)) continue;
        if (word.size() > 1 && word[0] == '-') {
            if (i + 1 == task.args.size())
                task.error = word + " needs a value";
            else if (word == "-o")
                task.output = task.args[i + 1];
            ++i;
        } else if (task.movie.empty()) {
            task.movie = word;
        } else {
            task.error = "more than one movie given ('" + task.movie + "' and '" + word + "')";
        }
    }
    if (!task.error.empty()) return task;
    if (task.movie.empty())
        task.error = "no movie given";
    else if (task.output.empty())
        task.error = "no output given (-o)";
    return task;
}

size_t BatchTaskFile::MalformedCount() const {
    return static_cast<size_t>(std::count_if(tasks_.begin(), tasks_.end(),
                                             [](const BatchTask& t) { return !t.error.empty(); }));
}

}  // namespace cli
