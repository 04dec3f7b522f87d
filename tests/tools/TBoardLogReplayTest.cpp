// Reading a simulator log back: the round trip through TBoardLog, damaged lines, the summary an
// operator reads, the board a replay ends on. (The program's --print and --replay are in
// TBoardSimProgramTest.cpp.)
#include "tests/support/PtyLine.h"
#include "tests/tools/BoardLogSamples.h"
#include "tools/boardsim/TBoardLog.h"
#include "tools/boardsim/TBoardLogPrinter.h"
#include "tools/boardsim/TBoardLogReader.h"
#include "tools/boardsim/TBoardLogSummary.h"
#include "tools/boardsim/TBoardReplay.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using boardlogsamples::HandMadeLog;
using boardlogsamples::WriteFile;
using testline::TTempWorkDir;

namespace {

std::string Good(char wire, const std::string& nine) {
    return std::string("\x02L") + wire + "\tA" + nine + "\t\r\n";
}

std::vector<TLogEntry> Read(const std::filesystem::path& path) {
    std::vector<TLogEntry> entries;
    std::string error;
    EXPECT_TRUE(TBoardLogReader::ReadFile(path.string(), entries, error)) << error;
    return entries;
}

} // namespace

TEST(BoardLogReader, ReadsBackWhatTheLogWroteWithItsTimes) {
    TTempWorkDir dir;
    std::filesystem::path path = dir.Path / "board.log";
    // Texts with the log's own separators and a CR in them, and raw bytes that need escaping.
    std::vector<TBoardEvent> sent = {
        TBoardMessageParser::Check(Good('0', "    10203")),
        TBoardMessageParser::Check(Good('8', "a|b |c\\\r ")),
        TBoardMessageParser::Check(std::string("\x02L0\x00\xFF|\\ x\r\n", 11)),
        TBoardMessageParser::Check(Good('4', "|       |")),
    };
    ASSERT_FALSE(sent[2].Valid);
    long long before = TBoardLog::MonotonicMs();
    {
        TBoardLog log;
        ASSERT_TRUE(log.Open(path.string()));
        log.Write(sent[0], 1000, "2024-05-01T10:00:00.000");
        log.Write(sent[1], 1017, "2024-05-01T10:00:00.017");
        log.Write(sent[2], 86401000, "2024-05-02T10:00:00.999");
        log.Write(sent[3]);
    }
    long long after = TBoardLog::MonotonicMs();

    std::vector<TLogEntry> read = Read(path);
    ASSERT_EQ(read.size(), sent.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(read[i].Damaged) << read[i].Note;
        EXPECT_EQ(read[i].LogLine, static_cast<int>(i) + 1);
        EXPECT_EQ(read[i].Event.Valid, sent[i].Valid);
        EXPECT_EQ(read[i].Event.WireLine, sent[i].WireLine);
        EXPECT_EQ(read[i].Event.Text, sent[i].Text);
        EXPECT_EQ(read[i].Event.Raw, sent[i].Raw);
        EXPECT_EQ(read[i].Event.Problem, sent[i].Problem);
    }
    EXPECT_EQ(read[0].Ms, 1000);
    EXPECT_EQ(read[0].WallClock, "2024-05-01T10:00:00.000");
    EXPECT_EQ(read[1].Ms, 1017);
    EXPECT_EQ(read[2].Ms, 86401000);
    EXPECT_EQ(read[2].WallClock, "2024-05-02T10:00:00.999");
    EXPECT_GE(read[3].Ms, before);
    EXPECT_LE(read[3].Ms, after);
    EXPECT_EQ(read[3].WallClock.size(), 23u);
}

TEST(BoardLogReader, ReportsDamagedAndTruncatedLinesAndReadsOnPastThem) {
    TTempWorkDir dir;
    std::filesystem::path path = dir.Path / "board.log";
    WriteFile(path, "1000 2024-05-01T10:00:00.000 L0 |    10203|\n"
                    "\n"
                    "garbage without a time\n"
                    "1100 2024-05-01T10:00:00.100 L9 |    10203|\n"
                    "1200 2024-05-01T10:00:00.200 L2 |  1020|\n"
                    "1300 2024-05-01T10:00:00.300 L2 |   10203 and more|\n"
                    "1400 2024-05-01T10:00:00.400 MALFORMED missing LF |\\x0|\n"
                    "1500 2024-05-01T10:00:00.500 MALFORMED |\\x02|\n"
                    "1600 2024-05-01T10:00:00.600 L3 |    10204|\r\n"
                    "1700 2024-05-01T10:00:00.700 L4 |   102");

    std::vector<TLogEntry> read = Read(path);
    ASSERT_EQ(read.size(), 9u); // the blank line is skipped
    const int damaged[] = {0, 1, 1, 1, 1, 1, 1, 0, 1};
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].Damaged, damaged[i] == 1) << i << " " << read[i].Note;
        if (read[i].Damaged) {
            EXPECT_FALSE(read[i].Note.empty());
            EXPECT_FALSE(read[i].Event.Valid);
        }
    }
    EXPECT_EQ(read[1].LogLine, 3);
    EXPECT_EQ(read[1].Note, "no time");
    EXPECT_EQ(read[2].Note, "no line number");
    EXPECT_EQ(read[3].Note, "text cut short");
    EXPECT_EQ(read[4].Note, "text of 17 characters");
    EXPECT_EQ(read[5].Note, "broken escape in the recorded bytes");
    EXPECT_EQ(read[8].Note, "text cut short");
    EXPECT_EQ(read[8].LogLine, 10);
    EXPECT_EQ(read[7].Event.WireLine, 3);
    EXPECT_EQ(read[7].Event.Text, "    10204"); // the CR after the closing bar is not text

    TBoardLogSummary summary = TBoardLogSummary::Of(read);
    EXPECT_EQ(summary.Messages, 2);
    EXPECT_EQ(summary.Damaged, 7);
    EXPECT_EQ(summary.LargestGapMs, 600);
}

TEST(BoardLogReader, AnEmptyFileHasNoMessagesAndAMissingOneIsAnError) {
    TTempWorkDir dir;
    std::filesystem::path path = dir.Path / "empty.log";
    WriteFile(path, "");
    std::vector<TLogEntry> read = Read(path);
    EXPECT_TRUE(read.empty());

    TBoardLogSummary summary = TBoardLogSummary::Of(read);
    EXPECT_EQ(summary.Messages + summary.Malformed + summary.Damaged, 0);
    EXPECT_EQ(summary.LargestGapMs, -1);
    EXPECT_EQ(summary.Text(),
              "messages: 0 well-formed, 0 malformed\nfirst: -\nlast: -\nlargest gap: -\n");

    std::string error;
    EXPECT_FALSE(TBoardLogReader::ReadFile((dir.Path / "none.log").string(), read, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(TBoardLogReader::ReadFile(dir.Path.string(), read, error));
}

TEST(BoardLogSummary, FiguresOfASmallHandMadeLog) {
    TTempWorkDir dir;
    std::filesystem::path path = dir.Path / "board.log";
    WriteFile(path, HandMadeLog);
    TBoardLogSummary summary = TBoardLogSummary::Of(Read(path));
    EXPECT_EQ(summary.Messages, 5);
    EXPECT_EQ(summary.Malformed, 1);
    EXPECT_EQ(summary.Damaged, 0);
    EXPECT_EQ(summary.FirstTime, "2024-05-01T10:00:00.000");
    EXPECT_EQ(summary.LastTime, "2024-05-01T10:00:08.300");
    EXPECT_EQ(summary.LargestGapMs, 7000);
    EXPECT_EQ(summary.Text(), "messages: 5 well-formed, 1 malformed\n"
                              "first: 2024-05-01T10:00:00.000\n"
                              "last: 2024-05-01T10:00:08.300\n"
                              "largest gap: 7.000 s (2024-05-01T10:00:01.250 to "
                              "2024-05-01T10:00:08.250)\n");
}

TEST(BoardLogSummary, NoGapIsMeasuredAcrossTwoRecordingsInOneFile) {
    // The second run's monotonic clock is behind the first's: the gap between them is unknown.
    std::vector<TLogEntry> entries = {
        TBoardLogReader::ParseLine("5000 2024-05-01T10:00:00.000 L0 |        1|", 1),
        TBoardLogReader::ParseLine("5400 2024-05-01T10:00:00.400 L0 |        2|", 2),
        TBoardLogReader::ParseLine("100 2024-05-01T11:00:00.000 L0 |        3|", 3),
        TBoardLogReader::ParseLine("250 2024-05-01T11:00:00.150 L0 |        4|", 4),
    };
    TBoardLogSummary summary = TBoardLogSummary::Of(entries);
    EXPECT_EQ(summary.Recordings, 2);
    EXPECT_EQ(summary.LargestGapMs, 400);
    EXPECT_EQ(summary.LastTime, "2024-05-01T11:00:00.150");
}

TEST(BoardReplay, EndsOnTheBoardTheLogLeftAndKeepsTheScaledPace) {
    TTempWorkDir dir;
    std::filesystem::path path = dir.Path / "board.log";
    WriteFile(path, std::string(HandMadeLog) + "9350 broken\n" +
                        "9550 2024-05-01T10:00:08.550 L8 |  END    |\n");
    TBoardReplay replay(Read(path), 2.0);
    std::vector<long long> delays;
    std::vector<bool> changed;
    while (!replay.Done()) {
        delays.push_back(replay.DelayMs());
        replay.Step();
        changed.push_back(replay.LastChanged());
    }
    EXPECT_EQ(delays, (std::vector<long long>{0, 125, 0, 500, 3500, 25, 0, 125}));
    EXPECT_EQ(changed, (std::vector<bool>{true, true, false, false, true, true, false, true}));
    EXPECT_EQ(replay.Board.Line(0), "    10211");
    EXPECT_EQ(replay.Board.Line(1), "A00000004");
    EXPECT_EQ(replay.Board.Line(8), "  END    ");
    for (int line = 2; line < 8; ++line)
        EXPECT_EQ(replay.Board.Line(line), "         ") << line;
    EXPECT_EQ(replay.Board.Received(), 6);
    EXPECT_EQ(replay.Board.Malformed(), 1);
    EXPECT_EQ(replay.Board.LastLine(), 8);
}

TEST(BoardLogPrinter, ARowPerEntryAndTheWholeBoardMarked) {
    TLogEntry entry = TBoardLogReader::ParseLine("1 2024-05-01T10:00:00.000 L1 |A00000005|", 1);
    EXPECT_EQ(TBoardLogPrinter::Row(entry, true), "2024-05-01T10:00:00.000  L1 |A00000005|\n");
    EXPECT_EQ(TBoardLogPrinter::Row(entry, false),
              "2024-05-01T10:00:00.000  L1 |A00000005|  (unchanged)\n");
    EXPECT_EQ(TBoardLogPrinter::Row(TBoardLogReader::ParseLine("x", 7), false),
              "log line 7: damaged (no time)\n");
    TBoardLines board;
    board.Apply(entry.Event);
    std::string text = TBoardLogPrinter::Board(board, 1);
    EXPECT_NE(text.find("    L0 |         |\n  > L1 |A00000005|\n    L2 |"), std::string::npos)
        << text;
    EXPECT_NE(text.find("    L8 |         |\n"), std::string::npos);
}
