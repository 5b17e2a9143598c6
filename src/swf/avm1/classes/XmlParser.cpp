#include "swf/avm1/classes/XmlParser.h"

#include <algorithm>
#include <unordered_set>

#include "swf/avm1/machine/StringFunctions.h"

namespace swf::avm1 {
namespace {

constexpr size_t npos = std::string_view::npos;

bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool allSpace(std::string_view text) {
    return std::all_of(text.begin(), text.end(), isXmlSpace);
}

struct NamedEntity {
    std::string_view text;
    char value;
};
constexpr NamedEntity kNamedEntities[] = {
    {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''},
};

// What stands between "&#" and ';': decimal digits, then anything (ignored). Only its digit
// run is read, so scanning stays linear however long the rest is.
std::optional<uint32_t> characterReference(std::string_view body) {
    uint32_t code = 0;
    size_t digits = 0;
    for (; digits < body.size() && body[digits] >= '0' && body[digits] <= '9'; ++digits)
        code = std::min<uint32_t>(code * 10 + static_cast<uint32_t>(body[digits] - '0'), 0x110000);
    if (digits == 0 || code == 0 || code > 0x10FFFF) return std::nullopt;
    return code;
}

// The end of a <!...> declaration: its '>', past one bracketed internal subset.
size_t declarationEnd(std::string_view text, size_t from) {
    size_t stop = text.find_first_of("[>", from);
    if (stop == npos || text[stop] == '>') return stop;
    size_t bracket = text.find(']', stop);
    return bracket == npos ? npos : text.find('>', bracket);
}

class Reader {
  public:
    Reader(std::string_view text, bool ignoreWhite, int swfVersion)
        : text_(text), ignoreWhite_(ignoreWhite), swfVersion_(swfVersion) {}

    XmlParseResult run() {
        while (pos_ < text_.size() && result_.status == XmlParser::kOk) {
            if (text_[pos_] != '<')
                readText();
            else if (startsWith("<!--"))
                readComment();
            else if (startsWith("<![CDATA["))
                readCdata();
            else if (startsWith("<?"))
                readXmlDecl();
            else if (startsWith("<!"))
                readDocType();
            else if (startsWith("</"))
                readEndTag();
            else
                readStartTag();
        }
        if (result_.status == XmlParser::kOk && !open_.empty())
            result_.status = XmlParser::kStartTagNotClosed;
        return std::move(result_);
    }

  private:
    bool startsWith(std::string_view prefix) const {
        return text_.substr(pos_).starts_with(prefix);
    }

    // False (with the status set) once the document holds as much as it may.
    bool roomForNode() {
        if (result_.nodes.size() < XmlParser::kMaxNodes && open_.size() < XmlParser::kMaxDepth)
            return true;
        result_.status = XmlParser::kOutOfMemory;
        return false;
    }

    void addText(std::string value) {
        if (ignoreWhite_ && allSpace(value)) return;
        if (!roomForNode()) return;
        XmlParsedNode node;
        node.parent = open_.empty() ? -1 : open_.back();
        node.text = std::move(value);
        result_.nodes.push_back(std::move(node));
    }

    void readText() {
        size_t end = std::min(text_.find('<', pos_), text_.size());
        addText(XmlParser::decodeEntities(text_.substr(pos_, end - pos_), swfVersion_));
        pos_ = end;
    }

    void readComment() {
        size_t end = text_.find("-->", pos_ + 4);
        if (end == npos) {
            result_.status = XmlParser::kCommentNotTerminated;
            return;
        }
        pos_ = end + 3;
    }

    void readCdata() {
        constexpr size_t kOpen = 9;  // "<![CDATA["
        size_t end = text_.find("]]>", pos_ + kOpen);
        if (end == npos) {
            result_.status = XmlParser::kCdataNotTerminated;
            return;
        }
        addText(std::string(text_.substr(pos_ + kOpen, end - pos_ - kOpen)));
        pos_ = end + 3;
    }

    void readXmlDecl() {
        size_t end = text_.find("?>", pos_ + 2);
        if (end == npos) {
            result_.status = XmlParser::kXmlDeclNotTerminated;
            return;
        }
        // Every declaration is kept, one after the other.
        if (!result_.xmlDecl) result_.xmlDecl.emplace();
        result_.xmlDecl->append(text_.substr(pos_, end + 2 - pos_));
        pos_ = end + 2;
    }

    void readDocType() {
        size_t end = declarationEnd(text_, pos_ + 2);
        if (end == npos) {
            result_.status = XmlParser::kDocTypeNotTerminated;
            return;
        }
        result_.docTypeDecl = std::string(text_.substr(pos_, end + 1 - pos_));
        pos_ = end + 1;
    }

    void readEndTag() {
        size_t end = text_.find('>', pos_ + 2);
        if (end == npos) {
            result_.status = XmlParser::kMalformedElement;
            return;
        }
        std::string_view name = text_.substr(pos_ + 2, end - pos_ - 2);
        while (!name.empty() && isXmlSpace(name.back())) name.remove_suffix(1);
        if (open_.empty() || result_.nodes[open_.back()].text != name) {
            result_.status = XmlParser::kEndTagWithoutStart;
            return;
        }
        open_.pop_back();
        pos_ = end + 1;
    }

    size_t skipSpace(size_t at) const {
        while (at < text_.size() && isXmlSpace(text_[at])) ++at;
        return at;
    }

    // Up to white space or one of `stops`.
    size_t nameEnd(size_t at, std::string_view stops) const {
        while (at < text_.size() && !isXmlSpace(text_[at]) && stops.find(text_[at]) == npos) ++at;
        return at;
    }

    void readStartTag() {
        size_t at = nameEnd(pos_ + 1, "/>");
        if (at == pos_ + 1) {
            result_.status = XmlParser::kMalformedElement;
            return;
        }
        XmlParsedNode node;
        node.isElement = true;
        node.text = std::string(text_.substr(pos_ + 1, at - pos_ - 1));
        std::unordered_set<std::string_view> seen;
        bool empty = false;
        for (;;) {
            at = skipSpace(at);
            if (at >= text_.size()) {
                result_.status = XmlParser::kMalformedElement;
                return;
            }
            if (text_[at] == '>') {
                ++at;
                break;
            }
            if (text_[at] == '/') {
                if (at + 1 >= text_.size() || text_[at + 1] != '>') {
                    result_.status = XmlParser::kMalformedElement;
                    return;
                }
                empty = true;
                at += 2;
                break;
            }
            size_t nameStart = at;
            at = nameEnd(at, "=/>");
            std::string_view name = text_.substr(nameStart, at - nameStart);
            at = skipSpace(at);
            if (name.empty() || at >= text_.size() || text_[at] != '=') {
                result_.status = XmlParser::kMalformedElement;
                return;
            }
            at = skipSpace(at + 1);
            if (at >= text_.size() || (text_[at] != '"' && text_[at] != '\'')) {
                result_.status = XmlParser::kMalformedElement;
                return;
            }
            size_t close = text_.find(text_[at], at + 1);
            if (close == npos) {
                result_.status = XmlParser::kAttributeNotTerminated;
                return;
            }
            if (seen.insert(name).second) {
                node.attributes.emplace_back(
                    std::string(name),
                    XmlParser::decodeEntities(text_.substr(at + 1, close - at - 1), swfVersion_));
            }
            at = close + 1;
        }
        if (!roomForNode()) return;
        node.parent = open_.empty() ? -1 : open_.back();
        result_.nodes.push_back(std::move(node));
        if (!empty) open_.push_back(static_cast<int32_t>(result_.nodes.size() - 1));
        pos_ = at;
    }

    std::string_view text_;
    bool ignoreWhite_;
    int swfVersion_;
    size_t pos_ = 0;
    std::vector<int32_t> open_;
    XmlParseResult result_;
};

}  // namespace

XmlParseResult XmlParser::parse(std::string_view text, bool ignoreWhite, int swfVersion) {
    return Reader(text, ignoreWhite, swfVersion).run();
}

std::string XmlParser::decodeEntities(std::string_view text, int swfVersion) {
    if (text.find('&') == npos) return std::string(text);
    std::string out;
    out.reserve(text.size());
    // Found once and reused until passed, so text full of "&#" stays linear.
    size_t semicolon = text.find(';');
    for (size_t i = 0; i < text.size();) {
        if (text[i] != '&') {
            out += text[i++];
            continue;
        }
        std::string_view rest = text.substr(i);
        auto named = std::find_if(std::begin(kNamedEntities), std::end(kNamedEntities),
                                  [&](const NamedEntity& e) { return rest.starts_with(e.text); });
        if (named != std::end(kNamedEntities)) {
            out += named->value;
            i += named->text.size();
            continue;
        }
        if (rest.starts_with("&#")) {
            if (semicolon != npos && semicolon < i) semicolon = text.find(';', i);
            if (semicolon != npos) {
                if (auto code = characterReference(text.substr(i + 2, semicolon - i - 2))) {
                    out += encodeCharacter(*code, swfVersion);
                    i = semicolon + 1;
                    continue;
                }
            }
        }
        out += '&';
        ++i;
    }
    return out;
}

void XmlParser::appendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
}

}  // namespace swf::avm1
