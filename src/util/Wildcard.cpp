#include "util/Wildcard.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

inline char16_t Upper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

inline bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// First position from `from` holding a or b, or size. The scan of a whole file's content for
// the anchor after a '*' is where the matcher spends its time, so it looks at 8 units at once.
qsizetype FindEither(const char16_t* text, qsizetype from, qsizetype size, char16_t a, char16_t b) {
  qsizetype k = from;
#if defined(__SSE2__)
  const __m128i va = _mm_set1_epi16(static_cast<short>(a));
  const __m128i vb = _mm_set1_epi16(static_cast<short>(b));
  for (; k + 8 <= size; k += 8) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + k));
    const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(chunk, va), _mm_cmpeq_epi16(chunk, vb)));
    if (hits) return k + (__builtin_ctz(static_cast<unsigned>(hits)) >> 1);
  }
#endif
  for (; k < size; ++k)
    if (text[k] == a || text[k] == b) return k;
  return size;
}

// First position from `from` whose upper-cased character is c (already upper-cased), or size.
qsizetype FindUpper(const char16_t* text, qsizetype from, qsizetype size, char16_t c) {
  const char16_t lower = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  return FindEither(text, from, size, c, lower);
}

}  // namespace

// Two states: anchored (literal by literal) and floating (after a '*', searching for the next
// literal). The one resume point (rt, rp) is where the last anchor was found; a mismatch moves
// that anchor to its next occurrence and nothing else.
bool MatchWildcard(const QString& text, const QString& pattern) {
  const auto* t = reinterpret_cast<const char16_t*>(text.constData());
  const auto* p = reinterpret_cast<const char16_t*>(pattern.constData());
  const qsizetype tn = text.size();
  const qsizetype pn = pattern.size();
  qsizetype ti = 0;
  qsizetype pi = 0;
  qsizetype rt = 0;
  qsizetype rp = 0;
  bool resumeSet = false;
  bool floating = false;

  for (;;) {
    if (!floating) {
      if (pi == pn) {
        if (ti == tn) return true;
        if (!resumeSet) return false;
        ti = rt;
        pi = rp;
        floating = true;
        continue;
      }
      const char16_t pc = Upper(p[pi]);
      if (pc == u'*') {
        rp = ++pi;
        floating = true;
        continue;
      }
      if (ti == tn) return false;
      if (pc == u'#') {
        // Stays on the '#' while digits come; leaves it behind at the first non-digit.
        if (IsDigit(t[ti]))
          ++ti;
        else
          ++pi;
      } else if (pc == u'?' || Upper(t[ti]) == pc) {
        ++ti;
        ++pi;
      } else {
        if (!resumeSet) return false;
        ti = rt;
        pi = rp;
        floating = true;
      }
      continue;
    }

    if (pi == pn) return true;
    const char16_t pc = Upper(p[pi]);
    if (pc == u'*') {
      rp = ++pi;
    } else if (pc == u'?') {
      if (ti == tn) return false;
      ++ti;
      ++pi;
    } else if (pc == u'#') {
      while (ti < tn && IsDigit(t[ti])) ++ti;
      if (ti == tn) return false;
      ++pi;
    } else {
      const qsizetype k = FindUpper(t, ti, tn, pc);
      if (k == tn) return false;
      ti = rt = k + 1;
      resumeSet = true;
      ++pi;
      floating = false;
    }
  }
}
