// The control channel's named pipe under Wine: a command and its reply, the bound on a line, and
// a second Kadrant taking the pipe when the first one ends.
#include "controlpipe/TControlPipe.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <string>
#include <windows.h>

using testwait::WaitFor;

namespace {

const std::string Name =
    "\\\\.\\pipe\\kadrant-control-test-" + std::to_string(GetCurrentProcessId());

// Answers as Kadrant would in words, tagged with which program answered.
TControlPipe::THandler Answering(const std::string& tag) {
    return [tag](const TRemoteCommand& command) {
        return command.Valid ? "ok " + tag : "error " + command.Error;
    };
}

// A client that sends `bytes` and reads until `lines` lines came back (or the pipe ends).
std::string Exchange(const std::string& bytes, int lines) {
    const std::wstring wide(Name.begin(), Name.end());
    HANDLE pipe = INVALID_HANDLE_VALUE;
    WaitFor([&] {
        pipe = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
        return pipe != INVALID_HANDLE_VALUE;
    });
    if (pipe == INVALID_HANDLE_VALUE)
        return "no pipe";
    DWORD count = 0;
    WriteFile(pipe, bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr);
    std::string answer;
    char c;
    while (lines > 0 && ReadFile(pipe, &c, 1, &count, nullptr) && count == 1) {
        answer += c;
        lines -= c == '\n';
    }
    CloseHandle(pipe);
    return answer;
}

} // namespace

TEST(ControlPipe, AnswersEachCommandLineWithOneLine) {
    TControlPipe pipe(Name, Answering("first"));
    ASSERT_TRUE(pipe.Listen());
    const std::string answer = Exchange("start\r\nfly\n", 2);
    EXPECT_EQ(answer.substr(0, 9), "ok first\n");
    EXPECT_EQ(answer.substr(9, 6), "error ");
    EXPECT_EQ(answer.back(), '\n');
}

TEST(ControlPipe, ALinePastTheBoundIsRefusedOnceAndTheNextLineServed) {
    TControlPipe pipe(Name, Answering("first"));
    ASSERT_TRUE(pipe.Listen());
    const std::string overlong(RemoteLineLimit + 50, 's');
    const std::string answer = Exchange(overlong + "\nstop\n", 2);
    const std::string refused = "error " + ParseRemoteCommand("", true).Error + "\n";
    EXPECT_EQ(answer, refused + "ok first\n");
}

TEST(ControlPipe, ASecondProgramTakesThePipeWhenTheFirstEnds) {
    auto first = std::make_unique<TControlPipe>(Name, Answering("first"));
    ASSERT_TRUE(first->Listen());
    TControlPipe second(Name, Answering("second"));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(second.Listen());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("another Kadrant"), std::string::npos);
    EXPECT_EQ(Exchange("start\n", 1), "ok first\n");
    first.reset();
    EXPECT_TRUE(WaitFor([&] { return second.IsListening(); },
                        std::chrono::milliseconds(3 * TControlPipe::RetryPeriodMs)));
    EXPECT_EQ(Exchange("start\n", 1), "ok second\n");
}
