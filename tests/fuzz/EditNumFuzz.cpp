// The number field's reader on any text, bound type, digit count, decimals and range, checked
// against the reading rule written out independently here: the leading number of at most
// Digits + 1 characters (white space, a sign, then digits; with decimals a decimal number with an
// optional exponent; longer texts are read to 32 characters), a trailing '-' negating it when
// stored, and the stored value clamped to the variable. Then the field shows the variable again,
// which must read back as itself. Input layout: one byte of choices, Digits, Decimals, four bytes
// of Min, four of Max, four of the variable, then the text.
#include "toolkit/TEditNum.h"
#include "toolkit/TWinDialog.h"

#include <QApplication>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

TWinDialog& Dialog() {
    static int argc = 1;
    static char name[] = "fuzz_edit_num";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return new QApplication(argc, argv);
    }();
    (void)application;
    static TWinDialog* dialog = new TWinDialog(nullptr, TDialogTemplate{});
    return *dialog;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

using Wide = __int128;
constexpr Wide Huge = Wide{1} << 100;

// The leading decimal integer, saturating far beyond any bound type.
Wide LeadingInteger(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    Wide value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        value = value > Huge ? value : value * 10 + (text[i] - '0');
    return negative ? -value : value;
}

// The leading decimal number: digits, an optional point and fraction, an optional exponent.
double LeadingNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        ++digits;
    if (i < text.size() && text[i] == '.')
        for (++i; i < text.size() && IsDigit(text[i]); ++i)
            ++digits;
    if (digits == 0)
        return 0.0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j]))
                ++j;
            i = j;
        }
    }
    static const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    const std::string number = text.substr(start, i - start);
    return strtod_l(number.c_str(), nullptr, c);
}

Wide ClampWide(double x) {
    if (std::isnan(x))
        return 0;
    if (x >= 1e30)
        return Huge;
    if (x <= -1e30)
        return -Huge;
    return static_cast<Wide>(x);
}

template <class T> long long ClampTo(Wide value) {
    if (value < static_cast<Wide>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    if (value > static_cast<Wide>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return static_cast<long long>(value);
}

template <class T> void FuzzField(const uint8_t* data, std::size_t size) {
    const uint8_t choices = data[0];
    const int digits = data[1] % 24;
    const int decimals = data[2] % 8;
    int32_t min, max, initial;
    std::memcpy(&min, data + 3, 4);
    std::memcpy(&max, data + 7, 4);
    std::memcpy(&initial, data + 11, 4);
    const QByteArray raw(reinterpret_cast<const char*>(data + 15),
                         static_cast<qsizetype>(size - 15));
    const QString text = (choices & 0x10) ? QString::fromUtf8(raw) : QString::fromLatin1(raw);

    T variable = static_cast<T>(initial);
    TEditNum field(&Dialog(), 110, &variable, digits, decimals, min, max);
    field.setText(text);

    // The reading rule on what the reader sees of the text: what the user can type, or more when
    // the program showed a longer number.
    const int seenLength = std::max(digits + 1, 32);
    const std::string seen = field.text().left(seenLength).toLatin1().toStdString();
    Wide expected =
        decimals == 0 ? LeadingInteger(seen)
                      : ClampWide(std::floor(LeadingNumber(seen) * std::pow(10.0, decimals) + 0.1));
    const long long unsignedRead = field.ReadNumber(false);
    Check(ClampTo<T>(unsignedRead) == ClampTo<T>(expected));
    if (!seen.empty() && seen.back() == '-')
        expected = -expected;
    field.StoreValue();
    Check(static_cast<long long>(variable) == ClampTo<T>(expected));

    // Shown again, a value reads back as itself whenever its text fits what the reader takes.
    field.ShowValue();
    if (field.text().size() <= seenLength && decimals == 0) {
        const T shown = variable;
        field.StoreValue();
        Check(variable == shown);
    }
}

} // namespace

// The font library keeps its configuration cache until the process ends; the Qt application of
// the harness is never taken down, so at exit that cache shows up as a leak that is not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 15 || size > 200)
        return 0;
    switch (data[0] & 3) {
    case 0:
        FuzzField<int32_t>(data, size);
        break;
    case 1:
        FuzzField<uint32_t>(data, size);
        break;
    case 2:
        FuzzField<int16_t>(data, size);
        break;
    default:
        FuzzField<uint16_t>(data, size);
        break;
    }
    return 0;
}
