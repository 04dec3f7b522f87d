// The control socket of the real main window, spoken to over the real socket: commands and their
// answers, refusals that change nothing, watch, a client that never reads, and what the socket
// file may be found as.
#include "tests/support/MainWindowFixture.h"

#include "app/controlsocket/TControlSocket.h"
#include "app/window/TSocketCommands.h"
#include "tests/support/WaitFor.h"
#include "tests/toolkit/ToolkitTestSupport.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace mainwindow {
namespace {

// A client of the socket. The server runs on this thread, so every wait runs the event loop.
class TClientEnd {
public:
    TClientEnd() {
        Fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, ControlSocketName);
        Connected = ::connect(Fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        QCoreApplication::processEvents(); // the server takes the connection
    }
    ~TClientEnd() { close(Fd); }

    void Write(const std::string& bytes) {
        ASSERT_EQ(send(Fd, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }
    // The next line without its LF; empty after maxMs or when the server closed the connection.
    std::string ReadLine(int maxMs = 3000) {
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            if (const std::size_t end = Buffer.find('\n'); end != std::string::npos) {
                std::string line = Buffer.substr(0, end);
                Buffer.erase(0, end + 1);
                return line;
            }
            if (Closed || waited.elapsed() > maxMs)
                return {};
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            char bytes[4096];
            const ssize_t count = recv(Fd, bytes, sizeof bytes, MSG_DONTWAIT);
            if (count == 0)
                Closed = true;
            else if (count > 0)
                Buffer.append(bytes, static_cast<std::size_t>(count));
        }
    }
    std::string Ask(const std::string& line) {
        Write(line + "\n");
        return ReadLine();
    }

    int Fd = -1;
    bool Connected = false;
    bool Closed = false;
    std::string Buffer;
};

class ControlSocket : public MainWindow {
protected:
    void StartWithSocket() {
        Start();
        ASSERT_TRUE(Dialog->OpenControlSocket());
        DrainOpening(Com1);
    }
    // Linux's channel is the Unix-domain socket, whose clients can be counted.
    TControlSocket& SocketServer() {
        return dynamic_cast<TControlSocket&>(Dialog->SocketCommands()->Server());
    }
};

struct TScriptRow {
    const char* Name;
    std::string Sent;                 // bytes written at once
    std::vector<std::string> Answers; // one per line
    const char* StateHas;             // a part of the state that follows
    std::string Board;                // what the board receives meanwhile
};

std::string LineOne(std::initializer_list<const char*> texts) {
    std::string bytes;
    for (const char* text : texts)
        bytes += LineMessage('0', text);
    return bytes;
}

class ControlSocketScript : public ControlSocket, public testing::WithParamInterface<TScriptRow> {};

TEST_P(ControlSocketScript, AnswersEachLineAndDoesWhatTheButtonsDo) {
    const TScriptRow& row = GetParam();
    StartWithSocket();
    Click(IdLapCounter);
    Com1.ReadUntilQuiet(300);
    const TSettingsRecord before = Program.Settings;
    TClientEnd client;
    ASSERT_TRUE(client.Connected);

    client.Write(row.Sent);
    for (const std::string& answer : row.Answers)
        EXPECT_EQ(client.ReadLine(), answer);
    // The connection is still usable and nothing else came.
    const std::string state = client.Ask("state");
    EXPECT_NE(state.find(row.StateHas), std::string::npos) << state;

    EXPECT_EQ(Com1.ReadBytes(row.Board.size()), row.Board);
    EXPECT_EQ(Com1.ReadUntilQuiet(300), "");
    if (row.Board.empty()) {
        EXPECT_EQ(std::memcmp(&before, &Program.Settings, sizeof before), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ControlSocketScript,
    testing::Values(
        TScriptRow{"PlusMinusAsTheButtons",
                   "plus\nstart\r\n  plus \nminus\nstop\n",
                   {"ok", "ok", "ok", "ok", "ok"},
                   "\"lap\":1,",
                   LineOne({"        1", "        2", "        3", "        2", "        1"})},
        TScriptRow{"ResetInLap",
                   "plus\nreset\n",
                   {"ok", "ok"},
                   "\"line1\":\"        0\"",
                   LineOne({"        1", "        0"})},
        TScriptRow{"FunctionChoice",
                   "function count-up\nstart\n",
                   {"ok", "ok"},
                   "\"function\":\"count-up\",\"display\":\"hhmmss\",\"running\":true",
                   BlankLines() + LineOne({"        0"})},
        TScriptRow{"UnknownCommand", "jump\n", {"error unknown command"}, "\"lap\":0,", ""},
        TScriptRow{"FunctionNotKnown",
                   "function swim\nfunction\n",
                   {"error function takes one of count-up, count-down, lap, test",
                    "error function takes one of count-up, count-down, lap, test"},
                   "\"function\":\"lap\"",
                   ""},
        TScriptRow{
            "ArgumentNotTaken", "plus 3\n", {"error plus takes no argument"}, "\"lap\":0,", ""},
        TScriptRow{"TooLong",
                   std::string(300, 'p') + "\nstart" + std::string(260, ' ') + "\n",
                   {"error line longer than 256 bytes", "error line longer than 256 bytes"},
                   "\"lap\":0,",
                   ""},
        TScriptRow{"Binary",
                   std::string("pl\0us\n\xff\xfe\x01\n", 10),
                   {"error not a text line", "error not a text line"},
                   "\"lap\":0,",
                   ""},
        TScriptRow{"Empty", "\n\r\n", {"error empty line", "error empty line"}, "\"lap\":0,", ""}),
    [](const testing::TestParamInfo<TScriptRow>& row) { return std::string(row.param.Name); });

TEST_F(ControlSocket, StateIsOneJsonLine) {
    StartWithSocket();
    Click(IdLapCounter);
    TClientEnd client;
    ASSERT_EQ(client.Ask("plus"), "ok");
    EXPECT_EQ(client.Ask("state"),
              "{\"function\":\"lap\",\"display\":\"hhmmss\",\"running\":false,"
              "\"line1\":\"        1\",\"lap\":1,\"line\":\"ok\",\"reason\":\"\","
              "\"board\":\"TAG Heuer HL960/990 - Prg 000 (info)\",\"port\":\"Com1\"}");

    // A port with no device behind it: the watchdog's reason; no board: off.
    ASSERT_EQ(symlink("/nonexistent/ttyUSB9", "ports/Com2"), 0); // whatever this machine's ttyS1
    QTest::keyClick(Ctl(IdPort), Qt::Key_Down);
    EXPECT_NE(client.Ask("state").find("\"line\":\"no-such-port\",\"reason\":\"no such port\","),
              std::string::npos);
    QTest::keyClick(Ctl(IdBoardType), Qt::Key_Up);
    EXPECT_NE(client.Ask("state").find(
                  "\"line\":\"off\",\"reason\":\"\",\"board\":\"Aucun\",\"port\":\"Com2\""),
              std::string::npos);
}

TEST_F(ControlSocket, WatchSendsTheStateOnEachChange) {
    StartWithSocket();
    Click(IdLapCounter);
    TClientEnd watcher, other;
    const std::string first = watcher.Ask("watch");
    EXPECT_NE(first.find("\"line1\":\"        0\""), std::string::npos) << first;

    ASSERT_EQ(other.Ask("plus"), "ok");
    EXPECT_NE(watcher.ReadLine().find("\"line1\":\"        1\",\"lap\":1"), std::string::npos);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
    EXPECT_NE(watcher.ReadLine().find("\"line1\":\"        2\",\"lap\":2"), std::string::npos);
    // Nothing changes, nothing comes.
    EXPECT_EQ(watcher.ReadLine(300), "");
    // The watcher still gives commands.
    EXPECT_EQ(watcher.Ask("minus"), "ok");
    EXPECT_NE(watcher.ReadLine().find("\"line1\":\"        1\""), std::string::npos);
}

// A field out of range: whatever the command, its answer is the refusal, sent before the range
// message opens in the window (the message must not hold it), and nothing has counted, then or
// after the message is closed.
class ControlSocketOutOfRange : public ControlSocket,
                                public testing::WithParamInterface<const char*> {};

TEST_P(ControlSocketOutOfRange, RefusedAtOnceWithTheMessageAndNothingCounts) {
    TClientEnd* asking = nullptr;
    // For each message opened once the command was sent: was its answer already on the socket?
    // (The window may also show the message on its own when the field loses the focus.)
    std::vector<bool> answeredBeforeMessage;
    TAlertCatcher restoresTheSink;
    // The message "box" stays open as long as the sink runs: it looks whether the answer is
    // already on the socket, as a client held by the box would not find it.
    // Once the client has read the answer, a message opened after it is after it too.
    bool answerRead = false;
    const TAlertSink caught = SetAlertSink(
        {[] {},
         [&](QWidget*, const QString&, const QString&) {
             char byte = 0;
             if (asking != nullptr)
                 answeredBeforeMessage.push_back(
                     answerRead || recv(asking->Fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 1);
         }});
    StartWithSocket();
    Click(IdLapCounter);
    Ctl<QLineEdit>(IdInitialNumber)->clear();
    Type(IdInitialNumber, "9999999999");
    Com1.ReadUntilQuiet(300);
    const TSettingsRecord before = Program.Settings;
    TClientEnd client;
    asking = &client;

    EXPECT_EQ(client.Ask(GetParam()),
              "error refused: La Saisie n'est pas comprise entre 0 et 999999999");
    answerRead = true;
    // The operator is shown why, once the answer is out; closing it changes nothing either.
    EXPECT_TRUE(testwait::WaitFor([&] {
        QCoreApplication::processEvents();
        return std::find(answeredBeforeMessage.begin(), answeredBeforeMessage.end(), true) !=
               answeredBeforeMessage.end();
    }));
    asking = nullptr;
    EXPECT_FALSE(Dialog->Timing().State.running);
    EXPECT_EQ(Program.Settings.lapNumber, before.lapNumber);
    EXPECT_EQ(Program.Settings.functionCode, before.functionCode);
    // The connection stays usable, and with a number in range the command goes through.
    EXPECT_NE(client.Ask("state").find("\"function\":\"lap\""), std::string::npos);
    Ctl<QLineEdit>(IdInitialNumber)->clear();
    Type(IdInitialNumber, "5");
    EXPECT_EQ(client.Ask("plus"), "ok");
    EXPECT_EQ(Program.Settings.lapNumber, 6);
    SetAlertSink(caught);
}

INSTANTIATE_TEST_SUITE_P(Commands, ControlSocketOutOfRange,
                         testing::Values("plus", "start", "stop", "reset", "function count-down"),
                         [](const testing::TestParamInfo<const char*>& c) {
                             std::string name = c.param;
                             std::erase(name, ' ');
                             std::erase(name, '-');
                             return name;
                         });

TEST_F(ControlSocket, ClientThatNeverReadsIsDroppedAndOthersGoOn) {
    StartWithSocket();
    Click(IdLapCounter);
    Com1.ReadUntilQuiet(300);
    TClientEnd greedy, operatorEnd;
    // Far more answers than the kernel and the server hold for a client that never reads.
    std::string flood;
    for (int i = 0; i < 8000; ++i)
        flood += "state\n";
    std::size_t written = 0;
    QElapsedTimer waited;
    waited.start();
    while (written < flood.size() && waited.elapsed() < 5000) {
        const ssize_t count = send(greedy.Fd, flood.data() + written, flood.size() - written,
                                   MSG_NOSIGNAL | MSG_DONTWAIT);
        if (count > 0)
            written += static_cast<std::size_t>(count);
        else if (errno == EPIPE || errno == ECONNRESET)
            break;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (SocketServer().ClientCount() < 2)
            break;
    }
    while (SocketServer().ClientCount() == 2 && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(SocketServer().ClientCount(), 1u);

    // The window and the other client carry on.
    EXPECT_EQ(operatorEnd.Ask("plus"), "ok");
    EXPECT_EQ(Com1.ReadBytes(17), LineMessage('0', "        1"));
    Click(IdStart);
    EXPECT_EQ(Com1.ReadBytes(17), LineMessage('0', "        2"));
}

TEST_F(ControlSocket, SocketIsTheUsersOnlyAndGoesWithTheWindow) {
    StartWithSocket();
    struct stat info;
    ASSERT_EQ(lstat(ControlSocketName, &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    TClientEnd client;
    ASSERT_TRUE(client.Connected);

    Frame->close();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(ControlSocketName)));
    EXPECT_EQ(client.ReadLine(500), "");
    EXPECT_TRUE(client.Closed);
}

TEST_F(ControlSocket, SecondProgramTakesTheSocketWhenTheFirstEnds) {
    const int first = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, ControlSocketName);
    ASSERT_EQ(bind(first, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(first, 1), 0);
    Start();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Dialog->OpenControlSocket());
    close(first); // the first program ends and takes its socket with it
    unlink(ControlSocketName);
    QElapsedTimer waited;
    waited.start();
    while (!Dialog->SocketCommands()->Server().IsListening() && waited.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    testing::internal::GetCapturedStderr();
    EXPECT_LE(waited.elapsed(), 2000 * KADRANT_TIME_SCALE);
    TClientEnd client;
    EXPECT_EQ(client.Ask("reset"), "ok");
}

// What may already lie at the socket's path when the program starts.
enum class TFound { Nothing, StaleSocket, LiveSocket, RegularFile, LinkToAFile };

struct TFoundRow {
    const char* Name;
    TFound Found;
    bool Listens;
};

class ControlSocketPath : public ControlSocket, public testing::WithParamInterface<TFoundRow> {};

TEST_P(ControlSocketPath, ReplacesOnlyAStaleSocket) {
    const TFoundRow& row = GetParam();
    int other = -1;
    if (row.Found == TFound::StaleSocket || row.Found == TFound::LiveSocket) {
        other = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, ControlSocketName);
        ASSERT_EQ(bind(other, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(listen(other, 1), 0);
        if (row.Found == TFound::StaleSocket) {
            close(other); // the file stays, nobody answers: a program that died
            other = -1;
        }
    } else if (row.Found == TFound::RegularFile) {
        std::ofstream(ControlSocketName) << "keep";
    } else if (row.Found == TFound::LinkToAFile) {
        std::ofstream("elsewhere") << "keep";
        std::filesystem::create_symlink("elsewhere", ControlSocketName);
    }
    Start();
    testing::internal::CaptureStderr();
    EXPECT_EQ(Dialog->OpenControlSocket(), row.Listens);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), row.Listens ? 0 : 1) << said;

    if (row.Listens) {
        TClientEnd client;
        EXPECT_EQ(client.Ask("reset"), "ok");
    }
    if (row.Found == TFound::RegularFile || row.Found == TFound::LinkToAFile) {
        EXPECT_EQ(ReadFile(ControlSocketName), "keep");
        Frame->close();
        EXPECT_EQ(ReadFile(ControlSocketName), "keep"); // not ours: never removed
        EXPECT_EQ(std::filesystem::is_symlink(ControlSocketName), row.Found == TFound::LinkToAFile);
    }
    if (other >= 0) {
        Frame->close();
        struct stat info;
        EXPECT_EQ(lstat(ControlSocketName, &info), 0); // the other program's socket stays
        close(other);
    }
}

INSTANTIATE_TEST_SUITE_P(Found, ControlSocketPath,
                         testing::Values(TFoundRow{"Nothing", TFound::Nothing, true},
                                         TFoundRow{"StaleSocket", TFound::StaleSocket, true},
                                         TFoundRow{"LiveSocket", TFound::LiveSocket, false},
                                         TFoundRow{"RegularFile", TFound::RegularFile, false},
                                         TFoundRow{"LinkToAFile", TFound::LinkToAFile, false}),
                         [](const testing::TestParamInfo<TFoundRow>& row) {
                             return std::string(row.param.Name);
                         });

} // namespace
} // namespace mainwindow
