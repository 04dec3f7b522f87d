// Com numbers for USB serial adapters, on a fake by-id directory and sysfs tree: which number an
// adapter gets, that it keeps it, that nothing else in ports/ is touched, and what each number is.
#include "serial/PortAssign.h"
#include "serial/PortNames.h"
#include "tests/support/ChildWait.h"
#include "tests/support/FakeSerialTree.h"

#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace serialports;
using fakeserial::LinkOf;
using fakeserial::TFakeSerialTree;

namespace {

const std::string A = "usb-FTDI_FT232R_USB_UART_A10KAAAA-if00-port0";
const std::string B = "usb-Prolific_USB-Serial_Controller_BBBB-if00-port0";

std::vector<int> Numbers(const std::vector<TAssignment>& made) {
    std::vector<int> numbers;
    for (const TAssignment& a : made)
        numbers.push_back(a.Number);
    return numbers;
}

} // namespace

// The adapter plugged first gets Com3, the second Com4, and each keeps its number when it comes
// back on another socket, whichever is plugged first then.
class AssignmentOrder : public testing::TestWithParam<bool> {};

TEST_P(AssignmentOrder, FirstSeenGetsComThreeAndBothKeepTheirNumbers) {
    TFakeSerialTree tree;
    const std::string first = GetParam() ? A : B, second = GetParam() ? B : A;
    tree.Plug(first, "ttyUSB0");
    EXPECT_EQ(Numbers(AssignAdapters(tree.Roots)), std::vector<int>{3});
    tree.Unplug(first, "ttyUSB0");
    tree.Plug(second, "ttyUSB0");
    EXPECT_EQ(Numbers(AssignAdapters(tree.Roots)), std::vector<int>{4});
    EXPECT_EQ(LinkOf(tree.Port(3)), tree.ById(first));
    EXPECT_EQ(LinkOf(tree.Port(4)), tree.ById(second));

    // Both back, on other sockets and the other way round: nothing new, both where they were.
    tree.Unplug(second, "ttyUSB0");
    tree.Plug(second, "ttyUSB3");
    tree.Plug(first, "ttyUSB7");
    EXPECT_TRUE(AssignAdapters(tree.Roots).empty());
    const std::vector<TComPort> ports = DescribePorts(tree.Roots);
    EXPECT_TRUE(ports[2].Present && ports[3].Present);
    EXPECT_EQ(ports[2].Device, tree.Node("ttyUSB7"));
    EXPECT_EQ(ports[3].Device, tree.Node("ttyUSB3"));
    EXPECT_TRUE(AdaptersWithoutNumber(tree.Roots).empty());
}

INSTANTIATE_TEST_SUITE_P(EitherFirst, AssignmentOrder, testing::Bool());

// Entries made by hand take their numbers and stay exactly as they were; a UART on ttyS(N-1)
// takes ComN; a node without a UART does not.
TEST(Assignment, SkipsEveryTakenNumberAndTouchesNothing) {
    TFakeSerialTree tree;
    std::filesystem::create_symlink("/dev/null", tree.Port(3));
    TFakeSerialTree::Write(tree.Port(4), "kept\n");
    std::filesystem::create_directory(tree.Port(5));
    std::filesystem::create_symlink("/nonexistent/port", tree.Port(6));
    tree.SerialPort(6, 4); // Com7 is a real UART
    tree.SerialPort(7, 0); // ttyS7 has none: Com8 is free
    tree.Plug(A, "ttyUSB0");
    EXPECT_EQ(Numbers(AssignAdapters(tree.Roots)), std::vector<int>{8});
    EXPECT_EQ(LinkOf(tree.Port(3)), "/dev/null");
    EXPECT_EQ(LinkOf(tree.Port(6)), "/nonexistent/port");
    EXPECT_TRUE(std::filesystem::is_directory(tree.Port(5)));
    std::ifstream file(tree.Port(4));
    std::string text;
    std::getline(file, text);
    EXPECT_EQ(text, "kept");
    // Only the new link and what was there: no temporary names left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tree.Roots.Ports),
                            std::filesystem::directory_iterator()),
              5);
}

struct TOddCase {
    const char* Name;
    std::function<void(TFakeSerialTree&)> Setup;
    int Expected; // links made
    int Left = 0; // adapters that find no free number
    friend std::ostream& operator<<(std::ostream& out, const TOddCase& c) { return out << c.Name; }
};

class OddByIdEntries : public testing::TestWithParam<TOddCase> {};

TEST_P(OddByIdEntries, OnlyRealAdaptersGetANumberAndEachOnlyOne) {
    TFakeSerialTree tree;
    GetParam().Setup(tree);
    std::vector<TAssignment> made = AssignAdapters(tree.Roots);
    ASSERT_EQ(static_cast<int>(made.size()), GetParam().Expected);
    for (const TAssignment& a : made) {
        EXPECT_EQ(LinkOf(tree.Port(a.Number)), a.Adapter.ById);
        EXPECT_TRUE(DescribePorts(tree.Roots)[a.Number - 1].Present);
    }
    EXPECT_EQ(static_cast<int>(AdaptersWithoutNumber(tree.Roots).size()), GetParam().Left);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OddByIdEntries,
    testing::Values(
        TOddCase{"NoByIdDirectory",
                 [](TFakeSerialTree& fake) {
                     fake.Plug(A, "ttyUSB0");
                     fake.Roots.ById += "-gone";
                 },
                 0},
        TOddCase{"AdapterAHandMadeLinkReaches",
                 [](TFakeSerialTree& fake) {
                     fake.Plug(A, "ttyUSB0");
                     std::filesystem::create_symlink(fake.Node("ttyUSB0"), fake.Port(1));
                 },
                 0},
        TOddCase{"Dangling",
                 [](TFakeSerialTree& fake) {
                     std::filesystem::create_symlink("../../ttyUSB9", fake.ById(A));
                 },
                 0},
        TOddCase{"RegularFileNamedLikeANode",
                 [](TFakeSerialTree& fake) {
                     TFakeSerialTree::Write(fake.Root / "dev/ttyUSB0", "x");
                     std::filesystem::create_symlink("../../ttyUSB0", fake.ById(A));
                 },
                 0},
        TOddCase{"CharacterDeviceThatIsNoAdapter",
                 [](TFakeSerialTree& fake) {
                     std::filesystem::create_symlink("/dev/null", fake.Root / "dev/null");
                     std::filesystem::create_symlink("../../null", fake.ById(A));
                 },
                 0},
        TOddCase{"NotAUsbName",
                 [](TFakeSerialTree& fake) {
                     fake.Plug(A, "ttyUSB0");
                     std::filesystem::rename(fake.ById(A), fake.ById("pci-0000:00:14.0-port0"));
                 },
                 0},
        TOddCase{"InterfaceVariantsOfOneDevice",
                 [](TFakeSerialTree& fake) {
                     fake.Plug("usb-Arduino_Uno_7593-if00", "ttyACM0", "Arduino Uno");
                     std::filesystem::create_symlink("../../ttyACM0",
                                                     fake.ById("usb-Arduino_Uno_7593"));
                 },
                 1},
        TOddCase{
            "SpacesAndOddCharacters",
            [](TFakeSerialTree& fake) { fake.Plug("usb-Ödd näme (1) 'x'$-if00-port0", "ttyUSB0"); },
            1},
        TOddCase{"ThirtyAdaptersForTwentyFourNumbers",
                 [](TFakeSerialTree& fake) {
                     for (int i = 0; i < 30; ++i)
                         fake.Plug("usb-Adapter_" + std::to_string(100 + i) + "-if00-port0",
                                   "ttyUSB" + std::to_string(i));
                 },
                 24, 6}),
    [](const testing::TestParamInfo<TOddCase>& c) { return std::string(c.param.Name); });

// Several programs assigning at the same moment: one number per adapter, no number twice.
TEST(Assignment, ProgramsAssigningAtOnceGiveEachAdapterOneNumber) {
    constexpr int Adapters = 16;
    TFakeSerialTree tree;
    for (int i = 0; i < Adapters; ++i)
        tree.Plug("usb-Adapter_" + std::to_string(i), "ttyUSB" + std::to_string(i));
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < 4; ++i) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(start[1]);
            char go;
            (void)!read(start[0], &go, 1); // all start when the parent closes its end
            AssignAdapters(tree.Roots);
            _exit(0);
        }
        children.push_back(child);
    }
    close(start[0]);
    close(start[1]);
    for (pid_t child : children)
        EXPECT_TRUE(testwait::WaitChild(child));
    std::set<std::string> targets;
    for (int number = FirstAssignedCom; number <= portnames::LastCom; ++number) {
        const std::string target = LinkOf(tree.Port(number));
        EXPECT_EQ(target.empty(), number >= FirstAssignedCom + Adapters) << number;
        if (!target.empty()) {
            EXPECT_TRUE(targets.insert(target).second) << target << " twice";
        }
    }
}

// A directory the program may not write in: nothing assigned, nothing changed. Root writes
// anywhere, so the round runs as "nobody" in a child.
TEST(Assignment, ReadOnlyDirectoryAssignsNothing) {
    TFakeSerialTree tree;
    tree.Plug(A, "ttyUSB0");
    chmod(tree.Roots.Ports.c_str(), 0555);
    chmod((tree.Root / "work").c_str(), 0555);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        _exit(AssignAdapters(tree.Roots).empty() ? 0 : 1);
    }
    int status = 0;
    EXPECT_TRUE(testwait::WaitChild(child, &status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(std::filesystem::is_empty(tree.Roots.Ports));
    chmod(tree.Roots.Ports.c_str(), 0755);
}

TEST(Ports, DescribesAdaptersUartsAndAbsentAdapters) {
    TFakeSerialTree tree;
    tree.SerialPort(0, 4);
    tree.Plug(A, "ttyUSB0");
    tree.Plug("usb-Board_CDC_1-if00", "ttyACM0", "", "", "CDC Abstract Control Model (ACM)");
    tree.Plug(B, "ttyUSB1", "USB-Serial Controller", "");
    ASSERT_EQ(AssignAdapters(tree.Roots).size(), 3u);
    tree.Unplug(B, "ttyUSB1");
    const std::vector<TComPort> ports = DescribePorts(tree.Roots);
    ASSERT_EQ(ports.size(), 26u);
    EXPECT_EQ(ports[0].Description, "serial port, /dev/ttyS0");
    EXPECT_TRUE(ports[0].Present && !ports[0].Adapter);
    EXPECT_EQ(ports[1].Description, "");
    EXPECT_FALSE(ports[1].Present);
    // Com3 to Com5 in by-id name order: the CDC board, the FTDI adapter, the absent one.
    EXPECT_EQ(ports[2].Description, "CDC Abstract Control Model (ACM), " + tree.Node("ttyACM0"));
    EXPECT_EQ(ports[3].Description, "FT232R USB UART, serial A10KXXXX, " + tree.Node("ttyUSB0"));
    EXPECT_TRUE(ports[3].Present && ports[3].Adapter);
    EXPECT_EQ(ports[4].Description, "USB adapter not plugged in (" + B + ")");
    EXPECT_TRUE(!ports[4].Present && ports[4].Adapter);
}

struct THintCase {
    const char* Name;
    int Chosen;
    std::function<void(TFakeSerialTree&)> Setup;
    std::string Expected;
    friend std::ostream& operator<<(std::ostream& out, const THintCase& c) { return out << c.Name; }
};

class AdapterHints : public testing::TestWithParam<THintCase> {};

TEST_P(AdapterHints, NamesTheAdaptersOnlyWhenTheChosenPortHasNoDevice) {
    TFakeSerialTree tree;
    GetParam().Setup(tree);
    AssignAdapters(tree.Roots);
    EXPECT_EQ(AdapterHint(GetParam().Chosen, tree.Roots), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AdapterHints,
    testing::Values(THintCase{"OneAdapter", 1,
                              [](TFakeSerialTree& fake) { fake.Plug(A, "ttyUSB0"); },
                              "the USB adapter is Com3"},
                    THintCase{"TwoAdapters", 2,
                              [](TFakeSerialTree& fake) {
                                  fake.Plug(A, "ttyUSB0");
                                  fake.Plug(B, "ttyUSB1");
                              },
                              "the USB adapters are Com3 and Com4"},
                    THintCase{"ChosenIsTheAdapter", 3,
                              [](TFakeSerialTree& fake) { fake.Plug(A, "ttyUSB0"); }, ""},
                    THintCase{"AdapterUnplugged", 1,
                              [](TFakeSerialTree& fake) {
                                  fake.Plug(A, "ttyUSB0");
                                  AssignAdapters(fake.Roots);
                                  fake.Unplug(A, "ttyUSB0");
                              },
                              ""},
                    // Com3's own adapter is only unplugged: Com4's adapter is not what it needs.
                    THintCase{"OwnAdapterUnpluggedAnotherPlugged", 3,
                              [](TFakeSerialTree& fake) {
                                  fake.Plug(A, "ttyUSB0");
                                  AssignAdapters(fake.Roots);
                                  fake.Plug(B, "ttyUSB1");
                                  fake.Unplug(A, "ttyUSB0");
                              },
                              ""},
                    THintCase{"LinkToNothingThatIsNoAdaptersName", 1,
                              [](TFakeSerialTree& fake) {
                                  std::filesystem::create_symlink("/nonexistent/ttyUSB9",
                                                                  fake.Port(1));
                                  fake.Plug(A, "ttyUSB0");
                              },
                              "the USB adapter is Com3"}),
    [](const testing::TestParamInfo<THintCase>& c) { return std::string(c.param.Name); });
