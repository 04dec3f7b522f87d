// Cutting the control socket's byte stream into lines, and telling its replies apart.
#include "tools/remote/TLineReader.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Lines(TLineReader& reader, const std::vector<std::string>& chunks) {
    std::vector<std::string> lines;
    for (const std::string& chunk : chunks)
        reader.Feed(chunk, [&](std::string_view l) { lines.emplace_back(l); });
    return lines;
}

TEST(LineReader, LinesSplitAcrossChunksComeOutWhole) {
    TLineReader reader(64);
    EXPECT_EQ(Lines(reader, {"o", "k\ner", "ror no\r\n{\"a\":1}\n\nsta"}),
              (std::vector<std::string>{"ok", "error no", "{\"a\":1}", ""}));
    EXPECT_EQ(reader.Pending(), 3u);
    EXPECT_EQ(Lines(reader, {"te\n"}), std::vector<std::string>{"state"});
}

TEST(LineReader, OverlongLineIsDroppedWholeAndTheNextOneSurvives) {
    TLineReader reader(8);
    std::string huge(100000, 'x');
    EXPECT_EQ(Lines(reader, {"12345678\n", huge, huge, "tail\nok\n"}),
              (std::vector<std::string>{"12345678", "ok"}));
    EXPECT_EQ(reader.Dropped(), 1u);
    EXPECT_LE(reader.Pending(), 8u);
    EXPECT_EQ(Lines(reader, {"123456789\n"}), std::vector<std::string>{});
    EXPECT_EQ(reader.Dropped(), 2u);
}

struct TReplyCase {
    std::string Line;
    TReplyKind Kind;
    std::string Reason;
};

class Reply : public testing::TestWithParam<TReplyCase> {};

TEST_P(Reply, IsClassified) {
    std::string reason = "unset";
    EXPECT_EQ(ClassifyReply(GetParam().Line, &reason), GetParam().Kind) << GetParam().Line;
    if (GetParam().Kind == TReplyKind::Error) {
        EXPECT_EQ(reason, GetParam().Reason);
    }
}

const std::string FullState =
    R"({"function":"count-down","display":"hhmmss","running":true,"line1":"    10203",)"
    R"("lap":0,"line":"unplugged","reason":"the adapter was pulled \"out\"","board":"Aucun","port":"N.C."})";

INSTANTIATE_TEST_SUITE_P(
    Table, Reply,
    testing::Values(
        TReplyCase{"ok", TReplyKind::Ok, ""},
        TReplyCase{"error value out of range", TReplyKind::Error, "value out of range"},
        TReplyCase{"error", TReplyKind::Error, ""}, TReplyCase{FullState, TReplyKind::State, ""},
        TReplyCase{"{}", TReplyKind::State, ""},
        TReplyCase{R"( { "a" : -1.5e3 , "b":null,"c":"\u00e9"} )", TReplyKind::State, ""},
        TReplyCase{"okay", TReplyKind::Malformed, ""},
        TReplyCase{"errors", TReplyKind::Malformed, ""}, TReplyCase{"", TReplyKind::Malformed, ""},
        TReplyCase{R"({"a":1)", TReplyKind::Malformed, ""},
        TReplyCase{R"({"a":{"b":1}})", TReplyKind::Malformed, ""},
        TReplyCase{R"({"a":[1]})", TReplyKind::Malformed, ""},
        TReplyCase{R"({"a":01})", TReplyKind::Malformed, ""},
        TReplyCase{R"({"a":"x\q"})", TReplyKind::Malformed, ""},
        TReplyCase{R"({"a":"\u12"})", TReplyKind::Malformed, ""},
        TReplyCase{std::string("{\"a\":\"x\ty\"}"), TReplyKind::Malformed, ""},
        TReplyCase{R"({"a":1,})", TReplyKind::Malformed, ""},
        TReplyCase{R"({"a":1} x)", TReplyKind::Malformed, ""},
        TReplyCase{R"({a:1})", TReplyKind::Malformed, ""}));

TEST(FlatJson, ReadsAStringFieldOfTheState) {
    std::string value;
    ASSERT_TRUE(FlatJsonString(FullState, "function", value));
    EXPECT_EQ(value, "count-down");
    ASSERT_TRUE(FlatJsonString(FullState, "reason", value));
    EXPECT_EQ(value, R"(the adapter was pulled \"out\")");
    EXPECT_FALSE(FlatJsonString(FullState, "lap", value)) << "a number is not a string";
    EXPECT_FALSE(FlatJsonString(R"({"function":"lap")", "function", value));
}

} // namespace
