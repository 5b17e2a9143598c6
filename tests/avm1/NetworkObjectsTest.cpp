// The network and file objects of a player that has no network and nobody at a file dialog:
// NetConnection, NetStream, XMLSocket, FileReference(List) and the sandbox a movie is in,
// with the events the original player sends, in its order and on its frames.

#include <gtest/gtest.h>

#include <string>

#include "ScriptRun.h"
#include "support/SwfWriter.h"

namespace {

using avm1test::Joined;
using avm1test::RunMovie;

// `name = new Class(args)` and an onStatus handler that traces the event's code.
std::string withStatus(const std::string& name, const std::string& make) {
    return "push \"" + name + "\"; " + make + "; setVariable\n" + "push \"" + name +
           "\"; getVariable; push \"onStatus\"\n"
           "function (e) { push \"e\"; getVariable; push \"code\"; getMember; trace }; "
           "setMember\n";
}
const std::string kFilters =
    "push \"description\", \"t\", \"extension\", \"*.t\", 2; initObject; push 1; initArray\n";

struct Case {
    const char* name;
    uint32_t fileAttributes;
    std::string script;
    int frames;
    const char* trace;
};

TEST(NetworkObjectsTest, AnswerAsTheOriginalPlayerWithoutNetwork) {
    const Case cases[] = {
        {"a local NetConnection opens at once, again after closing itself", 0,
         withStatus("nc", "push 0, \"NetConnection\"; newObject") +
             "push null, 1, \"nc\"; getVariable; push \"connect\"; callMethod; trace\n"
             "push \"nc\"; getVariable; push \"isConnected\"; getMember; trace\n"
             "push null, 1, \"nc\"; getVariable; push \"connect\"; callMethod; pop\n"
             "push 0, \"nc\"; getVariable; push \"close\"; callMethod; pop\n"
             "push 0, \"nc\"; getVariable; push \"close\"; callMethod; pop\n",
         1,
         "NetConnection.Connect.Success\ntrue\ntrue\nNetConnection.Connect.Closed\n"
         "NetConnection.Connect.Success\nNetConnection.Connect.Closed"},
        {"a server is never reached; closing the attempt reports an empty status", 0,
         withStatus("nc", "push 0, \"NetConnection\"; newObject") +
             "push \"rtmp://host/app\", 1, \"nc\"; getVariable; push \"connect\"; callMethod; "
             "trace\n" +
             withStatus("nd", "push 0, \"NetConnection\"; newObject") +
             "push \"rtmp://host/app\", 1, \"nd\"; getVariable; push \"connect\"; callMethod; "
             "pop\n"
             "push 0, \"nd\"; getVariable; push \"close\"; callMethod; pop\n",
         3, "true\nNetConnection.Connect.Closed\nundefined\nNetConnection.Connect.Failed"},
        {"a stream that cannot be read is reported as the frame ends", 0,
         "push \"nc\", 0, \"NetConnection\"; newObject; setVariable\n"
         "push null, 1, \"nc\"; getVariable; push \"connect\"; callMethod; pop\n" +
             withStatus("ns", "push \"nc\"; getVariable; push 1, \"NetStream\"; newObject") +
             "push \"v.flv\", 1, \"ns\"; getVariable; push \"play\"; callMethod; pop\n"
             "push \"ns\"; getVariable; push \"time\"; getMember; trace\n",
         2,
         "Kinetrope: not loading 'v.flv': the movie has no folder to load from\n0\n"
         "NetStream.Play.StreamNotFound"},
        {"a socket never connects; a port past 16 bits is refused at once", 0,
         "push \"x\", 0, \"XMLSocket\"; newObject; setVariable\n"
         "push \"x\"; getVariable; push \"onConnect\"\n"
         "function (ok) { push \"onConnect \"; push \"ok\"; getVariable; add2; trace }; "
         "setMember\n"
         "push 80, \"localhost\", 2, \"x\"; getVariable; push \"connect\"; callMethod; trace\n"
         "push 65536, \"localhost\", 2, \"x\"; getVariable; push \"connect\"; callMethod; "
         "trace\n",
         3, "true\nfalse\nonConnect false"},
        {"browse checks the filters, then nobody picks a file", 0,
         "push \"f\", 0, \"flash\"; getVariable; push \"net\"; getMember; "
         "push \"FileReferenceList\"; newMethod; setVariable\n"
         "push \"l\", 0, \"Object\"; newObject; setVariable\n"
         "push \"l\"; getVariable; push \"onCancel\"\n"
         "function (t) { push \"onCancel \"; push \"t\"; getVariable; push \"fileList\"; "
         "getMember; add2; trace }; setMember\n"
         "push \"l\"; getVariable; push 1, \"f\"; getVariable; push \"addListener\"; "
         "callMethod; pop\n"
         "push 0; initArray; push 1, \"f\"; getVariable; push \"browse\"; callMethod; trace\n"
         "push \"x\", 1; initArray; push 1, \"f\"; getVariable; push \"browse\"; callMethod; "
         "trace\n"
         "push \"description\", \"\", \"extension\", \"*.t\", 2; initObject; push 1; initArray\n"
         "push 1, \"f\"; getVariable; push \"browse\"; callMethod; trace\n" +
             kFilters + "push 1, \"f\"; getVariable; push \"browse\"; callMethod; trace\n",
         2, "false\nfalse\nfalse\ntrue\nonCancel undefined"},
        {"a download is cancelled like a dialog nobody answers", 0,
         "push \"f\", 0, \"flash\"; getVariable; push \"net\"; getMember; "
         "push \"FileReference\"; newMethod; setVariable\n"
         "push \"l\", 0, \"Object\"; newObject; setVariable\n"
         "push \"l\"; getVariable; push \"onCancel\"\n"
         "function (t) { push \"onCancel \"; push \"t\"; getVariable; push \"name\"; "
         "getMember; add2; trace }; setMember\n"
         "push \"l\"; getVariable; push 1, \"f\"; getVariable; push \"addListener\"; "
         "callMethod; pop\n"
         "push \"u.txt\", 1, \"f\"; getVariable; push \"download\"; callMethod; trace\n"
         "push 0, \"f\"; getVariable; push \"upload\"; callMethod; trace\n",
         2, "true\nfalse\nonCancel undefined"},
        {"the use-network flag puts a local movie in the network sandbox", 1,
         "push \"System\"; getVariable; push \"security\"; getMember; push \"sandboxType\"; "
         "getMember; trace\n",
         1, "localWithNetwork"},
        {"without it the movie may read local files", 0,
         "push \"System\"; getVariable; push \"security\"; getMember; push \"sandboxType\"; "
         "getMember; trace\n",
         1, "localWithFile"},
    };
    for (const Case& c : cases) {
        swftest::SwfWriter movie;
        movie.version(8).frameRate(10).fileAttributes(c.fileAttributes);
        movie.doAction(swftest::ActionBuilder::assemble(c.script)).showFrame();
        EXPECT_EQ(Joined(RunMovie(movie, c.frames)), c.trace) << c.name;
    }
}

}  // namespace
