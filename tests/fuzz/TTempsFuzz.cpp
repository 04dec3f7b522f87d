// Format, Parse and ParseDigits on any value, pattern, text and settings. Input layout: one byte of
// settings, four bytes of value, then the pattern and the text separated by a zero byte.
#include "scoreboard/TTemps.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

const char* const SeparatorChoices[] = {"::.", "hms", "", ":", nullptr, "0-5"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 5)
        return 0;
    const uint8_t settings = data[0];
    int32_t ms;
    std::memcpy(&ms, data + 1, sizeof ms);
    // Copies, so that AddressSanitizer sees any read past their terminating zero.
    const std::string rest(reinterpret_cast<const char*>(data + 5), size - 5);
    const std::size_t split = rest.find('\0');
    const std::string pattern = rest.substr(0, split);
    const std::string text = split == std::string::npos ? std::string() : rest.substr(split + 1);

    TTemps temps;
    temps.ZeroMode = settings % 3;
    temps.MinusPlacement = (settings >> 2) & 1;
    temps.Separators = SeparatorChoices[(settings >> 3) % 6];

    const char* formatted = temps.Format(ms, pattern.c_str());
    Check(formatted == temps.Text);
    Check(std::strlen(formatted) <= 14);
    temps.Parse(formatted, pattern.c_str());
    temps.Parse(text.c_str(), pattern.c_str());
    temps.ParseDigits(text.c_str(), pattern.c_str());
    temps.Hours(ms);
    temps.Minutes(ms);
    temps.Seconds(ms);
    Check(temps.MinutesPart >= 0 && temps.MinutesPart < 60);
    Check(temps.SecondsPart >= 0 && temps.SecondsPart < 60);

    // With the minus in the first column and the usual separators, the widest pattern reads back
    // every value exactly.
    TTemps exact;
    exact.MinusPlacement = 1;
    exact.ZeroMode = settings % 3;
    const int32_t back = exact.Parse(exact.Format(ms, "-hhhmmssdcm"), "-hhhmmssdcm");
    Check(ms == std::numeric_limits<int32_t>::min() || back == ms);
    return 0;
}
