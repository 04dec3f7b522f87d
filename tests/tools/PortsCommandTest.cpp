// kadrant-ports on a fake device tree: the list, assign and forget, and every refusal as one line,
// a non-zero exit and the ports/ directory exactly as it was.
#include "tests/support/FakeSerialTree.h"
#include "tools/ports/TPortsCommand.h"

#include <gtest/gtest.h>
#include <map>
#include <sstream>

using fakeserial::LinkOf;
using fakeserial::TFakeSerialTree;

namespace {

const std::string A = "usb-FTDI_FT232R_USB_UART_A10KAAAA-if00-port0";

// Every entry of a directory with the link's text, or "*" for what is not a link.
std::map<std::string, std::string> Snapshot(const std::string& dir) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string path = entry.path().string();
        entries[entry.path().filename().string()] = entry.is_symlink() ? LinkOf(path) : "*";
    }
    return entries;
}

class PortsCommand : public testing::Test {
protected:
    PortsCommand() {
        Tree.Plug(A, "ttyUSB0");
        std::filesystem::create_symlink("/dev/null", Tree.Port(1)); // made by hand
        TFakeSerialTree::Write(Tree.Port(4), "x");
        TFakeSerialTree::Write(Tree.Root / "plain-file", "x");
    }
    int Run(std::vector<std::string> args) {
        Out.str("");
        Err.str("");
        args.insert(args.begin(), {"--dir", (Tree.Root / "work").string()});
        return RunPortsCommand(args, Tree.Roots, "/nonexistent", Out, Err);
    }
    TFakeSerialTree Tree;
    std::ostringstream Out, Err;
};

struct TRefusal {
    const char* Name;
    std::vector<std::string> Args; // "$FILE" stands for a regular file, "$NODE" for the adapter
    const char* Message;
    friend std::ostream& operator<<(std::ostream& out, const TRefusal& r) { return out << r.Name; }
};

class PortsCommandRefusals : public PortsCommand, public testing::WithParamInterface<TRefusal> {};

TEST_P(PortsCommandRefusals, SayWhyInOneLineAndChangeNothing) {
    std::vector<std::string> args = GetParam().Args;
    for (std::string& arg : args) {
        if (arg == "$FILE")
            arg = (Tree.Root / "plain-file").string();
        if (arg == "$NODE")
            arg = Tree.Node("ttyUSB0");
    }
    ASSERT_EQ(Run({"assign", "Com3", A}), 0); // the adapter is Com3 before each refusal
    const auto before = Snapshot(Tree.Roots.Ports);
    EXPECT_EQ(Run(args), 1);
    const std::string message = Err.str();
    EXPECT_NE(message.find(GetParam().Message), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_EQ(Snapshot(Tree.Roots.Ports), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PortsCommandRefusals,
    testing::Values(
        TRefusal{"NumberTooHigh", {"assign", "Com27", "$NODE"}, "Com27: a Com number is 1 to 26"},
        TRefusal{"NumberZero", {"forget", "Com0"}, "Com0: a Com number is 1 to 26"},
        TRefusal{"NotAComName", {"assign", "ttyUSB0", "$NODE"}, "is not a Com number"},
        TRefusal{"NoSuchDevice",
                 {"assign", "Com5", "/dev/no-such-adapter"},
                 "no such device: /dev/no-such-adapter"},
        TRefusal{
            "NoSuchByIdName", {"assign", "Com5", "usb-Nothing"}, "no such device: usb-Nothing"},
        TRefusal{"NotADevice", {"assign", "Com5", "$FILE"}, "not a serial device"},
        TRefusal{
            "NotASerialLine", {"assign", "Com5", "/dev/null"}, "not a serial device: /dev/null"},
        TRefusal{"AdapterHasANumber", {"assign", "Com5", "$NODE"}, "is already Com3"},
        TRefusal{
            "NumberTakenByALink", {"assign", "Com1", "$NODE"}, "Com1 already leads to /dev/null"},
        TRefusal{"NumberTakenByAFile", {"assign", "Com4", "$NODE"}, "is not a link; left alone"},
        TRefusal{"ForgetNothing", {"forget", "Com9"}, "Com9 has no link"},
        TRefusal{"ForgetAFile", {"forget", "Com4"}, "is not a link; left alone"},
        TRefusal{"ForgetAHandMadeLink", {"forget", "Com1"}, "not to a serial device"}),
    [](const testing::TestParamInfo<TRefusal>& c) { return std::string(c.param.Name); });

TEST_F(PortsCommand, AssignsByTheStableNameListsAndForgets) {
    // Given by its node, linked by its by-id name.
    ASSERT_EQ(Run({"assign", "com5", Tree.Node("ttyUSB0")}), 0) << Err.str();
    EXPECT_EQ(LinkOf(Tree.Port(5)), Tree.ById(A));

    ASSERT_EQ(Run({}), 0);
    std::istringstream lines(Out.str());
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);)
        rows.push_back(line);
    ASSERT_EQ(rows.size(), 26u);
    EXPECT_EQ(rows[4], "Com5\tports/Com5 -> " + Tree.ById(A) + "\t" + Tree.Node("ttyUSB0") +
                           "\tFT232R USB UART, serial A10KXXXX, " + Tree.Node("ttyUSB0") +
                           "\tpresent");
    EXPECT_EQ(rows[3], "Com4\tnot a link\t-\t" + Tree.Port(4) +
                           " is not a link; Kadrant leaves it alone\tabsent");
    EXPECT_EQ(rows[5], "Com6\t-\t-\t-\tabsent");

    ASSERT_EQ(Run({"forget", "Com5"}), 0) << Err.str();
    EXPECT_FALSE(std::filesystem::is_symlink(Tree.Port(5)));
    // Unnumbered now, and the list says so.
    ASSERT_EQ(Run({"list"}), 0);
    EXPECT_NE(Out.str().find(Tree.ById(A) + " (FT232R USB UART, serial A10KXXXX, " +
                             Tree.Node("ttyUSB0") + "): no Com number yet"),
              std::string::npos)
        << Out.str();
}

} // namespace
