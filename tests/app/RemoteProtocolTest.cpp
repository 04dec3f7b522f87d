// The control socket's line protocol without a window or a socket: lines cut the same however
// the bytes arrive, the 256-byte limit at its edge, and texts that would break the JSON line.
#include "app/TRemoteProtocol.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<TRemoteLine> FeedInChunks(const std::string& bytes, std::size_t chunk) {
    TRemoteLineFramer framer;
    std::vector<TRemoteLine> lines;
    for (std::size_t at = 0; at < bytes.size(); at += chunk)
        framer.Feed(std::string_view(bytes).substr(at, chunk), lines);
    return lines;
}

class LineFraming : public testing::TestWithParam<std::size_t> {};

TEST_P(LineFraming, SameLinesWhateverTheChunks) {
    const std::string exact(RemoteLineLimit, 'a');
    const std::string bytes = "start\r\nplus\n" + exact + "\r\n" + exact + "a\n" +
                              std::string(5000, 'x') + "\nstate\n\x01\n";
    const std::vector<TRemoteLine> lines = FeedInChunks(bytes, GetParam());
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0].Text, "start"); // the CR goes even when the LF comes in the next chunk
    EXPECT_EQ(lines[1].Text, "plus");
    EXPECT_EQ(lines[2].Text, exact);
    EXPECT_EQ(lines[3].Error, "line longer than 256 bytes");
    EXPECT_EQ(lines[4].Error, "line longer than 256 bytes");
    EXPECT_EQ(lines[5].Text, "state");
    EXPECT_EQ(lines[6].Error, "not a text line");
}

INSTANTIATE_TEST_SUITE_P(Chunks, LineFraming, testing::Values(1, 2, 7, 256, 257, 100000));

TEST(RemoteState, JsonStaysOneValidLine) {
    TRemoteState state;
    state.Function = RemoteFunctionName(99);
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

} // namespace
