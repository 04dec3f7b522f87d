// Text that reaches a number field with decimals by pasting, past its key filter: only a decimal
// number is read, and one out of a double's range reads as the largest or smallest value.
#include "toolkit/TEditNum.h"
#include "toolkit/TWinDialog.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>

namespace {

struct TPasted {
    const char* Text;
    int32_t Stored;
};

TEST(PastedNumber, DecimalFieldReadsOnlyADecimalNumberAndSaturatesOutOfRange) {
    constexpr int32_t Largest = std::numeric_limits<int32_t>::max();
    constexpr int32_t Smallest = std::numeric_limits<int32_t>::min();
    const TPasted cases[] = {
        {"2.5", 250},  {"-1.25", -125},   {".5", 50},    {"--5", 0},         {"+-5", 0},
        {"inf", 0},    {"-infinity", 0},  {"nan", 0},    {"1e999", Largest}, {"-1e999", Smallest},
        {"1e-999", 0}, {"0.0000e999", 0}, {"12e-2", 12},
    };
    TWinDialog dialog(nullptr, TDialogTemplate{});
    for (const TPasted& pasted : cases) {
        int32_t variable = 7;
        TEditNum field(&dialog, 110, &variable, 12, 2, -100000, 100000);
        field.setText(pasted.Text);
        field.StoreValue();
        EXPECT_EQ(variable, pasted.Stored) << pasted.Text;
    }
}

} // namespace
