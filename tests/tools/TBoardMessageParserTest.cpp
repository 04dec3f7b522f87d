// The simulator's reading of the wire: message cutting, the checks, the board state, the log line.
#include "tools/boardsim/TBoardMessageParser.h"
#include "tools/boardsim/TBoardLines.h"
#include "tools/boardsim/TBoardLog.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string Good(char wire, const std::string& nine) {
    return std::string("\x02L") + wire + "\tA" + nine + "\t\r\n";
}

std::vector<TBoardEvent> FeedAll(TBoardMessageParser& parser, const std::string& bytes) {
    return parser.Feed(bytes.data(), bytes.size());
}

} // namespace

TEST(BoardParser, AcceptsWellFormedMessagesSplitAnywhere) {
    TBoardMessageParser parser;
    std::string stream = Good('0', "    10203") + Good('8', "A00000005");
    std::vector<TBoardEvent> events;
    for (char c : stream) {
        auto more = parser.Feed(&c, 1);
        events.insert(events.end(), more.begin(), more.end());
    }
    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(events[0].Valid);
    EXPECT_EQ(events[0].WireLine, 0);
    EXPECT_EQ(events[0].Text, "    10203");
    EXPECT_EQ(events[1].WireLine, 8);
    EXPECT_EQ(events[1].Text, "A00000005");
    EXPECT_FALSE(parser.HasPartial());
}

TEST(BoardParser, FlagsEachKindOfMalformedMessage) {
    struct Case {
        std::string bytes;
        std::string problem;
    };
    std::string noStx = Good('1', "        1").substr(1);
    std::string lfOnly = Good('1', "        1");
    lfOnly.erase(15, 1);
    const Case cases[] = {
        {Good('9', "        1"), "line number outside 0 to 8"},
        {std::string("\x02L/\tA        1\t\r\n"), "line number outside 0 to 8"},
        {std::string("\x02L0\tA1\t\r\n"), "wrong length (9 bytes)"},
        {std::string("\x02L10\tA        1\t\r\n"), "wrong length (18 bytes)"},
        {noStx, "missing STX"},
        {lfOnly, "missing CR"},
        {std::string("\x02L0 A        1\t\r\n"), "missing TAB"},
    };
    for (const Case& c : cases) {
        TBoardMessageParser parser;
        auto events = FeedAll(parser, c.bytes);
        ASSERT_EQ(events.size(), 1u) << c.problem;
        EXPECT_FALSE(events[0].Valid) << c.problem;
        EXPECT_NE(events[0].Problem.find(c.problem), std::string::npos) << events[0].Problem;
        EXPECT_EQ(events[0].Raw, c.bytes);
    }
}

TEST(BoardParser, AMessageWithoutItsEndIsFlaggedAtTheNextStxOrWhenFlushed) {
    TBoardMessageParser parser;
    std::string cut = Good('2', "        7").substr(0, 16); // ends in CR, no LF
    auto events = FeedAll(parser, cut + Good('3', "        8"));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_FALSE(events[0].Valid);
    EXPECT_NE(events[0].Problem.find("missing LF"), std::string::npos);
    EXPECT_EQ(events[0].Problem.find("missing CR"), std::string::npos) << events[0].Problem;
    EXPECT_TRUE(events[1].Valid);

    EXPECT_TRUE(FeedAll(parser, "\x02L4\tA").empty());
    EXPECT_TRUE(parser.HasPartial());
    auto flushed = parser.Flush();
    ASSERT_EQ(flushed.size(), 1u);
    EXPECT_FALSE(flushed[0].Valid);
    EXPECT_TRUE(parser.Flush().empty());
}

TEST(BoardParser, NoiseWithoutLineEndsIsCutIntoBoundedFragments) {
    TBoardMessageParser parser;
    auto events = FeedAll(parser, std::string(200, 'x'));
    EXPECT_EQ(events.size(), 200u / TBoardMessageParser::MaxFragment);
    for (const TBoardEvent& event : events)
        EXPECT_FALSE(event.Valid);
}

TEST(BoardLines, KeepsNineLinesAndCountsWhatArrived) {
    TBoardLines board;
    EXPECT_EQ(board.Line(4), "         ");
    EXPECT_TRUE(board.Apply(TBoardMessageParser::Check(Good('4', "      123"))));
    EXPECT_FALSE(board.Apply(TBoardMessageParser::Check(Good('4', "      123"))));
    EXPECT_FALSE(board.Apply(TBoardMessageParser::Check("junk\n")));
    EXPECT_EQ(board.Line(4), "      123");
    EXPECT_EQ(board.Received(), 2);
    EXPECT_EQ(board.Malformed(), 1);
    EXPECT_EQ(board.LastLine(), 4);
    EXPECT_NE(board.LastProblem().find("missing STX"), std::string::npos);
}

TEST(BoardLog, OneLinePerMessageWithBothClocksAndEscapedBytes) {
    EXPECT_EQ(TBoardLog::Format(TBoardMessageParser::Check(Good('0', "    10203")), 1234,
                                "2024-05-01T10:00:00.123"),
              "1234 2024-05-01T10:00:00.123 L0 |    10203|\n");
    EXPECT_EQ(TBoardLog::Format(TBoardMessageParser::Check("\x02L0\r\n"), 5, "W"),
              "5 W MALFORMED wrong length (5 bytes) |\\x02L0\\x0D\\x0A|\n");
    std::string wall = TBoardLog::WallClock();
    EXPECT_EQ(wall.size(), 23u);
    EXPECT_EQ(wall[10], 'T');
}
