#include "app/runstate/TRunState.h"

#include "app/settings/SettingsRecord.h"
#include "app/timing/TTimingFunctions.h"

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

// One field of the run: its line "name value" in the file, and where the program keeps it (the
// record or the timing state; none for what only the file holds). Saving, reading and taking
// back all go through this one description.
struct TField {
    const char* name;
    int64_t min;
    int64_t max;
    int64_t (*get)(const TRunState&);
    void (*set)(TRunState&, int64_t);
    int64_t (*fromProgram)(const TSettingsRecord&, const TTimingState&);
    void (*toProgram)(TSettingsRecord&, TTimingState&, int64_t);
};

template <auto Member> void SetMember(auto& object, int64_t value) {
    using T = std::remove_reference_t<decltype(object.*Member)>;
    object.*Member = static_cast<T>(value);
}

// A field only the file holds.
template <auto Member> constexpr TField Field(const char* name, int64_t min, int64_t max) {
    return {name,
            min,
            max,
            [](const TRunState& s) -> int64_t { return s.*Member; },
            [](TRunState& s, int64_t value) { SetMember<Member>(s, value); },
            nullptr,
            nullptr};
}

// A field the program keeps at Place: a member of the record or of the timing state.
template <auto Member, auto Place>
constexpr TField Field(const char* name, int64_t min, int64_t max) {
    constexpr bool inRecord = std::is_invocable_v<decltype(Place), const TSettingsRecord&>;
    TField field = Field<Member>(name, min, max);
    field.fromProgram = [](const TSettingsRecord& r, const TTimingState& t) -> int64_t {
        if constexpr (inRecord)
            return r.*Place;
        else
            return t.*Place;
    };
    field.toProgram = [](TSettingsRecord& r, TTimingState& t, int64_t value) {
        if constexpr (inRecord)
            SetMember<Place>(r, value);
        else
            SetMember<Place>(t, value);
    };
    return field;
}

using Rec = TSettingsRecord;
using Tim = TTimingState;

// In the order of the file.
constexpr std::array Fields = {
    Field<&TRunState::clean>("clean", 0, 1),
    Field<&TRunState::savedMs>("saved", 0, Int64Max),
    Field<&TRunState::functionCode, &Rec::functionCode>("function", Int32Min, Int32Max),
    Field<&TRunState::displayType, &Rec::displayType>("display", Int32Min, Int32Max),
    Field<&TRunState::startTime, &Rec::startTime>("start-time", Int32Min, Int32Max),
    Field<&TRunState::secondStartTime, &Rec::secondStartTime>("second-start-time", Int32Min,
                                                              Int32Max),
    Field<&TRunState::startNumber, &Rec::startNumber>("start-number", Int32Min, Int32Max),
    Field<&TRunState::initialNumber, &Rec::initialNumber>("initial-number", Int32Min, Int32Max),
    Field<&TRunState::inLoop, &Rec::inLoop>("in-loop", Int32Min, Int32Max),
    Field<&TRunState::lapNumber, &Rec::lapNumber>("lap", Int32Min, Int32Max),
    Field<&TRunState::running, &Tim::running>("running", 0, 1),
    Field<&TRunState::count, &Tim::count>("count", Int32Min, Int32Max),
    Field<&TRunState::unitSeconds, &Tim::unitSeconds>("unit-seconds", 0, 86399),
    Field<&TRunState::anchorMs>("anchor", 0, Int64Max),
    Field<&TRunState::testStep, &Tim::testStep>("test-step", 0, 10),
    Field<&TRunState::startSelector, &Tim::startSelector>("selector", 1, 2),
    Field<&TRunState::loopPending, &Tim::loopPending>("loop-pending", 0, 1),
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

void CaptureRun(const TSettingsRecord& settings, const TTimingState& timing, TRunState& state) {
    for (const TField& field : Fields)
        if (field.fromProgram)
            field.set(state, field.fromProgram(settings, timing));
}

void ApplyRun(const TRunState& state, TSettingsRecord& settings, TTimingState& timing) {
    for (const TField& field : Fields)
        if (field.toProgram)
            field.toProgram(settings, timing, field.get(state));
}
