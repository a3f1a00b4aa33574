// Reading presets-file text: white-space separated tokens, names compared
// without regard to ASCII letter case, and numbers taken from the longest
// leading decimal prefix of a token.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

class pfPresetsTokenizer {
public:
    // Names and keywords compare by their first 255 characters (ClipToken).
    // Values are read whole: "%f" writes numbers beyond about 1e248 with
    // more digits than that.
    static constexpr std::size_t kMaxTokenLength = 255;

    explicit pfPresetsTokenizer(const std::string& strText) : m_strText(strText) {}

    // The next token, whole, or false at the end of the text.
    bool Next(std::string& strToken);

    // Offset just after the last token read (0 before the first): where the
    // text can be cut to keep everything up to and including that token.
    std::size_t GetPosition() const { return m_nPos; }

private:
    const std::string& m_strText;
    std::size_t m_nPos = 0;
};

// ASCII letter case does not matter; any other byte compares as it is.
bool SameText(const std::string& strA, const std::string& strB);

// What a name or keyword token is compared by: its first 255 characters.
std::string ClipToken(const std::string& strText);

// The value of the token's longest leading decimal prefix (0 without one);
// empty when the token spells a number that is not finite ("inf", "nan",
// "1e999"), which callers treat as no value at all.
std::optional<double> ParseFloatToken(const std::string& strToken);

// The integer of the token's leading digits with optional sign (0 without
// digits); empty for non-finite spellings and values beyond 32 bits.
std::optional<int32_t> ParseIntegerToken(const std::string& strToken);
