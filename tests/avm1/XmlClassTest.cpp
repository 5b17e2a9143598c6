#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "avm1/ScriptRun.h"
#include "swf/avm1/classes/XmlParser.h"

namespace {

using avm1test::Joined;
using avm1test::RunScript;

// Assembler snippets; each expression leaves one value on the stack.
std::string str(std::string_view text) {
    std::string out = "push \"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"; ";
}

std::string num(double n) {
    return "push " + std::to_string(n) + "; ";
}

// a.b.c: a variable and its members (numbers name elements).
std::string get(std::string_view path) {
    size_t dot = path.find('.');
    std::string out = str(path.substr(0, dot)) + "getVariable; ";
    while (dot != std::string_view::npos) {
        path.remove_prefix(dot + 1);
        dot = path.find('.');
        out += str(path.substr(0, dot)) + "getMember; ";
    }
    return out;
}

// object.method(args), the object given as code.
std::string callOn(const std::string& object, std::string_view method,
                   const std::vector<std::string>& args = {}) {
    std::string out;
    for (auto it = args.rbegin(); it != args.rend(); ++it) out += *it;
    return out + num(static_cast<double>(args.size())) + object + str(method) + "callMethod; ";
}

std::string call(std::string_view path, std::string_view method,
                 const std::vector<std::string>& args = {}) {
    return callOn(get(path), method, args);
}

std::string make(std::string_view type, const std::vector<std::string>& args) {
    std::string out;
    for (auto it = args.rbegin(); it != args.rend(); ++it) out += *it;
    return out + num(static_cast<double>(args.size())) + str(type) + "newObject; ";
}

std::string xml(std::string_view text) {
    return make("XML", {str(text)});
}

std::string let(std::string_view name, const std::string& value) {
    return str(name) + value + "setVariable\n";
}

std::string setm(std::string_view path, std::string_view member, const std::string& value) {
    return get(path) + str(member) + value + "setMember\n";
}

std::string trace(const std::string& value) {
    return value + "trace\n";
}

std::string traces(const std::vector<std::string>& paths) {
    std::string out;
    for (const std::string& path : paths) out += trace(get(path));
    return out;
}

std::string run(const std::string& value) {
    return value + "pop\n";
}

std::string repeat(std::string_view text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

struct Case {
    const char* name;
    std::string script;
    const char* expected;
    int version = 8;
};

// Expectations follow what the original player traces for the same scripts.
TEST(XmlClass, MatchesThePlayer) {
    const std::string deep = repeat("<a>", 300);
    const std::string deepest = repeat("<a>", 256) + repeat("</a>", 256);
    const Case cases[] = {
        {"parse and print",
         let("x", xml("<a y='2' x=\"1\">t<b/><!-- c --><![CDATA[<&>]]></a>")) + trace(get("x")) +
             traces({"x.status", "x.firstChild.attributes.x", "x.firstChild.childNodes.length",
                     "x.firstChild.lastChild.nodeValue"}),
         "<a y=\"2\" x=\"1\">t<b />&lt;&amp;&gt;</a>\n0\n1\n3\n<&>"},
        {"entities as the player decodes them",
         let("x", xml("<a>&lt;&gt;&amp;&quot;&apos;&#65;&#0066;&#67e9;&#x41;&thing;&&amp;</a>")) +
             traces({"x.firstChild.firstChild.nodeValue", "x"}),
         "<>&\"'ABC&#x41;&thing;&&\n"
         "<a>&lt;&gt;&amp;&quot;&apos;ABC&amp;#x41;&amp;thing;&amp;&amp;</a>"},
        {"malformed documents: status and what was read before the error",
         let("a", xml("<a><![CDATA[x")) + let("b", xml("<?xml x")) + let("c", xml("<!DOCTYPE x")) +
             let("d", xml("<a><!-- x")) + let("e", xml("<a b>")) + let("f", xml("<a b='x")) +
             let("g", xml("<a><b></b>")) + let("h", xml("<a></b>")) + let("i", xml("</a>")) +
             let("j", xml("<a>x&lt;<")) +
             traces({"a.status", "a", "b.status", "c.status", "d.status", "d", "e.status", "e",
                     "f.status", "g.status", "g", "h.status", "h", "i.status", "j.status", "j"}),
         "-2\n<a />\n-3\n-4\n-5\n<a />\n-6\n\n-8\n-9\n<a><b /></a>\n-10\n<a />\n-10\n-6\n"
         "<a>x&lt;</a>"},
        {"nesting deeper than 256 levels stops the parse",
         let("x", xml(deep)) + let("y", xml(deepest)) + traces({"x.status", "y.status"}) +
             trace(call("x", "toString") + "push \"length\"; getMember; ") +
             trace(call("y", "toString") + "push \"length\"; getMember; "),
         "-7\n0\n1790\n1790"},
        {"a node's members are enumerable, newest first",
         let("x", make("XMLNode", {num(1), str("a")})) + "push \"x\"; getVariable; enumerate2\n"
             "l: storeRegister 0; push null; equals2; if e; push r:0; trace; jump l\ne:\n",
         "namespaceURI\nlocalName\nprefix\npreviousSibling\nparentNode\nnodeValue\nnodeType\n"
         "nodeName\nnextSibling\nlastChild\nfirstChild\nchildNodes\nattributes\n"
         "getPrefixForNamespace\ngetNamespaceForPrefix\ntoString\nhasChildNodes\nappendChild\n"
         "insertBefore\nremoveNode\ncloneNode"},
        {"declarations",
         let("x", xml("<?xml a?><!DOCTYPE d [<!ENTITY e '>'>]><?xml b?><r/>")) +
             traces({"x.xmlDecl", "x.docTypeDecl", "x"}),
         "<?xml a?><?xml b?>\n<!DOCTYPE d [<!ENTITY e '>'>]>\n"
         "<?xml a?><?xml b?><!DOCTYPE d [<!ENTITY e '>'>]><r />"},
        {"ignoreWhite, also from the prototype",
         let("x", xml("<a> <b> </b> t </a>")) + setm("XML.prototype", "ignoreWhite", "push 1; ") +
             let("y", xml("<a> <b> </b> t </a>")) + traces({"x", "y", "y.ignoreWhite"}) +
             setm("y", "ignoreWhite", "push 0; ") + run(call("y", "parseXML", {str("<a> </a>")})) +
             traces({"y", "y.ignoreWhite"}),
         "<a> <b> </b> t </a>\n<a><b /> t </a>\ntrue\n<a> </a>\nfalse"},
        {"appendChild moves nodes and refuses cycles and its own children",
         let("x", xml("<a><b/></a><c/>")) +
             run(call("x", "appendChild", {get("x.firstChild.firstChild")})) + trace(get("x")) +
             run(call("x.lastChild", "appendChild", {get("x")})) +
             run(call("x.lastChild", "appendChild", {get("x.lastChild")})) +
             run(call("x", "appendChild", {get("x.firstChild")})) + trace(get("x")) +
             traces({"x.firstChild.nextSibling.nodeName", "x.lastChild.previousSibling.nodeName",
                     "x.lastChild.parentNode.nodeName", "x.firstChild.previousSibling"}),
         "<a /><c /><b />\n<a /><c /><b />\nc\nc\nnull\nnull"},
        {"insertBefore and removeNode",
         let("x", xml("<a/><b/>")) + let("c", call("x", "createElement", {str("c")})) +
             run(call("x", "insertBefore", {get("c"), get("x.lastChild")})) + trace(get("x")) +
             run(call("x", "insertBefore", {get("x.lastChild"), get("x.firstChild")})) +
             trace(get("x")) + let("r", get("x.firstChild")) + run(call("r", "removeNode")) +
             trace(get("x")) +
             run(call("x.firstChild", "insertBefore", {get("x.lastChild"), str("none")})) +
             trace(get("x")) + traces({"r.parentNode"}),
         "<a /><c /><b />\n<a /><c /><b />\n<c /><b />\n<c /><b />\nnull"},
        {"childNodes stays the same array, in step with the tree",
         let("x", xml("<l><a/><b/></l>")) + let("k", get("x.firstChild.childNodes")) +
             run(call("x.firstChild", "appendChild", {call("x", "createElement", {str("c")})})) +
             trace(get("k")) + run(call("k", "push", {str("junk")})) + trace(get("k")) +
             run(call("x.firstChild.firstChild", "removeNode")) + trace(get("k")) +
             trace(get("x.firstChild.childNodes") + get("k") + "strictEquals; ") +
             setm("x.firstChild", "childNodes", "push 5; ") + traces({"k.length"}),
         "<a />,<b />,<c />\n<a />,<b />,<c />,junk\n<b />,<c />\ntrue\n2"},
        {"cloneNode copies attributes and children, not expandos",
         let("x", xml("<a k='v'><b/>t</a>")) + setm("x.firstChild", "e", str("x")) +
             let("s", call("x.firstChild", "cloneNode")) +
             let("d", call("x.firstChild", "cloneNode", {"push true; "})) +
             traces({"s", "d", "d.parentNode", "d.e", "d.firstChild.parentNode.attributes.k"}),
         "<a k=\"v\" />\n<a k=\"v\"><b />t</a>\nnull\nundefined\nv"},
        {"attributes print newest first, escaped",
         let("n", make("XMLNode", {"push 1; ", str("t")})) +
             setm("n.attributes", "z", str("<\"'&>")) + setm("n.attributes", "a", str("1")) +
             setm("n.attributes", "z", str("2")) + setm("n", "attributes", "push 3; ") +
             trace(get("n")) + let("m", make("XMLNode", {"push 3; ", str("a<b")})) +
             traces({"m", "m.nodeType", "m.nodeName", "m.attributes.toString"}),
         "<t a=\"1\" z=\"2\" />\na&lt;b\n3\nnull\nundefined"},
        {"new XMLNode makes a node only from a type and a value",
         let("p", make("XMLNode", {"push 1; "})) +
             let("q", make("XMLNode", {"push 1; ", str("q")})) +
             run(call("q", "appendChild", {get("p")})) + traces({"p.nodeType", "q.nodeType", "q"}),
         "undefined\n1\n<q />"},
        {"names and namespaces",
         let("x", xml("<p:a xmlns:p='u1' xmlns='u0'><b xmlnsq='u2'/><p:c:d/>t</p:a>")) +
             traces({"x.firstChild.prefix", "x.firstChild.localName", "x.firstChild.namespaceURI",
                     "x.firstChild.firstChild.prefix", "x.firstChild.firstChild.namespaceURI",
                     "x.firstChild.childNodes.1.localName", "x.firstChild.lastChild.prefix",
                     "x.firstChild.lastChild.namespaceURI", "x.namespaceURI"}) +
             trace(call("x.firstChild.firstChild", "getNamespaceForPrefix", {str("p")})) +
             trace(call("x.firstChild.firstChild", "getNamespaceForPrefix", {str("")})) +
             trace(call("x.firstChild.firstChild", "getPrefixForNamespace", {str("u1")})) +
             trace(call("x.firstChild", "getPrefixForNamespace", {str("u9")})) +
             setm("x.firstChild.attributes", "xmlns:p", str("u3")) +
             trace(call("x.firstChild", "getNamespaceForPrefix", {str("p")})) +
             traces({"x.firstChild.namespaceURI"}),
         "p\na\nu1\n\nu2\nc:d\nnull\nnull\nnull\nu1\nu2\np\nnull\nu3\nu1"},
        {"XML properties: conversions, defaults and where they live",
         let("x", xml("<a/>")) + setm("x", "status", str("7.9")) + setm("x", "loaded", "push 5; ") +
             setm("x", "xmlDecl", "push 4; ") +
             traces({"x.status", "x.loaded", "x.contentType", "x.xmlDecl", "x",
                     "XML.prototype.status"}) +
             trace(call("x", "hasOwnProperty", {str("status")})) +
             trace(call("XML.prototype", "hasOwnProperty", {str("status")})),
         "7\ntrue\napplication/x-www-form-urlencoded\n4\n4<a />\nundefined\nfalse\ntrue"},
        {"a movie without a folder loads nothing: the request is made and refused",
         let("x", xml("")) + let("r", make("Object", {})) + trace(call("x", "getBytesLoaded")) +
             trace(call("x", "load", {str("a.xml")})) +
             traces({"x.loaded", "x._bytesLoaded", "x._bytesTotal"}) +
             trace(call("x", "sendAndLoad", {str("u"), get("r")})) +
             trace(call("x", "sendAndLoad", {str("u"), str("r")})) + traces({"r.loaded"}),
         "undefined\nKinetrope: not loading 'a.xml': the movie has no folder to load from\ntrue\n"
         "false\n0\nundefined\nKinetrope: not loading 'u': the movie has no folder to load from\n"
         "true\nfalse\nfalse"},
        {"addRequestHeader",
         let("x", xml("")) + run(call("x", "addRequestHeader", {str("a"), "push 1; "})) +
             traces({"x._customHeaders"}) +
             run(call("x", "addRequestHeader", {str("a"), str("1")})) +
             run(call("x", "addRequestHeader", {make("Array", {str("b"), str("2"), str("c")})})) +
             traces({"x._customHeaders"}),
         "\na,1,b,2"},
        {"parsed nodes get the XMLNode prototype of the moment",
         setm("XMLNode", "prototype", make("Object", {})) +
             setm("XMLNode.prototype", "tag", str("mine")) + let("x", xml("<a/>")) +
             traces({"x.firstChild.tag", "x.tag"}),
         "mine\nundefined"},
        {"numeric references are bytes before SWF 6",
         let("x", xml("<a>&#65;&#66;</a>")) + traces({"x.firstChild.firstChild.nodeValue"}), "AB",
         5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Joined(RunScript(c.script, c.version)), c.expected) << c.name;
}

// Bounds: a flat document past the node limit and a chain built by script, far deeper than
// the parser allows, printed and copied without recursion.
TEST(XmlClass, StaysWithinItsBounds) {
    // 2^19 empty elements, doubled up by the script (a push holds at most 64K).
    std::string flat = let("s", str("<a/>")) + let("i", "push 0; ") + "double:\n" +
                       let("s", get("s") + get("s") + "add2; ") +
                       let("i", get("i") + "increment; ") + get("i") +
                       "push 19; less2; if double\n" + let("x", make("XML", {get("s")})) +
                       traces({"x.status", "x.childNodes.length"});
    EXPECT_EQ(Joined(RunScript(flat)), "-7\n500000");

    std::string chain = let("x", xml("")) + let("n", get("x")) + let("i", "push 0; ") + "loop:\n" +
                        let("c", call("x", "createElement", {str("a")})) +
                        run(call("n", "appendChild", {get("c")})) + let("n", get("c")) +
                        let("i", get("i") + "increment; ") + get("i") +
                        "push 20000; less2; if loop\n" +
                        trace(call("x", "toString") + "push \"length\"; getMember; ") +
                        trace(callOn(call("x", "cloneNode", {"push true; "}), "toString"));
    std::vector<std::string> lines = RunScript(chain);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "139998");
    EXPECT_EQ(lines[1].size(), 139998u);
    EXPECT_TRUE(lines[1].starts_with("<a><a><a>"));
    EXPECT_EQ(lines[1].find("<a />"), 19999u * 3);
    EXPECT_TRUE(lines[1].ends_with("</a></a>"));
}

// The parser on its own: what it keeps of odd input. Nodes print as parent index and
// <name attributes> or 'text'.
TEST(XmlParser, OddInput) {
    using swf::avm1::XmlParser;
    struct ParserCase {
        const char* text;
        bool ignoreWhite;
        int status;
        const char* nodes;
    };
    const ParserCase cases[] = {
        {"<a b='1'c=\"2\" b='3'/>", false, 0, "-1<a b=1 c=2>"},
        {"<a>x</a ><b/>", false, 0, "-1<a> 0'x' -1<b>"},
        {"a < b", false, XmlParser::kMalformedElement, "-1'a '"},
        {"<a></a", false, XmlParser::kMalformedElement, "-1<a>"},
        {"<a/ >", false, XmlParser::kMalformedElement, ""},
        {"<a =''/>", false, XmlParser::kMalformedElement, ""},
        {"<a><b>\n\t</b> &#32; </a>", true, 0, "-1<a> 0<b>"},
        {"<a><![CDATA[ ]]>&amp;</a>", true, 0, "-1<a> 0'&'"},
        {"<!DOCTYPE x [<!ENTITY y '>'>]><a/>", false, 0, "-1<a>"},
        {"<!DOCTYPE x [", false, XmlParser::kDocTypeNotTerminated, ""},
        {"<?a?><b/><?c", false, XmlParser::kXmlDeclNotTerminated, "-1<b>"},
        {"&#0;&#1114112;&#1114111;", false, 0, "-1'&#0;&#1114112;\xF4\x8F\xBF\xBF'"},
    };
    for (const ParserCase& c : cases) {
        auto result = XmlParser::parse(c.text, c.ignoreWhite, 8);
        std::string nodes;
        for (const auto& node : result.nodes) {
            if (!nodes.empty()) nodes += ' ';
            nodes += std::to_string(node.parent);
            if (!node.isElement) {
                nodes += "'" + node.text + "'";
                continue;
            }
            nodes += "<" + node.text;
            for (const auto& [name, value] : node.attributes) nodes += " " + name + "=" + value;
            nodes += ">";
        }
        EXPECT_EQ(result.status, c.status) << c.text;
        EXPECT_EQ(nodes, c.nodes) << c.text;
    }
}

}  // namespace
