// The cleanup matcher: its own algorithm, which differs from a glob in the listed cases.
#include "util/Wildcard.h"
#include "support/TestSupport.h"

namespace {

struct Row {
  QString text;
  QString pattern;
  bool matches;
};

Row R(const char* text, const char* pattern, bool matches) {
  return {QString::fromUtf8(text), QString::fromUtf8(pattern), matches};
}

TEST(MatchWildcard, EdgeCaseTable) {
  const Row rows[] = {
      R("", "", true),
      R("abc", "", false),
      R("", "*", true),
      R("", "?", false),
      R("", "#", false),
      R("Readme.TXT", "*.txt", true),
      R("readme.txt.bak", "*.txt", false),
      R("abc", "*.*", false),
      R("a.b.c", "*.*", true),
      R("abcxxdef.txt", "*xx*.txt", true),
      R("xx.txt", "*xx*.txt", true),
      R("file12.txt", "file#.txt", true),
      R("file.txt", "file#.txt", true),
      R("file1a.txt", "file#.txt", false),
      R("file1", "file#", false),
      R("file", "file#", false),
      R("ver1.2.3", "ver#.#.#", false),
      R("ver1.2.3a", "ver#.#.#a", true),
      R("123x", "#x", true),
      R("123", "#", false),
      R("a12", "*#", true),
      R("12", "*#", false),
      R("ab", "*#b", true),
      R("xab", "*?b", true),
      R("abb", "*?b", false),
      R("aaa", "*?a", false),
      R("abcabd", "*abd", true),
      R("mississippi", "m*iss*ppi", true),
      R("ab", "a**b", true),
      R("ac", "a*?c", false),
      R("abc", "a*?c", true),
      R("first line\r\nthe needle is here\r\n", "*needle*", true),
      R("first line\r\nno match\r\n", "*needle*", false),
      R("\xC3\x84", "\xC3\xA4", false),  // Ä / ä: only ASCII letters ignore case
      R("\xE4\xB8\xAD\xE6\x96\x87.TXT", "\xE4\xB8\xAD\xE6\x96\x87.txt", true),
      R("file\xEF\xBC\x91.txt", "file#.txt", false),  // a full-width digit is no digit
      R("a\r\nb", "a??b", true),                      // '?' takes CR and LF
      R("abc", "abc*", true),
      R("ABC", "a?C", true),
      R("a*c", "a*c", true),
      R("x.url", "*.url", true),
      R("readme.urlx", "*.url", false),
      R("readme.url", "*.URL", true),
  };
  for (const Row& row : rows) {
    EXPECT_EQ(MatchWildcard(row.text, row.pattern), row.matches)
        << "text \"" << row.text.toStdString() << "\" pattern \"" << row.pattern.toStdString() << '"';
  }
}

TEST(MatchWildcard, AnEmptyPatternLineNeverMatchesAName) {
  for (const char* name : {"a", ".", "readme.txt"}) EXPECT_FALSE(MatchWildcard(name, ""));
}

TEST(MatchWildcard, LongTextsAreMatchedWithoutBacktrackingBlowUp) {
  // Many near-misses of the anchor: the resume point moves forward only.
  const QString text = QString("ab").repeated(200000) + "abd";
  EXPECT_TRUE(MatchWildcard(text, "*abd"));
  EXPECT_FALSE(MatchWildcard(QString("a").repeated(400000), "*a*b"));
}

// The anchor search looks at several characters at once: every offset and both letter cases.
TEST(MatchWildcard, FindsTheAnchorAtEveryPosition) {
  for (int length = 0; length < 40; ++length) {
    for (int at = 0; at < length; ++at) {
      QString text(length, u'x');
      text[at] = (at % 2) ? u'N' : u'n';
      EXPECT_TRUE(MatchWildcard(text, "*n*")) << length << " " << at;
      EXPECT_EQ(MatchWildcard(text, "*n"), at == length - 1) << length << " " << at;
    }
    EXPECT_FALSE(MatchWildcard(QString(length, u'x'), "*n*"));
  }
}

}  // namespace
