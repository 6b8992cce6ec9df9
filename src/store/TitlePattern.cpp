#include "TitlePattern.h"

namespace {
// Outside the Unicode range, so no title character can equal them.
constexpr char32_t AnyRun = 0x110000; // %
constexpr char32_t AnyOne = 0x110001; // _

// Titles are mostly ASCII, whose only folding is A-Z to a-z; the table
// lookup behind QChar::toCaseFolded is a call per character.
inline char32_t fold(char32_t c) {
    if (c < 0x80)
        return (c >= U'A' && c <= U'Z') ? c + (U'a' - U'A') : c;
    return QChar::toCaseFolded(c);
}

// The code point at UTF-16 offset i and the offset after it.
inline char32_t codePointAt(QStringView s, qsizetype i, qsizetype *next) {
    const char16_t hi = s[i].unicode();
    if (QChar::isHighSurrogate(hi) && i + 1 < s.size() &&
        QChar::isLowSurrogate(s[i + 1].unicode())) {
        *next = i + 2;
        return QChar::surrogateToUcs4(hi, s[i + 1].unicode());
    }
    *next = i + 1;
    return hi;
}

// The offset of the first code point at or after offset i that folds to
// `wanted`, or the end of s.
inline qsizetype findFolded(QStringView s, qsizetype i, char32_t wanted) {
    const qsizetype n = s.size();
    while (i < n) {
        qsizetype next;
        if (fold(codePointAt(s, i, &next)) == wanted)
            return i;
        i = next;
    }
    return n;
}
} // namespace

TitlePattern::TitlePattern(const QString &pattern) : m_pattern(pattern) {
    for (qsizetype i = 0; i < pattern.size();) {
        const char32_t c = codePointAt(pattern, i, &i);
        if (c == U'%') {
            // Runs of % mean the same as one.
            if (m_codes.empty() || m_codes.back() != AnyRun)
                m_codes.push_back(AnyRun);
        } else if (c == U'_') {
            m_codes.push_back(AnyOne);
        } else {
            m_codes.push_back(fold(c));
        }
    }
}

// Greedy matching that remembers only the last "%": when a later part fails,
// the run of that "%" grows by one character and matching resumes after it.
// Earlier "%" never need revisiting, which bounds the work by n * m.
bool TitlePattern::matches(QStringView title) const {
    const std::size_t m = m_codes.size();
    std::size_t p = 0;
    qsizetype t = 0;
    std::size_t starP = 0;
    qsizetype starT = -1;
    const qsizetype n = title.size();
    while (t < n) {
        if (p < m && m_codes[p] == AnyRun) {
            starP = p++;
            starT = t;
            continue;
        }
        if (t == starT && p == starP + 1 && p < m && m_codes[p] < AnyRun) {
            // Nothing matched yet after the last "%": its run takes every
            // character before the next one that can begin the rest, so the
            // search goes straight there instead of one character per round.
            t = starT = findFolded(title, t, m_codes[p]);
            if (t == n)
                break;
        }
        qsizetype next;
        const char32_t c = codePointAt(title, t, &next);
        if (p < m && (m_codes[p] == AnyOne || m_codes[p] == fold(c))) {
            ++p;
            t = next;
            continue;
        }
        if (starT < 0)
            return false;
        p = starP + 1;
        codePointAt(title, starT, &starT);
        t = starT;
    }
    while (p < m && m_codes[p] == AnyRun)
        ++p;
    return p == m;
}
