// The board on a TV: how large the characters come out on a given screen, which screen it goes
// on when screens come and go, and that the window repaints only when what it shows changes.
#include "tests/support/ChildWait.h"
#include "tests/support/PtyLine.h"
#include "tests/support/WaitFor.h"
#include "tools/boardsim/TBoardLiveFeed.h"
#include "tools/boardsim/TBoardSession.h"
#include "tools/boardsim/TPtyPort.h"
#include "tools/boardsim/TTvBoardWindow.h"
#include "tools/boardsim/TTvLayout.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <termios.h>

using testline::TTempWorkDir;

namespace {

struct TLayoutCase {
    int Width;
    int Height;
    int Lines;
    bool WidthRule; // one line on a 16:9 screen: nine characters over at least 80 % of the width
};

class TvLayout : public ::testing::TestWithParam<TLayoutCase> {};

TEST_P(TvLayout, LargestWholeDotThatFitsInsideTheMarginsCentred) {
    const TLayoutCase& c = GetParam();
    TTvLayout layout = TTvLayout::For(c.Width, c.Height, c.Lines);
    ASSERT_GT(layout.Dot, 0);
    int marginX = c.Width * TTvLayout::MarginPercent / 100;
    int marginY = c.Height * TTvLayout::MarginPercent / 100;
    EXPECT_GE(layout.Left, marginX);
    EXPECT_LE(layout.Left + layout.LineWidth(), c.Width - marginX);
    EXPECT_GE(layout.Top, marginY);
    EXPECT_LE(layout.Top + layout.BlockHeight(), c.Height - marginY);
    EXPECT_LE(std::abs(layout.Left - (c.Width - layout.Left - layout.LineWidth())), 1);
    EXPECT_LE(std::abs(layout.Top - (c.Height - layout.Top - layout.BlockHeight())), 1);
    EXPECT_EQ(layout.LineTop(c.Lines - 1) + layout.DigitHeight(),
              layout.Top + layout.BlockHeight());
    // One more pixel per dot would cross a margin.
    TTvLayout bigger = layout;
    ++bigger.Dot;
    EXPECT_TRUE(bigger.LineWidth() > c.Width - 2 * marginX ||
                bigger.BlockHeight() > c.Height - 2 * marginY);
    if (c.WidthRule) {
        EXPECT_GE(layout.LineWidth() * 100, c.Width * 80) << layout.LineWidth();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Screens, TvLayout,
    ::testing::Values(TLayoutCase{1920, 1080, 1, true}, TLayoutCase{1280, 720, 1, true},
                      TLayoutCase{3840, 2160, 1, true}, TLayoutCase{1366, 768, 1, true},
                      TLayoutCase{2560, 1440, 1, true}, TLayoutCase{1024, 768, 1, true},
                      TLayoutCase{1920, 200, 1, false}, TLayoutCase{1920, 1080, 9, false},
                      TLayoutCase{1280, 720, 9, false}, TLayoutCase{1080, 1920, 9, false}),
    [](const ::testing::TestParamInfo<TLayoutCase>& param) {
        const TLayoutCase& c = param.param;
        return std::to_string(c.Width) + "x" + std::to_string(c.Height) + "_" +
               std::to_string(c.Lines) + "lines";
    });

TEST(TvLayoutFigures, FullHdOneLineAndNoScreen) {
    TTvLayout layout = TTvLayout::For(1920, 1080, 1);
    EXPECT_EQ(layout.Dot, 32);
    EXPECT_EQ(layout.DigitWidth(), 160);
    EXPECT_EQ(layout.DigitHeight(), 224);
    EXPECT_EQ(layout.LineWidth(), 1696);
    EXPECT_EQ(layout.Left, 112);
    EXPECT_EQ(layout.Top, 428);
    EXPECT_EQ(TTvLayout::For(1920, 1080, 9).Dot, 12);
    EXPECT_EQ(TTvLayout::For(0, 0, 1).Dot, 0);
}

struct TScreenCase {
    const char* Name;
    std::vector<std::string> Names;
    int Wanted;
    std::string WantedName;
    int Expected;
};

class TvScreen : public ::testing::TestWithParam<TScreenCase> {};

TEST_P(TvScreen, Picked) {
    const TScreenCase& c = GetParam();
    EXPECT_EQ(PickTvScreen(c.Names, c.Wanted, c.WantedName), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    PlugAndUnplug, TvScreen,
    ::testing::Values(TScreenCase{"FirstStart", {"LAP", "TV"}, 2, "", 1},
                      TScreenCase{"TvUnpluggedGoesToTheRemainingOne", {"LAP"}, 2, "TV", 0},
                      TScreenCase{"TvPluggedBack", {"LAP", "TV"}, 2, "TV", 1},
                      TScreenCase{"BackButListedFirst", {"TV", "LAP"}, 2, "TV", 0},
                      TScreenCase{"AnotherScreenInItsPlace", {"LAP", "BEAMER"}, 2, "TV", 1},
                      TScreenCase{"FewerThanWanted", {"A", "B", "C"}, 5, "", 2},
                      TScreenCase{"NoScreen", {}, 1, "", -1}),
    [](const ::testing::TestParamInfo<TScreenCase>& param) { return param.param.Name; });

// Writes to the line as a program that opened ComN would: raw, whole messages.
class TSender {
public:
    explicit TSender(const std::string& link) {
        Fd = open(link.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        termios raw{};
        tcgetattr(Fd, &raw);
        cfmakeraw(&raw);
        tcsetattr(Fd, TCSANOW, &raw);
    }
    ~TSender() { close(Fd); }
    bool Send(const std::string& bytes) {
        return write(Fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    static std::string Line(int wire, const std::string& text) {
        return "\x02L" + std::to_string(wire) + "\tA" + text + "\t\r\n";
    }
    int Fd = -1;
};

TEST(TvBoardWindow, FedOverTheLineRepaintsOnlyWhenTheLineOnShowChanges) {
    TTempWorkDir dir;
    TPtyPort port;
    std::string error;
    ASSERT_TRUE(port.Create(dir.Path.string(), 3, error)) << error;
    TBoardSession session;
    TTvBoardWindow window(session.Board, 1, 0);
    new TBoardLiveFeed(session, port.MasterFd(), window, &window);
    window.Start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.geometry(), window.screen()->geometry());
    EXPECT_EQ(window.cursor().shape(), Qt::BlankCursor);
    QCoreApplication::sendPostedEvents(&window, QEvent::UpdateRequest); // the first paint

    TSender line(port.LinkPath());
    int received = 0;
    int malformed = 0;
    struct TStep {
        std::string Bytes;
        bool Valid;
        int Paints; // repaints it causes
    };
    const TStep steps[] = {
        {TSender::Line(0, "        1"), true, 1},
        {TSender::Line(0, "        1"), true, 0}, // re-sent, unchanged
        {TSender::Line(4, "    12345"), true, 0}, // a line not on show
        {"\x02L0\tA  1\t\r\n", false, 0},         // malformed
        {TSender::Line(0, "       12"), true, 1},
        {TSender::Line(0, "A00000005"), true, 1},
    };
    for (const TStep& step : steps) {
        int before = window.PaintCount();
        ASSERT_TRUE(line.Send(step.Bytes));
        (step.Valid ? received : malformed) += 1;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return session.Board.Received() == received &&
                       session.Board.Malformed() == malformed;
            },
            testwait::ScaledMs(5000)));
        // The repaint a line asks for is delivered now rather than waited for: a late one would
        // be counted against the next step, and one that should not come is seen at once.
        QCoreApplication::sendPostedEvents(&window, QEvent::UpdateRequest);
        EXPECT_EQ(window.PaintCount() - before, step.Paints) << step.Bytes;
    }

    // What was painted is the line: the last character '5' lights the top-left dot of its cell,
    // the second one ('0') leaves it dark.
    QImage shot = window.grab().toImage();
    const TTvLayout& layout = window.Layout();
    auto dotColour = [&](int column) {
        int x = layout.CellLeft(column) + layout.Dot / 2;
        int y = layout.LineTop(0) + layout.Dot / 2;
        return shot.pixelColor(x, y);
    };
    EXPECT_GT(dotColour(8).red(), 200);
    EXPECT_LT(dotColour(1).red(), 80);
}

TEST(TvBoardWindow, EscapeAndCtrlQClose) {
    TBoardLines board;
    for (QKeyCombination keys :
         {QKeyCombination(Qt::Key_Escape), QKeyCombination(Qt::ControlModifier, Qt::Key_Q)}) {
        TTvBoardWindow window(board, 9, 1);
        window.Start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::keyClick(&window, keys.key(), keys.keyboardModifiers());
        EXPECT_FALSE(window.isVisible());
    }
}

// The program itself, started as the menu entry or the run script start it.
int RunProgram(std::vector<std::string> args, const std::function<void(pid_t)>& whileRunning) {
    pid_t child = fork();
    if (child == 0) {
        int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        std::vector<char*> argv{const_cast<char*>(BOARDSIM_PROGRAM)};
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(BOARDSIM_PROGRAM, argv.data());
        _exit(127);
    }
    whileRunning(child);
    int status = 0;
    if (!testwait::WaitChild(child, &status))
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class TvBoardOptions : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(TvBoardOptions, RejectedWithUsage) {
    EXPECT_EQ(RunProgram(GetParam(), [](pid_t) {}), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Program, TvBoardOptions,
    ::testing::Values(std::vector<std::string>{"--screen", "2"},
                      std::vector<std::string>{"--lines", "9"},
                      std::vector<std::string>{"--fullscreen", "--lines", "5"},
                      std::vector<std::string>{"--fullscreen", "--screen", "0"},
                      std::vector<std::string>{"--fullscreen", "--headless"},
                      std::vector<std::string>{"--fullscreen", "--replay", "board.log"}),
    [](const ::testing::TestParamInfo<std::vector<std::string>>& param) {
        return "Case" + std::to_string(param.index);
    });

TEST(TvBoardProgram, LinksItsPortAndRemovesTheLinkOnSigterm) {
    TTempWorkDir dir;
    std::string link = (dir.Path / "ports" / "Com2").string();
    int status =
        RunProgram({"--fullscreen", "--port", "2", "--dir", dir.Path.string()}, [&](pid_t child) {
            EXPECT_TRUE(testwait::WaitFor([&] { return std::filesystem::is_symlink(link); }));
            QTest::qWait(testwait::ScaledMs(300)); // well into its event loop
            kill(child, SIGTERM);
        });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

} // namespace
