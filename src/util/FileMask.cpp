#include "util/FileMask.h"

namespace {

inline char16_t Upper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

}  // namespace

EMaskException::EMaskException(const QString& message) : std::runtime_error(message.toStdString()) {}

TFileMask::TFileMask(const QString& mask) {
  const auto* m = reinterpret_cast<const char16_t*>(mask.constData());
  const qsizetype n = mask.size();
  for (qsizetype i = 0; i < n;) {
    const char16_t c = m[i];
    if (c == u'*') {
      if (tokens_.empty() || tokens_.back().kind != Token::AnyRun)
        tokens_.push_back({Token::AnyRun, 0, 0, 0});
      ++i;
    } else if (c == u'?') {
      tokens_.push_back({Token::AnyOne, 0, 0, 0});
      ++i;
    } else if (c == u'[') {
      ++i;
      Token token{Token::Set, 0, static_cast<quint32>(ranges_.size()), 0};
      if (i < n && m[i] == u'!') {
        token.kind = Token::NegatedSet;
        ++i;
      }
      while (i < n && m[i] != u']') {
        if (i + 2 < n && m[i + 1] == u'-' && m[i + 2] != u']') {
          ranges_.push_back({Upper(m[i]), Upper(m[i + 2])});
          i += 3;
        } else {
          ranges_.push_back({Upper(m[i]), Upper(m[i])});
          ++i;
        }
      }
      if (i == n) {
        throw EMaskException(QStringLiteral("'%1' is an invalid mask at (%2)").arg(mask).arg(n + 1));
      }
      ++i;  // ']'
      token.rangesEnd = static_cast<quint32>(ranges_.size());
      tokens_.push_back(token);
    } else {
      tokens_.push_back({Token::Literal, Upper(c), 0, 0});
      ++i;
    }
  }
  matchesEverything_ = tokens_.size() == 1 && tokens_.front().kind == Token::AnyRun;
}

bool TFileMask::Matches(const QString& name) const {
  if (matchesEverything_) return true;
  return MatchFrom(reinterpret_cast<const char16_t*>(name.constData()), name.size());
}

// Glob matching with one backtrack point: the last '*' takes one more character on a mismatch.
bool TFileMask::MatchFrom(const char16_t* name, qsizetype size) const {
  const size_t tokenCount = tokens_.size();
  auto single = [&](const Token& token, char16_t raw) {
    const char16_t c = Upper(raw);
    switch (token.kind) {
      case Token::Literal:
        return c == token.ch;
      case Token::AnyOne:
        return true;
      case Token::Set:
      case Token::NegatedSet: {
        bool in = false;
        for (quint32 r = token.rangesBegin; r < token.rangesEnd && !in; ++r)
          in = c >= ranges_[r].low && c <= ranges_[r].high;
        return in == (token.kind == Token::Set);
      }
      case Token::AnyRun:
        break;
    }
    return false;
  };
  qsizetype ti = 0;
  size_t pi = 0;
  size_t starToken = SIZE_MAX;
  qsizetype starText = 0;
  while (ti < size) {
    if (pi < tokenCount && tokens_[pi].kind == Token::AnyRun) {
      starToken = pi++;
      starText = ti;
    } else if (pi < tokenCount && single(tokens_[pi], name[ti])) {
      ++pi;
      ++ti;
    } else if (starToken != SIZE_MAX) {
      pi = starToken + 1;
      ti = ++starText;
    } else {
      return false;
    }
  }
  while (pi < tokenCount && tokens_[pi].kind == Token::AnyRun) ++pi;
  return pi == tokenCount;
}

bool MatchesAnyMask(const QString& name, const QStringList& masks) {
  for (const QString& mask : masks)
    if (TFileMask(mask).Matches(name)) return true;
  return false;
}
