// The port list with USB adapters on a fake device tree: the texts stay the list's own, a plug
// and a tooltip mark the numbers with a device, opening the list gives a new adapter its number,
// and the board runs on the adapter chosen by that number (a pseudo-terminal stands in for it).
#include "resources/Pictures.h"
#include "serial/PortAssign.h"
#include "tests/support/FakeSerialTree.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/WaitFor.h"
#include "toolkit/TEditCombo.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <poll.h>
#include <unistd.h>

using namespace mainwindow;
using fakeserial::LinkOf;
using fakeserial::TFakeSerialTree;

namespace {

const std::string A = "usb-FTDI_FT232R_USB_UART_A10KAAAA-if00-port0";
const std::string B = "usb-Prolific_USB-Serial_Controller_BBBB-if00-port0";

QImage Face(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage();
}

// Exactly count bytes from a line's board end, or fewer if they do not come within 5 s.
std::string ReadBoard(int master, size_t count) {
    std::string bytes;
    while (bytes.size() < count) {
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, 5000) <= 0)
            break;
        char chunk[512];
        ssize_t n = read(master, chunk, std::min(sizeof chunk, count - bytes.size()));
        if (n <= 0)
            break;
        bytes.append(chunk, static_cast<size_t>(n));
    }
    return bytes;
}

class PortList : public MainWindow {
protected:
    PortList() { Tree.Roots.Ports = "ports"; } // the working directory's, as the program has it

    void StartOnTree() {
        Build();
        Dialog->PortRoots = Tree.Roots;
        Start();
    }
    TEditCombo* Ports() { return Ctl<TEditCombo>(IdPort); }
    int Row(const char* text) { return Ports()->findText(text); }
    QString Tip(const char* text) {
        return Ports()->itemData(Row(text), Qt::ToolTipRole).toString();
    }
    QImage Icon(const char* text) { return Face(Ports()->itemIcon(Row(text))); }

    TFakeSerialTree Tree;
};

} // namespace

TEST_F(PortList, TextsStayAndEachNumberWithADeviceCarriesAPlugAndWhatItIs) {
    Tree.SerialPort(1, 4); // Com2 a UART, Com1 the fixture's pseudo-terminal link
    Tree.Plug(B, "ttyUSB1");
    ASSERT_EQ(serialports::AssignAdapters(Tree.Roots).size(), 1u); // an earlier run: B is Com3
    Tree.Unplug(B, "ttyUSB1");
    Tree.Plug(A, "ttyUSB0");
    StartOnTree();

    ASSERT_EQ(Ports()->count(), 27);
    EXPECT_EQ(Ports()->itemText(0), "N.C.");
    for (int code = 1; code <= 26; ++code)
        EXPECT_EQ(Ports()->itemText(code), QString("Com%1").arg(code));
    EXPECT_EQ(Ports()->currentText(), "Com1");

    const QImage plug = Face(KadrantPlugIcon(true));
    const QImage absent = Face(KadrantPlugIcon(false));
    ASSERT_NE(plug, absent);
    EXPECT_EQ(Icon("Com1"), plug);
    EXPECT_EQ(Tip("Com1"), QString::fromStdString(Com1.SlavePath));
    EXPECT_EQ(Icon("Com2"), plug);
    EXPECT_EQ(Tip("Com2"), "serial port, /dev/ttyS1");
    EXPECT_EQ(Icon("Com3"), absent);
    EXPECT_EQ(Tip("Com3"), QString::fromStdString("USB adapter not plugged in (" + B + ")"));
    EXPECT_EQ(Icon("Com4"), plug); // A, given its number at start-up
    EXPECT_EQ(Tip("Com4"),
              QString::fromStdString("FT232R USB UART, serial A10KXXXX, " + Tree.Node("ttyUSB0")));
    // Rows without a plug keep its room, so that every text of the open list starts alike.
    QPixmap room(16, 16);
    room.fill(Qt::transparent);
    Ports()->showPopup();
    EXPECT_EQ(Icon("Com5"), Face(QIcon(room)));
    EXPECT_EQ(Face(Ports()->itemIcon(0)), Face(QIcon(room)));
    Ports()->hidePopup();
    EXPECT_TRUE(Tip("Com5").isEmpty());
}

// End to end: an adapter plugged in while the program runs gets Com3 and its plug at once,
// without the list being opened; the operator chooses Com3 and the board runs on the adapter.
TEST_F(PortList, AdapterPluggedMeanwhileGetsItsNumberAtOnceAndRunsTheBoard) {
    StartOnTree();
    DrainOpening(Com1);
    Tree.Plug(A, "ttyUSB0");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Icon("Com3") == Face(KadrantPlugIcon(true)); },
                                testwait::ScaledMs(5000)));
    EXPECT_EQ(LinkOf("ports/Com3"), Tree.ById(A));
    Ports()->showPopup();
    EXPECT_EQ(Ports()->currentText(), "Com1"); // the choice stays the operator's
    // The plugs take no room from the texts: the open list is wide enough for every entry.
    EXPECT_GE(Ports()->view()->viewport()->width(), Ports()->view()->sizeHintForColumn(0));
    Ports()->hidePopup();

    QTest::keyClick(Ports(), Qt::Key_Down);
    QTest::keyClick(Ports(), Qt::Key_Down);
    ASSERT_EQ(Ports()->currentText(), "Com3");
    EXPECT_EQ(Program.Driver.GetPortCode(), 3);
    const int board = Tree.Master(A);
    EXPECT_EQ(ReadBoard(board, BlankLinesSize), BlankLines());
    Click(IdLapCounter);
    EXPECT_EQ(ReadBoard(board, 17), LineMessage('0', "        0"));
    EXPECT_EQ(Com1.ReadUntilQuiet(200), "");
}

// A chosen number with no device names the adapter's number in the title, and the title follows
// as soon as the adapter is plugged in (the line's status itself does not change then).
TEST_F(PortList, TitleOfAChosenPortWithNoDeviceNamesTheAdaptersNumber) {
    ASSERT_EQ(symlink("/nonexistent/ttyUSB9", "ports/Com2"), 0); // whatever this machine's ttyS1
    StartOnTree();
    DrainOpening(Com1);
    QTest::keyClick(Ports(), Qt::Key_Down);
    ASSERT_EQ(Ports()->currentText(), "Com2");
    EXPECT_EQ(Dialog->window()->windowTitle(), "Kadrant - Com2: no such port");
    Tree.Plug(A, "ttyUSB0");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return Dialog->window()->windowTitle() ==
                   "Kadrant - Com2: no such port (the USB adapter is Com3)";
        },
        testwait::ScaledMs(5000)));
}
