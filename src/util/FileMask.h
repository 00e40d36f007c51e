#pragma once
// File masks as file dialogs and the folder walk know them: "*" any run, "?" one character,
// "[abc]", "[a-z]" and "[!...]" sets; ASCII letters without regard to case; every other
// character, "." included, must be present ("*.*" needs a dot, "*" takes every name).
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

// Thrown for a mask that cannot be compiled: "'%s' is an invalid mask at (%d)".
class EMaskException : public std::runtime_error {
 public:
  explicit EMaskException(const QString& message);
  QString Message() const { return QString::fromUtf8(what()); }
};

class TFileMask {
 public:
  // Throws EMaskException for an unclosed set.
  explicit TFileMask(const QString& mask);
  bool Matches(const QString& name) const;
  // True when this mask takes every name.
  bool MatchesEverything() const { return matchesEverything_; }

 private:
  struct Token {
    enum Kind : quint8 { Literal, AnyOne, AnyRun, Set, NegatedSet };
    Kind kind;
    char16_t ch;          // Literal, upper-cased
    quint32 rangesBegin;  // Set: [rangesBegin, rangesEnd) in ranges_
    quint32 rangesEnd;
  };
  struct Range {
    char16_t low;  // upper-cased
    char16_t high;
  };
  bool MatchFrom(const char16_t* name, qsizetype size) const;

  std::vector<Token> tokens_;
  std::vector<Range> ranges_;
  bool matchesEverything_ = false;
};

// True when any of the masks matches; compiles them one by one.
bool MatchesAnyMask(const QString& name, const QStringList& masks);
