// The control socket's lines without a window or a socket: lines cut the same however the bytes
// arrive, the bound at its edge, an overlong line never kept, and the reason each bad line gets.
#include "control/RemoteCommand.h"
#include "control/TLineFramer.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A line as Kadrant answers it: its text, or the reason it is refused.
struct TSeenLine {
    std::string Text;
    std::string Error;
};

std::vector<TSeenLine> FeedInChunks(const std::string& bytes, std::size_t chunk) {
    TLineFramer framer(RemoteLineLimit);
    std::vector<TSeenLine> lines;
    const auto onLine = [&](std::string_view text, bool overlong) {
        lines.push_back({std::string(text), ParseRemoteCommand(text, overlong).Error});
    };
    for (std::size_t at = 0; at < bytes.size(); at += chunk)
        framer.Feed(std::string_view(bytes).substr(at, chunk), onLine);
    return lines;
}

class LineFraming : public testing::TestWithParam<std::size_t> {};

TEST_P(LineFraming, SameLinesWhateverTheChunks) {
    const std::string exact(RemoteLineLimit, 'a');
    const std::string bytes = "start\r\nplus\n" + exact + "\r\n" + exact + "a\n" +
                              std::string(5000, 'x') + "\nstate\n\x01\n";
    const std::vector<TSeenLine> lines = FeedInChunks(bytes, GetParam());
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

std::vector<std::string> Lines(TLineFramer& framer, const std::vector<std::string>& chunks) {
    std::vector<std::string> lines;
    for (const std::string& chunk : chunks)
        framer.Feed(chunk, [&](std::string_view l, bool overlong) {
            if (!overlong)
                lines.emplace_back(l);
        });
    return lines;
}

TEST(LineFramer, LinesSplitAcrossChunksComeOutWhole) {
    TLineFramer framer(64);
    EXPECT_EQ(Lines(framer, {"o", "k\ner", "ror no\r\n{\"a\":1}\n\nsta"}),
              (std::vector<std::string>{"ok", "error no", "{\"a\":1}", ""}));
    EXPECT_EQ(framer.Pending(), 3u);
    EXPECT_EQ(Lines(framer, {"te\n"}), std::vector<std::string>{"state"});
}

TEST(LineFramer, OverlongLineIsDroppedWholeAndTheNextOneSurvives) {
    TLineFramer framer(8);
    std::string huge(100000, 'x');
    EXPECT_EQ(Lines(framer, {"12345678\n", huge, huge, "tail\nok\n"}),
              (std::vector<std::string>{"12345678", "ok"}));
    EXPECT_EQ(framer.OverlongLines(), 1u);
    EXPECT_LE(framer.Pending(), 8u);
    EXPECT_EQ(Lines(framer, {"123456789\n"}), std::vector<std::string>{});
    EXPECT_EQ(framer.OverlongLines(), 2u);
}

} // namespace
