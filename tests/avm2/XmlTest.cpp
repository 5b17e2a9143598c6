// XML and XMLList with E4X: parsing, printing, property access, assignment, descendants,
// filters and comparison, run as small ABC scripts and checked by what they trace.

#include <gtest/gtest.h>

#include "ScriptEmit.h"

namespace {

using namespace avm2test;

Emit Xml(std::string markup) { return New("XML", {Str(std::move(markup))}); }
Emit XmlString(Emit value) { return Call(std::move(value), "toXMLString", {}); }
Emit Attr(Emit target, std::string name) {
    return [target, name](AbcBuilder& abc, AbcCode& code) {
        target(abc, code);
        code.op(OP_getproperty, abc.attributeName(abc.ns(0x16, ""), name));
    };
}
Emit Descendants(Emit target, std::string name) {
    return [target, name](AbcBuilder& abc, AbcCode& code) {
        target(abc, code);
        code.op(OP_getdescendants, abc.publicName(name));
    };
}
// target.name = value (or target.@name), then the target.
Emit Assign(Emit target, std::string name, Emit value, bool attribute = false) {
    return After(target, [=](AbcBuilder& abc, AbcCode& code) {
        value(abc, code);
        uint32_t ns = abc.ns(0x16, "");
        code.op(OP_setproperty, attribute ? abc.attributeName(ns, name) : abc.qname(ns, name));
    });
}
Emit Delete(Emit target, std::string name, bool attribute) {
    return After(target, [=](AbcBuilder& abc, AbcCode& code) {
        uint32_t ns = abc.ns(0x16, "");
        code.op(OP_deleteproperty, attribute ? abc.attributeName(ns, name) : abc.qname(ns, name));
        code.op(OP_pop);
    });
}
Emit Binary(uint8_t op, Emit a, Emit b) {
    return [=](AbcBuilder& abc, AbcCode& code) {
        a(abc, code);
        b(abc, code);
        code.op(op);
    };
}

TEST(Avm2Xml, ParsesPrintsAndReadsAsThePlayerDoes) {
    const std::string order = "<order id=\"7\"><!-- note --><item id=\"1\">pen</item><item id=\"2\">ink</item></order>";
    const std::vector<Case> cases = {
        {"complex content prints indented", XmlString(Xml(order)),
         "<order id=\"7\">\n  <item id=\"1\">pen</item>\n  <item id=\"2\">ink</item>\n</order>"},
        {"simple content prints its text", Xml("<a>  hi <![CDATA[<b>]]></a>"), "hi<b>"},
        {"an empty element closes itself", XmlString(Xml("<a></a>")), "<a/>"},
        {"entities are read and escaped again", XmlString(Xml("<a t='&quot;&#65;'>&lt;&amp;&#x42;&gt;</a>")),
         "<a t=\"&quot;A\">&lt;&amp;B&gt;</a>"},
        {"children by name", Call(Get(Xml(order), "item"), "length", {}), "2"},
        {"a child by index", Get(Get(Xml(order), "item"), "1"), "ink"},
        {"an attribute", Attr(Get(Get(Xml(order), "item"), "1"), "id"), "2"},
        {"attributes of a list", Attr(Get(Xml(order), "item"), "id"), "12"},
        {"comments are ignored by default", Call(Call(Xml(order), "children", {}), "length", {}), "2"},
        {"descendants", XmlString(Descendants(Xml("<a><b>1</b><c><b>2</b></c></a>"), "b")), "<b>1</b>\n<b>2</b>"},
        {"nodeKind and name", Call(Call(Attr(Xml(order), "id"), "name", {}), "toString", {}), "id"},
        {"namespaces are declared where they are printed", XmlString(Call(Xml("<p:a xmlns:p=\"u\"><p:b/></p:a>"), "children", {})),
         "<p:b xmlns:p=\"u\"/>"},
        {"assignment replaces text", XmlString(Assign(Xml("<a><b>1</b></a>"), "b", Str("2"))), "<a>\n  <b>2</b>\n</a>"},
        {"assignment creates children and attributes",
         XmlString(Assign(Assign(Xml("<a/>"), "c", Num(3)), "k", Str("v\""), true)), "<a k=\"v&quot;\">\n  <c>3</c>\n</a>"},
        {"delete removes attributes", XmlString(Delete(Xml("<a x='1' y='2'/>"), "x", true)), "<a y=\"2\"/>"},
        {"appendChild of XML", XmlString(Call(Xml("<a/>"), "appendChild", {Xml("<b/>")})), "<a>\n  <b/>\n</a>"},
        {"appendChild of a string after an element", XmlString(Call(Xml("<a><b/></a>"), "appendChild", {Str("<i>")})),
         "<a>\n  <b/>\n  <b>&lt;i&gt;</b>\n</a>"},
        {"a string given by name asks for an attribute", [](AbcBuilder& abc, AbcCode& code) {
             Xml("<a k='v'/>")(abc, code);
             code.op(OP_pushstring, abc.string("@k")).op(OP_getproperty, abc.multinameL(abc.nsSet({abc.ns(0x16, "")})));
         }, "v"},
        {"insertChildBefore", XmlString([](AbcBuilder& abc, AbcCode& code) {
             Xml("<a><c/></a>")(abc, code);
             code.op(OP_dup).op(OP_getproperty, abc.publicName("c"));
             Xml("<b/>")(abc, code);
             code.op(OP_callproperty, abc.publicName("insertChildBefore"), 2);
         }),
         "<a>\n  <b/>\n  <c/>\n</a>"},
        {"text equals a string", Binary(OP_equals, Attr(Xml("<a x='2'/>"), "x"), Num(2)), "true"},
        {"equal trees are ==", Binary(OP_equals, Xml("<a><b x='1'/></a>"), Xml("<a><b x='1'/></a>")), "true"},
        {"different trees are not", Binary(OP_equals, Xml("<a><b/></a>"), Xml("<a><c/></a>")), "false"},
        {"XML plus XML is a list", Call(Binary(OP_add, Xml("<a/>"), Xml("<b/>")), "length", {}), "2"},
        {"typeof", [](AbcBuilder& abc, AbcCode& code) { Xml("<a/>")(abc, code); code.op(OP_typeof); }, "xml"},
    };
    for (const Case& c : cases) EXPECT_EQ(TraceOf(c.value), c.trace) << c.name;
}

TEST(Avm2Xml, MalformedMarkupThrowsThePlayersErrors) {
    const std::vector<Case> cases = {
        {"two roots", Xml("<a/><b/>"), "TypeError: Error #1088: The markup in the document following the root element must be well-formed."},
        {"a mismatched end tag", Xml("<a><b></a>"),
         "TypeError: Error #1085: The element type \"b\" must be terminated by the matching end-tag \"</b>\"."},
        {"an unterminated comment", Xml("<a><!-- x</a>"), "TypeError: Error #1094: XML parser failure: Unterminated comment."},
        {"an unterminated attribute", Xml("<a x='1/>"), "TypeError: Error #1095: XML parser failure: Unterminated attribute."},
        {"a malformed element", Xml("<a <b/>"), "TypeError: Error #1090: XML parser failure: element is malformed."},
        {"an unbound prefix", Xml("<p:a/>"), "TypeError: Error #1083: The prefix \"p\" for element \"a\" is not bound."},
        {"assignment to an index", Assign(Xml("<a/>"), "0", Str("x")), "TypeError: Error #1087: Assignment to indexed XML is not allowed."},
        {"a loop of nodes", [](AbcBuilder& abc, AbcCode& code) {
             Xml("<a><b/></a>")(abc, code);
             code.op(OP_dup).op(OP_getproperty, abc.publicName("b")).op(OP_swap);
             code.op(OP_callproperty, abc.publicName("appendChild"), 1);
         }, "TypeError: Error #1118: Illegal cyclical loop between nodes."},
    };
    for (const Case& c : cases) EXPECT_EQ(TraceOf(c.value), c.trace) << c.name;
}

TEST(Avm2Xml, DeepNestingNeedsNoDeepStack) {
    const int depth = 200000;
    std::string open, close;
    for (int i = 0; i < depth; ++i) open += "<a>", close += "</a>";
    // Printed (flat: pretty printing would indent quadratically), copied, compared and
    // searched without recursion; unclosed, refused.
    Emit deep = Xml(open + "x" + close);
    Emit flat = [deep](AbcBuilder& abc, AbcCode& code) {
        code.op(OP_getlex, abc.publicName("XML")).op(OP_pushfalse).op(OP_setproperty, abc.publicName("prettyPrinting"));
        XmlString(deep)(abc, code);
    };
    EXPECT_EQ(TraceOf(Get(flat, "length")), std::to_string(depth * 7 + 1));
    EXPECT_EQ(TraceOf(Binary(OP_equals, Call(deep, "copy", {}), deep)), "true");
    EXPECT_EQ(TraceOf(Call(Descendants(deep, "a"), "length", {})), std::to_string(depth - 1));
    EXPECT_EQ(TraceOf(Xml(open)), "TypeError: Error #1085: The element type \"a\" must be terminated by the matching end-tag \"</a>\".");
}

// xml.item.(@id == "2") as the compiler writes it: checkfilter, then a hasnext2 loop that
// pushes each item as a with scope and appends the ones that pass to a new list.
TEST(Avm2Xml, FilterAndForEachRunAsCompiled) {
    auto lines = RunScriptBody(
        [](AbcBuilder& abc, AbcCode& code) {
            uint32_t anyIndex = abc.multinameL(abc.nsSet({abc.ns(0x16, "")}));
            Xml("<r><item id='1'>a</item><item id='2'>b</item><item id='2'>c</item></r>")(abc, code);
            code.op(OP_getproperty, abc.publicName("item")).op(OP_checkfilter).op(OP_setlocal1);
            code.pushByte(0).op(OP_setlocal2);
            New("XMLList", {Str("")})(abc, code);
            code.op(OP_setlocal3).pushByte(0).op(OP_setlocal, 5);
            AbcCode::Label body = code.newLabel(), check = code.newLabel();
            code.branch(OP_jump, check).bind(body).op(OP_label);
            code.op(OP_getlocal1).op(OP_getlocal2).op(OP_nextvalue).op(OP_dup).op(OP_setlocal, 4).op(OP_pushwith);
            uint32_t id = abc.attributeName(abc.ns(0x16, ""), "id");
            code.op(OP_findpropstrict, id).op(OP_getproperty, id).op(OP_pushstring, abc.string("2")).op(OP_equals);
            code.op(OP_popscope).branch(OP_iffalse, check);
            code.op(OP_getlocal3).op(OP_getlocal, 5).op(OP_getlocal, 4).op(OP_setproperty, anyIndex).op(OP_inclocal, 5);
            code.bind(check).op(OP_hasnext2, 1, 2).branch(OP_iftrue, body);
            EmitTrace(abc, code, [&] { XmlString([](AbcBuilder&, AbcCode& c) { c.op(OP_getlocal3); })(abc, code); });
            // for each (var x in result) trace(x)
            code.pushByte(0).op(OP_setlocal2);
            AbcCode::Label each = code.newLabel(), next = code.newLabel();
            code.branch(OP_jump, next).bind(each).op(OP_label);
            EmitTrace(abc, code, [&] { code.op(OP_getlocal3).op(OP_getlocal2).op(OP_nextvalue); });
            code.bind(next).op(OP_hasnext2, 3, 2).branch(OP_iftrue, each);
        },
        {.maxStack = 12, .localCount = 8});
    EXPECT_EQ(Joined(lines), "<item id=\"2\">b</item>\n<item id=\"2\">c</item>\nb\nc");
}

TEST(Avm2Xml, SettingsChangeParsingAndPrinting) {
    auto withSettings = [](std::vector<std::pair<std::string, Emit>> settings, Emit value) -> Emit {
        return [=](AbcBuilder& abc, AbcCode& code) {
            for (const auto& [name, v] : settings) {
                code.op(OP_getlex, abc.publicName("XML"));
                v(abc, code);
                code.op(OP_setproperty, abc.publicName(name));
            }
            value(abc, code);
        };
    };
    auto False = [](AbcBuilder&, AbcCode& code) { code.op(OP_pushfalse); };
    const std::string doc = "<a><?pi x?><!--c--> <b>t</b></a>";
    const std::vector<Case> cases = {
        {"comments and instructions kept",
         withSettings({{"ignoreComments", False}, {"ignoreProcessingInstructions", False}}, XmlString(Xml(doc))),
         "<a>\n  <?pi x?>\n  <!--c-->\n  <b>t</b>\n</a>"},
        {"whitespace kept, printed flat", withSettings({{"ignoreWhitespace", False}, {"prettyPrinting", False}}, XmlString(Xml(doc))),
         "<a> <b>t</b></a>"},
        {"indent of four", withSettings({{"prettyIndent", Num(4)}}, XmlString(Xml("<a><b/></a>"))), "<a>\n    <b/>\n</a>"},
    };
    for (const Case& c : cases) EXPECT_EQ(TraceOf(c.value), c.trace) << c.name;
}

TEST(Avm2Xml, MethodsNamesAndNamespaces) {
    auto Length = [](Emit v) { return Call(std::move(v), "length", {}); };
    auto Ns = [](Emit prefix, Emit uri) { return New("Namespace", {std::move(prefix), std::move(uri)}); };
    auto QN = [](Emit uri, Emit local) { return New("QName", {std::move(uri), std::move(local)}); };
    const std::string doc = "<r xmlns:p='urn:p'><p:a k='1'>x</p:a><b>y</b><p:a>z</p:a></r>";
    const std::vector<Case> cases = {
        {"elements by QName", Length(Call(Xml(doc), "elements", {QN(Str("urn:p"), Str("a"))})), "2"},
        {"unqualified names miss namespaced elements", Length(Get(Xml(doc), "a")), "0"},
        {"a namespaced child printed alone declares its namespace",
         XmlString(Get(Call(Xml(doc), "elements", {QN(Str("urn:p"), Str("a"))}), "0")), "<p:a k=\"1\" xmlns:p=\"urn:p\">x</p:a>"},
        {"namespace() of an element", Call(Call(Get(Call(Xml(doc), "children", {}), "0"), "namespace", {}), "toString", {}), "urn:p"},
        {"localName", Call(Get(Call(Xml(doc), "children", {}), "1"), "localName", {}), "b"},
        {"QNames equal by URI and name", Binary(OP_equals, QN(Str("u"), Str("n")), QN(Str("u"), Str("n"))), "true"},
        {"namespaces equal by URI", Binary(OP_equals, Ns(Str("a"), Str("u")), Ns(Str("b"), Str("u"))), "true"},
        {"QName prints uri::name", Call(QN(Str("u"), Str("n")), "toString", {}), "u::n"},
        {"default xml namespace", [](AbcBuilder& abc, AbcCode& code) {
             code.op(OP_dxns, abc.string("urn:d"));
             // An unqualified name, as the compiler writes it: a multiname over the open namespaces.
             Xml("<a><b>1</b></a>")(abc, code);
             code.op(OP_getproperty, abc.multiname("b", abc.nsSet({abc.ns(0x16, "")})));
             code.op(OP_callproperty, abc.publicName("toXMLString"), 0);
         }, "<b xmlns=\"urn:d\">1</b>"},
        {"descendant attributes", Attr(Descendants(Xml("<a id='1'><b id='2'><c id='3'/></b></a>"), "*"), "id"), "23"},
        {"childIndex", Call(Get(Xml("<a><b/><c/></a>"), "c"), "childIndex", {}), "1"},
        {"parent", Call(Call(Get(Xml("<a><b/></a>"), "b"), "parent", {}), "localName", {}), "a"},
        {"hasComplexContent", Call(Xml("<a><b/></a>"), "hasComplexContent", {}), "true"},
        {"hasSimpleContent of a comment list", Call(Xml("<a>t</a>"), "hasSimpleContent", {}), "true"},
        {"contains", Call(Call(Xml("<a><b>1</b></a>"), "children", {}), "contains", {Xml("<b>1</b>")}), "true"},
        {"text()", Call(Xml("<a>t<b/>u</a>"), "text", {}), "tu"},
        {"replace by name", XmlString(Call(Xml("<a><b/><c/></a>"), "replace", {Str("b"), Xml("<d/>")})),
         "<a>\n  <d/>\n  <c/>\n</a>"},
        {"setChildren", XmlString(Call(Xml("<a><b/></a>"), "setChildren", {Xml("<c/>")})), "<a>\n  <c/>\n</a>"},
        {"prependChild", XmlString(Call(Xml("<a><b/></a>"), "prependChild", {Xml("<c/>")})), "<a>\n  <c/>\n  <b/>\n</a>"},
        {"normalize merges text", Length(Call(Call(Call(Xml("<a>x</a>"), "appendChild", {Str("y")}), "normalize", {}), "children", {})), "1"},
        {"setName", [](AbcBuilder& abc, AbcCode& code) {
             XmlString(After(Xml("<a/>"), [](AbcBuilder& abc, AbcCode& code) { Call([](AbcBuilder&, AbcCode&) {}, "setName", {Str("z")})(abc, code); code.op(OP_pop); }))(abc, code);
         }, "<z/>"},
        {"setName refuses what is no XML name", Call(Xml("<a/>"), "setName", {Str("1x")}), "TypeError: Error #1117: Invalid XML name: 1x."},
        {"an XML method on a list of two", Call(Get(Xml("<a><b/><b/></a>"), "b"), "name", {}),
         "TypeError: Error #1086: The name method only works on lists containing one item."},
        {"a String method on simple content", Call(Xml("<a>abc</a>"), "toUpperCase", {}), "ABC"},
        {"assignment through an empty list creates the path", XmlString(Assign(Get(Xml("<a/>"), "b"), "c", Str("v"))),
         "<b>\n  <c>v</c>\n</b>"},
        {"hasOwnProperty sees children, not methods", Call(Xml("<a><b/></a>"), "hasOwnProperty", {Str("copy")}), "false"},
        {"isXMLName", Call(Global("isXMLName"), "call", {Global("isXMLName"), Str("a-b.c")}), "true"},
    };
    for (const Case& c : cases) EXPECT_EQ(TraceOf(c.value), c.trace) << c.name;
}

}  // namespace
