#include "control/RemoteReply.h"

namespace {
constexpr std::string_view ErrorWord = "error";
constexpr std::string_view ErrorPrefix = "error ";
} // namespace

std::string ErrorReply(std::string_view reason) {
    return std::string(ErrorPrefix) + std::string(reason);
}

TReplyKind ClassifyReply(std::string_view line, std::string* reason) {
    if (line == OkReply)
        return TReplyKind::Ok;
    if (line == ErrorWord || line.rfind(ErrorPrefix, 0) == 0) {
        if (reason != nullptr)
            *reason = std::string(line.size() > ErrorPrefix.size() ? line.substr(ErrorPrefix.size())
                                                                   : std::string_view());
        return TReplyKind::Error;
    }
    if (IsFlatJsonObject(line))
        return TReplyKind::State;
    return TReplyKind::Malformed;
}

namespace {

class TFlatJson {
public:
    explicit TFlatJson(std::string_view text) : Text(text) {}

    // Walks the object; `onField` sees each key and its raw value (a string without quotes).
    template <typename F> bool Walk(F&& onField) {
        SkipSpace();
        if (!Take('{'))
            return false;
        SkipSpace();
        if (Take('}'))
            return AtEnd();
        for (;;) {
            std::string_view key;
            std::string_view value;
            bool isString = false;
            SkipSpace();
            if (!String(key))
                return false;
            SkipSpace();
            if (!Take(':'))
                return false;
            SkipSpace();
            if (Peek() == '"') {
                isString = true;
                if (!String(value))
                    return false;
            } else if (!Literal(value)) {
                return false;
            }
            onField(key, value, isString);
            SkipSpace();
            if (Take('}'))
                return AtEnd();
            if (!Take(','))
                return false;
        }
    }

private:
    std::string_view Text;
    std::size_t At = 0;

    char Peek() const { return At < Text.size() ? Text[At] : '\0'; }
    bool Take(char c) {
        if (Peek() != c || At >= Text.size())
            return false;
        ++At;
        return true;
    }
    void SkipSpace() {
        while (At < Text.size() && (Text[At] == ' ' || Text[At] == '\t'))
            ++At;
    }
    bool AtEnd() {
        SkipSpace();
        return At == Text.size();
    }
    static bool IsHex(char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    }
    bool String(std::string_view& out) {
        if (!Take('"'))
            return false;
        std::size_t start = At;
        while (At < Text.size()) {
            unsigned char c = static_cast<unsigned char>(Text[At]);
            if (c == '"') {
                out = Text.substr(start, At - start);
                ++At;
                return true;
            }
            if (c < 0x20)
                return false;
            if (c == '\\') {
                ++At;
                char e = Peek();
                if (e == 'u') {
                    for (int i = 1; i <= 4; ++i)
                        if (At + i >= Text.size() || !IsHex(Text[At + i]))
                            return false;
                    At += 4;
                } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos ||
                           e == '\0') {
                    return false;
                }
            }
            ++At;
        }
        return false;
    }
    bool Literal(std::string_view& out) {
        for (std::string_view word : {"true", "false", "null"})
            if (Text.substr(At, word.size()) == word) {
                out = word;
                At += word.size();
                return true;
            }
        // A JSON number: -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
        std::size_t start = At;
        Take('-');
        if (Take('0')) {
        } else if (Peek() >= '1' && Peek() <= '9') {
            while (Peek() >= '0' && Peek() <= '9')
                ++At;
        } else {
            return false;
        }
        if (Take('.')) {
            if (!(Peek() >= '0' && Peek() <= '9'))
                return false;
            while (Peek() >= '0' && Peek() <= '9')
                ++At;
        }
        if (Peek() == 'e' || Peek() == 'E') {
            ++At;
            if (Peek() == '+' || Peek() == '-')
                ++At;
            if (!(Peek() >= '0' && Peek() <= '9'))
                return false;
            while (Peek() >= '0' && Peek() <= '9')
                ++At;
        }
        out = Text.substr(start, At - start);
        return true;
    }
};

} // namespace

bool IsFlatJsonObject(std::string_view text) {
    return TFlatJson(text).Walk([](std::string_view, std::string_view, bool) {});
}

bool FlatJsonString(std::string_view object, std::string_view key, std::string& value) {
    bool found = false;
    bool valid = TFlatJson(object).Walk([&](std::string_view k, std::string_view v, bool isString) {
        if (!found && isString && k == key) {
            value = std::string(v);
            found = true;
        }
    });
    return valid && found;
}
