// The control socket's texts: the state written as one valid JSON line, and Kadrant's replies
// told apart as the bridge reads them.
#include "control/RemoteReply.h"
#include "control/RemoteCommand.h"
#include "control/RemoteState.h"

#include <gtest/gtest.h>

namespace {

TEST(RemoteState, JsonStaysOneValidLine) {
    TRemoteState state;
    state.Function = RemoteFunctionName(TRemoteFunction::None);
    state.Display = "Secondes";
    state.Running = true;
    state.Line1 = "A\"\\\n\t\xe9";
    state.Lap = -3;
    state.Line = "down";
    state.Board = "Aucun";
    state.Port = "N.C.";
    EXPECT_EQ(RemoteStateJson(state),
              "{\"function\":\"none\",\"display\":\"Secondes\",\"running\":true,"
              "\"line1\":\"A\\\"\\\\\\u000a\\u0009\xc3\xa9\",\"lap\":-3,\"line\":\"down\","
              "\"reason\":\"\",\"board\":\"Aucun\",\"port\":\"N.C.\"}");
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
