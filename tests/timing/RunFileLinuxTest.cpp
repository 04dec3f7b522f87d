// What a rewrite of "kadrant.run" does to the file on Linux, told by its inode: nothing when
// nothing changed, and a new file, never the old one cut and written again.
#include "RunProgram.h"
#include "tests/support/PtyLine.h"
#include "tests/support/TestBytes.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A notice of a change that changes nothing in the run (STOP while stopped, a field set to what it
// holds) leaves the file alone: no write, so no wait for the disk.
TEST(RunKeeper, ANoticeThatChangesNothingWritesNothing) {
    testline::TTempWorkDir dir;
    TProgram program(0, FunctionCountDown);
    program.settings.displayType = DisplaySeconds;
    program.settings.startNumber = program.settings.initialNumber = 9;
    program.keeper.TakeOver();
    program.Press(ControlReset);
    // Held open, the file keeps its inode from being reused by a rewrite.
    const int held = ::open(RunStateFileName, O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    struct stat before {};
    ASSERT_EQ(::fstat(held, &before), 0);
    program.Run(3000);
    program.Press(ControlStop, 3);
    program.keeper.Changed();
    struct stat after {};
    ASSERT_EQ(::stat(RunStateFileName, &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "rewritten";

    program.Press(ControlStart); // a real change is written
    ASSERT_EQ(::stat(RunStateFileName, &after), 0);
    ::close(held);
    EXPECT_NE(after.st_ino, before.st_ino);
}

// A rewrite never touches the file in place: a reader holding the old file still reads it whole,
// and the name gives the new one whole, so no moment shows a cut or mixed file.
TEST(RunKeeper, ARewriteReplacesTheFileAndNeverCutsIt) {
    testline::TTempWorkDir dir;
    TProgram program(0, FunctionCountUp);
    program.settings.displayType = DisplaySeconds;
    program.keeper.TakeOver();
    program.Press(ControlReset);
    const std::string old = testbytes::ReadFile(RunStateFileName);
    const int reader = ::open(RunStateFileName, O_RDONLY | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    program.Press(ControlStart);
    std::string held(4096, '\0');
    const ssize_t got = ::pread(reader, held.data(), held.size(), 0);
    ::close(reader);
    ASSERT_GE(got, 0);
    held.resize(static_cast<std::size_t>(got));
    EXPECT_EQ(held, old);
    TRunState state;
    ASSERT_TRUE(ParseRunState(testbytes::ReadFile(RunStateFileName), state));
    EXPECT_TRUE(state.running);
}

} // namespace
