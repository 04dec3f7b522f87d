#include "app/runstate/TRunState.h"

#include <array>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <limits>
#include <type_traits>

namespace {

constexpr std::string_view Header = "kadrant.run 1\n";
constexpr std::string_view CheckName = "check ";
constexpr int64_t Int32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t Int32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t Int64Max = std::numeric_limits<int64_t>::max();

// One line "name value" of the file, read and written through the same description.
struct TField {
    const char* name;
    int64_t min;
    int64_t max;
    int64_t (*get)(const TRunState&);
    void (*set)(TRunState&, int64_t);
};

template <auto Member> constexpr TField Field(const char* name, int64_t min, int64_t max) {
    return {name, min, max, [](const TRunState& s) -> int64_t { return s.*Member; },
            [](TRunState& s, int64_t value) {
                using T = std::remove_reference_t<decltype(s.*Member)>;
                s.*Member = static_cast<T>(value);
            }};
}

// In the order of the file.
constexpr std::array Fields = {
    Field<&TRunState::clean>("clean", 0, 1),
    Field<&TRunState::savedMs>("saved", 0, Int64Max),
    Field<&TRunState::functionCode>("function", Int32Min, Int32Max),
    Field<&TRunState::displayType>("display", Int32Min, Int32Max),
    Field<&TRunState::startTime>("start-time", Int32Min, Int32Max),
    Field<&TRunState::secondStartTime>("second-start-time", Int32Min, Int32Max),
    Field<&TRunState::startNumber>("start-number", Int32Min, Int32Max),
    Field<&TRunState::initialNumber>("initial-number", Int32Min, Int32Max),
    Field<&TRunState::inLoop>("in-loop", Int32Min, Int32Max),
    Field<&TRunState::lapNumber>("lap", Int32Min, Int32Max),
    Field<&TRunState::running>("running", 0, 1),
    Field<&TRunState::count>("count", Int32Min, Int32Max),
    Field<&TRunState::unitSeconds>("unit-seconds", 0, 86399),
    Field<&TRunState::anchorMs>("anchor", 0, Int64Max),
    Field<&TRunState::testStep>("test-step", 0, 10),
    Field<&TRunState::startSelector>("selector", 1, 2),
    Field<&TRunState::loopPending>("loop-pending", 0, 1),
};

uint32_t Crc32(std::string_view bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// The line at pos without its '\n'; pos moves past it. False when no '\n' ends it.
bool NextLine(std::string_view text, std::size_t& pos, std::string_view& line) {
    const std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos)
        return false;
    line = text.substr(pos, end - pos);
    pos = end + 1;
    return true;
}

// The whole of digits as one number of the given base, nothing else.
template <class T> bool WholeNumber(std::string_view digits, T& value, int base = 10) {
    if (digits.empty())
        return false;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value, base);
    return error == std::errc() && stop == end;
}

} // namespace

std::string FormatRunState(const TRunState& state) {
    std::string text(Header);
    char line[64];
    for (const TField& field : Fields) {
        std::snprintf(line, sizeof line, "%s %" PRId64 "\n", field.name, field.get(state));
        text += line;
    }
    std::snprintf(line, sizeof line, "%s%08" PRIx32 "\n", CheckName.data(), Crc32(text));
    return text + line;
}

bool ParseRunState(std::string_view text, TRunState& state) {
    if (!text.starts_with(Header))
        return false;
    TRunState read;
    std::size_t pos = Header.size();
    std::string_view line;
    for (const TField& field : Fields) {
        const std::string_view name = field.name;
        int64_t value = 0;
        if (!NextLine(text, pos, line) || !line.starts_with(name) || line.size() <= name.size() ||
            line[name.size()] != ' ' || !WholeNumber(line.substr(name.size() + 1), value) ||
            value < field.min || value > field.max)
            return false;
        field.set(read, value);
    }
    const std::size_t checked = pos;
    uint32_t check = 0;
    if (!NextLine(text, pos, line) || pos != text.size() || !line.starts_with(CheckName) ||
        line.size() != CheckName.size() + 8 ||
        !WholeNumber(line.substr(CheckName.size()), check, 16) ||
        check != Crc32(text.substr(0, checked)))
        return false;
    state = read;
    return true;
}
