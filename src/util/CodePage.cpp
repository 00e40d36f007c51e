#include "util/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

namespace {

constexpr char kDefaultPage[] = "CP936";

struct IconvCloser {
  void operator()(iconv_t cd) const { iconv_close(cd); }
};
using IconvHandle = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

IconvHandle OpenIconv(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  return IconvHandle(cd == reinterpret_cast<iconv_t>(-1) ? nullptr : cd);
}

// Converts input, replacing each undecodable unit of `stepOnError` bytes (or one surrogate pair)
// with `replacement` in the output encoding; with no replacement, an undecodable unit fails the
// whole conversion.
std::optional<QByteArray> Convert(const char* to, const char* from, const char* data, size_t size,
                                  int stepOnError, const QByteArray& replacement, bool utf16Input) {
  QByteArray out;
  IconvHandle cd = OpenIconv(to, from);
  if (!cd) return out;
  out.resize(static_cast<qsizetype>(size * 4 + 16));
  char* in = const_cast<char*>(data);
  size_t inLeft = size;
  char* dst = out.data();
  size_t outLeft = static_cast<size_t>(out.size());
  while (inLeft > 0) {
    if (iconv(cd.get(), &in, &inLeft, &dst, &outLeft) != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      const qsizetype used = dst - out.data();
      out.resize(out.size() * 2);
      dst = out.data() + used;
      outLeft = static_cast<size_t>(out.size() - used);
      continue;
    }
    // EILSEQ or EINVAL: emit the replacement and step over the offending unit.
    if (replacement.isEmpty()) return std::nullopt;
    if (outLeft < static_cast<size_t>(replacement.size())) {
      const qsizetype used = dst - out.data();
      out.resize(out.size() * 2 + replacement.size());
      dst = out.data() + used;
      outLeft = static_cast<size_t>(out.size() - used);
    }
    memcpy(dst, replacement.constData(), static_cast<size_t>(replacement.size()));
    dst += replacement.size();
    outLeft -= static_cast<size_t>(replacement.size());
    size_t step = static_cast<size_t>(stepOnError);
    if (utf16Input && inLeft >= 4) {
      // A surrogate pair is one character; a lone high surrogate is one unit.
      const auto unitAt = [&](int i) {
        return static_cast<unsigned char>(in[i + 1]) << 8 | static_cast<unsigned char>(in[i]);
      };
      if (unitAt(0) >= 0xD800 && unitAt(0) <= 0xDBFF && unitAt(2) >= 0xDC00 && unitAt(2) <= 0xDFFF)
        step = 4;
    }
    step = std::min(step, inLeft);
    in += step;
    inLeft -= step;
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(dst - out.data());
  return out;
}

QByteArray PageFromEnvironment(const char* variable) {
  const char* value = std::getenv(variable);
  QByteArray name = (value && *value) ? QByteArray(value) : QByteArray(kDefaultPage);
  // An unknown page would turn every text into question marks; fall back to the default.
  if (!OpenIconv("UTF-16LE", name.constData())) name = kDefaultPage;
  return name;
}

}  // namespace

TCodePage::TCodePage(QByteArray name) : name_(std::move(name)) {}

QByteArray TCodePage::fromUnicode(const QString& text) const {
  if (text.isEmpty()) return {};
  return *Convert(name_.constData(), "UTF-16LE", reinterpret_cast<const char*>(text.utf16()),
                  static_cast<size_t>(text.size()) * 2, 2, QByteArray("?"), true);
}

namespace {
std::optional<QString> Decode(const QByteArray& page, const QByteArray& bytes,
                              const QByteArray& replacement) {
  if (bytes.isEmpty()) return QString();
  const std::optional<QByteArray> utf16 = Convert("UTF-16LE", page.constData(), bytes.constData(),
                                                  static_cast<size_t>(bytes.size()), 1, replacement, false);
  if (!utf16) return std::nullopt;
  return QString(reinterpret_cast<const QChar*>(utf16->constData()), utf16->size() / 2);
}
}  // namespace

QString TCodePage::toUnicode(const QByteArray& bytes) const {
  return *Decode(name_, bytes, QByteArray("?\0", 2));
}

std::optional<QString> TCodePage::toUnicodeExact(const QByteArray& bytes) const {
  return Decode(name_, bytes, {});
}

bool TCodePage::roundTrips(const QString& text) const {
  return toUnicode(fromUnicode(text)) == text;
}

const TCodePage& AnsiCodePage() {
  static const TCodePage page(PageFromEnvironment("HARROWMINT_ANSI_CODEPAGE"));
  return page;
}

const TCodePage& OemCodePage() {
  static const TCodePage page(PageFromEnvironment("HARROWMINT_OEM_CODEPAGE"));
  return page;
}
