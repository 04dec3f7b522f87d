#include "scoreboard/TTemps.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// Digits of the hours, minutes and seconds fields a pattern's integer part holds (0: absent).
struct TFieldDigits {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;

    int Total() const { return hours + minutes + seconds; }
};

// The pattern after its optional sign, and the fields its first letters choose.
struct TPattern {
    bool isSigned = false;
    const char* proper = "";
    TFieldDigits fields;
};

TFieldDigits FieldDigitsOf(const char* p) {
    // Each test stops at the terminating NUL, so a short pattern counts its missing letters absent.
    if (p[0] == 'h') {
        if (p[1] != 'h')
            return {1, 2, 2};
        return p[2] == 'h' ? TFieldDigits{3, 2, 2} : TFieldDigits{2, 2, 2};
    }
    if (p[0] == 'm')
        return p[1] == 'm' ? TFieldDigits{0, 2, 2} : TFieldDigits{0, 1, 2};
    if (p[0] == 's') {
        if (p[1] != 's')
            return {0, 0, 1};
        return (p[2] == 's' && p[3] == 's') ? TFieldDigits{0, 0, 4} : TFieldDigits{0, 0, 2};
    }
    return {};
}

TPattern PatternOf(const char* pattern) {
    TPattern result;
    if (pattern == nullptr)
        return result;
    result.isSigned = pattern[0] == '-';
    result.proper = pattern + (result.isSigned ? 1 : 0);
    result.fields = FieldDigitsOf(result.proper);
    return result;
}

// Fraction digits as the letters d, c and m at the fraction's start in the pattern proper say,
// each letter counted by itself.
int FractionDigitsOf(const TPattern& pattern) {
    const std::size_t length = std::strlen(pattern.proper);
    const std::size_t start = static_cast<std::size_t>(pattern.fields.Total());
    int count = 0;
    if (start < length && pattern.proper[start] == 'd')
        ++count;
    if (start + 1 < length && pattern.proper[start + 1] == 'c')
        ++count;
    if (start + 2 < length && pattern.proper[start + 2] == 'm')
        ++count;
    return count;
}

// The parts of |ms|, computed in 64 bits so that the magnitude of INT32_MIN is representable.
struct TParts {
    int64_t totalSeconds;
    int64_t hours;
    int64_t minutes;
    int64_t seconds;
    int64_t fraction;
};

TParts PartsOf(int32_t ms) {
    const int64_t magnitude = std::llabs(static_cast<int64_t>(ms));
    TParts parts{};
    parts.totalSeconds = magnitude / 1000;
    parts.hours = parts.totalSeconds / 3600;
    parts.minutes = (parts.totalSeconds - 3600 * parts.hours) / 60;
    parts.seconds = parts.totalSeconds - 3600 * parts.hours - 60 * parts.minutes;
    parts.fraction = magnitude - 1000 * parts.totalSeconds;
    return parts;
}

// The i-th separator character, or NUL when the separators text is shorter (never read past it).
char SeparatorAt(const char* separators, int index) {
    if (separators == nullptr)
        return '\0';
    for (int i = 0; i < index; ++i)
        if (separators[i] == '\0')
            return '\0';
    return separators[index];
}

// Appends to a fixed buffer, dropping whatever would not fit (the buffer stays terminated).
class TBoundedText {
public:
    TBoundedText(char* buffer, std::size_t capacity) : buffer_(buffer), capacity_(capacity) {
        buffer_[0] = '\0';
    }

    void Append(char c) {
        if (c == '\0' || length_ + 1 >= capacity_)
            return;
        buffer_[length_++] = c;
        buffer_[length_] = '\0';
    }
    void AppendText(const char* text) {
        for (; *text != '\0'; ++text)
            Append(*text);
    }
    void AppendNumber(int64_t number, int minDigits) {
        char digits[24];
        // A width beyond the buffer cuts the digits there; only a failed call leaves nothing.
        if (std::snprintf(digits, sizeof digits, "%0*lld", minDigits,
                          static_cast<long long>(number)) < 0)
            return;
        AppendText(digits);
    }

private:
    char* buffer_;
    std::size_t capacity_;
    std::size_t length_ = 0;
};

// Character at a 0-based position of a text, or fallback beyond its end.
char CharAt(const char* text, std::size_t length, std::size_t position, char fallback) {
    return position < length ? text[position] : fallback;
}

// Number held by count characters from position; non-digits and missing characters read as 0.
int64_t NumberAt(const char* text, std::size_t length, std::size_t position, int count) {
    int64_t number = 0;
    for (int i = 0; i < count; ++i) {
        const char c = CharAt(text, length, position + static_cast<std::size_t>(i), '0');
        number = number * 10 + ((c >= '0' && c <= '9') ? c - '0' : 0);
    }
    return number;
}

constexpr int64_t Int32Max = std::numeric_limits<int32_t>::max();

} // namespace

TTemps::TTemps() : Separators("::."), ZeroMode(0), MinusPlacement(0) {}

int32_t TTemps::Hours(int32_t ms) {
    HoursPart = static_cast<int32_t>(PartsOf(ms).hours);
    return HoursPart;
}

int32_t TTemps::Minutes(int32_t ms) {
    MinutesPart = static_cast<int32_t>(PartsOf(ms).minutes);
    return MinutesPart;
}

int32_t TTemps::Seconds(int32_t ms) {
    SecondsPart = static_cast<int32_t>(PartsOf(ms).seconds);
    return SecondsPart;
}

const char* TTemps::Format(int32_t ms, const char* pattern) {
    const TPattern layout = PatternOf(pattern);
    const TParts parts = PartsOf(ms);
    const char separator1 = SeparatorAt(Separators, 0);
    const char separator2 = SeparatorAt(Separators, 1);
    const char separator3 = SeparatorAt(Separators, 2);

    char integer[TextSize];
    TBoundedText integerText(integer, sizeof integer);
    const TFieldDigits& fields = layout.fields;
    if (fields.hours > 0) {
        integerText.AppendNumber(parts.hours, fields.hours);
        integerText.Append(separator1);
    }
    if (fields.minutes > 0) {
        integerText.AppendNumber(parts.minutes, fields.minutes);
        integerText.Append(separator2);
    }
    if (fields.seconds > 0) {
        // The four-digit form counts every second of the value, not those within the minute.
        integerText.AppendNumber(fields.seconds == 4 ? parts.totalSeconds : parts.seconds,
                                 fields.seconds);
        integerText.Append(separator3);
    }

    if (ZeroMode != 2) {
        // Blank leading separators and zeros, but never the digit just before separator 3.
        for (char* c = integer; *c != '\0'; ++c) {
            const bool isSeparator = *c == separator1 || *c == separator2;
            const bool isLeadingZero = *c == '0' && c[1] != separator3;
            if (!isSeparator && !isLeadingZero)
                break;
            *c = ' ';
        }
    }

    TBoundedText text(Text, sizeof Text);
    if (layout.isSigned) {
        text.Append(ms < 0 ? '-' : ' ');
        text.AppendText(integer);
        if (ms < 0 && MinusPlacement == 0) {
            for (char* c = Text; c[0] == '-' && c[1] == ' '; ++c) {
                c[0] = ' ';
                c[1] = '-';
            }
        }
    } else {
        text.AppendText(integer);
    }

    // The fraction is truncated, never carried into the seconds.
    if (std::strstr(layout.proper, "dcm") != nullptr)
        text.AppendNumber(parts.fraction, 3);
    else if (std::strstr(layout.proper, "dc") != nullptr)
        text.AppendNumber(parts.fraction / 10, 2);
    else if (std::strchr(layout.proper, 'd') != nullptr)
        text.AppendNumber(parts.fraction / 100, 1);

    if (ms == 0 && ZeroMode == 0)
        for (char* c = Text; *c != '\0'; ++c)
            *c = ' ';
    return Text;
}

int32_t TTemps::ParseDigits(const char* digits, const char* pattern) {
    const TPattern layout = PatternOf(pattern);
    if (digits == nullptr)
        digits = "";
    const char* fieldsText = digits;
    if (layout.isSigned && fieldsText[0] != '\0')
        ++fieldsText;
    // Characters missing on the right read as '0', as do characters that are not digits.
    const std::size_t length = std::strlen(fieldsText);
    const TFieldDigits& fields = layout.fields;

    std::size_t position = 0;
    const int64_t hours = NumberAt(fieldsText, length, position, fields.hours);
    position += static_cast<std::size_t>(fields.hours);
    const int64_t minutes = NumberAt(fieldsText, length, position, fields.minutes);
    position += static_cast<std::size_t>(fields.minutes);
    const int64_t seconds = NumberAt(fieldsText, length, position, fields.seconds);
    position += static_cast<std::size_t>(fields.seconds);
    const int fractionDigits = FractionDigitsOf(layout);
    const int64_t fraction = NumberAt(fieldsText, length, position, fractionDigits);

    // Summed in 64 bits: three hour digits reach 999 h, more than 32 bits of milliseconds hold.
    int64_t sum = hours * 3600000;
    auto fail = [&] {
        Value = sum <= Int32Max ? static_cast<int32_t>(sum) : -1;
        return -1;
    };
    if (minutes > 59)
        return fail();
    sum += minutes * 60000;
    if (seconds > 59 && fields.seconds < 4)
        return fail();
    sum += seconds * 1000;
    static constexpr int64_t FractionScale[] = {0, 100, 10, 1};
    sum += fraction * FractionScale[fractionDigits];
    if (sum > Int32Max) {
        Value = -1;
        return -1;
    }

    if (layout.isSigned && digits[0] == '-')
        sum = -sum;
    Value = static_cast<int32_t>(sum);
    return Value;
}

int32_t TTemps::Parse(const char* text, const char* pattern) {
    const TPattern layout = PatternOf(pattern);
    if (text == nullptr)
        text = "";
    char digits[TextSize];
    TBoundedText digitsText(digits, sizeof digits);

    const char* fieldsText = text;
    if (layout.isSigned) {
        // The sign position is copied as it is; an empty text has a blank there.
        digitsText.Append(text[0] != '\0' ? text[0] : ' ');
        if (text[0] != '\0')
            ++fieldsText;
    }
    const std::size_t length = std::strlen(fieldsText);

    // Each field is followed by one separator column that is skipped, whatever it holds.
    std::size_t position = 0;
    auto copyField = [&](int count, bool separatorFollows) {
        for (int i = 0; i < count; ++i)
            digitsText.Append(CharAt(fieldsText, length, position++, ' '));
        if (count > 0 && separatorFollows)
            ++position;
    };
    copyField(layout.fields.hours, true);
    copyField(layout.fields.minutes, true);
    copyField(layout.fields.seconds, true);
    copyField(FractionDigitsOf(layout), false);

    ParsedValue = ParseDigits(digits, pattern);
    return ParsedValue;
}
