// The toolkit's language: one global object whose Current (1-based: 1 French, 2 English,
// 3 German, 4 Italian, 5 Spanish, 6 Catalan) picks the row of every six-row text table.
#pragma once

#include <array>
#include <string>
#include <vector>

class TLangue {
public:
    explicit TLangue(int textCount);

    int Current = 1;

private:
    std::vector<std::string> Texts; // count + 1 language texts; nothing reads them
};

extern TLangue Langue;

constexpr int LanguageCount = 6;

// Row Current of a six-row table. A Current outside 1 to 6 uses row 1 rather than reading
// past the table.
template <class Row> const Row& LanguageRow(const std::array<Row, LanguageCount>& table) {
    const int row = (Langue.Current >= 1 && Langue.Current <= LanguageCount) ? Langue.Current : 1;
    return table[static_cast<std::size_t>(row - 1)];
}

// Range messages of the number fields, Latin-1.
struct TRangeMessage {
    const char* Integer;      // Min, Max
    const char* WithDecimals; // Decimals, Min, Decimals, Max
    const char* Caption;
};

extern const std::array<TRangeMessage, LanguageCount> RangeMessages;
