#pragma once

#include <QString>
#include <vector>

// A LIKE pattern over titles: "%" stands for any run of characters, "_" for
// exactly one character (one Unicode code point); every other character
// matches itself without regard to letter case, for all Unicode letters.
// Matching takes time proportional to title length times pattern length at
// worst; it never backtracks exponentially.
class TitlePattern {
public:
    TitlePattern() = default;
    explicit TitlePattern(const QString &pattern);

    QString pattern() const { return m_pattern; }
    bool matches(QStringView title) const;

private:
    QString m_pattern;
    std::vector<char32_t> m_codes; // case-folded code points, or AnyRun / AnyOne
};
