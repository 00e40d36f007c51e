#include "compress/sevenzip/SevenZipPlugin.h"

#include <dlfcn.h>

#include <string>

#include "compress/common/EngineLoadError.h"
#include "compress/common/ProgramVersion.h"
#include "util/NativePath.h"

namespace {

constexpr z7::PROPID kHandlerName = 0;

// The library keeps text as UTF-16 in 32-bit wchar_t units, as its own command line hands it
// over: a character beyond U+FFFF travels as a surrogate pair, one unit per wchar_t. A whole
// code point in one unit would be cut to its low 16 bits.
std::wstring ToLibraryText(const QString& text) {
  std::wstring wide(size_t(text.size()), L'\0');
  for (qsizetype i = 0; i < text.size(); ++i) wide[size_t(i)] = wchar_t(text[i].unicode());
  return wide;
}

// Either form comes back: surrogate pairs unit by unit, or (from other callers of the library)
// whole code points.
QString FromLibraryText(const wchar_t* wide) {
  QString text;
  for (; *wide; ++wide) {
    const char32_t unit = char32_t(*wide);
    if (unit > 0xFFFF) {
      text += QChar(QChar::highSurrogate(unit));
      text += QChar(QChar::lowSurrogate(unit));
    } else {
      text += QChar(char16_t(unit));
    }
  }
  return text;
}

[[noreturn]] void ThrowLoadError(const char* format, const QString& libraryPath) {
  throw E7zLoadError(QString::fromLatin1(format).arg(libraryPath).toStdString());
}

template <class F>
F Symbol(void* library, const char* name) {
  return reinterpret_cast<F>(dlsym(library, name));
}

}  // namespace

void T7zPlugin::LibraryCloser::operator()(void* handle) const { dlclose(handle); }

T7zPlugin::T7zPlugin(const QString& libraryPath) {
  // RTLD_LOCAL keeps the library's symbols (it exports many generic names) out of our namespace.
  library_.reset(dlopen(NativePath(libraryPath).c_str(), RTLD_NOW | RTLD_LOCAL));
  if (!library_) ThrowLoadError("Error loading library %1", libraryPath);
  createObject_ = Symbol<z7::CreateObjectFunc>(library_.get(), "CreateObject");
  if (!createObject_) ThrowLoadError("%1 is not a 7z library", libraryPath);
  getHandlerProperty_ = Symbol<z7::GetHandlerPropertyFunc>(library_.get(), "GetHandlerProperty");
  if (!getHandlerProperty_) ThrowLoadError("%1 is not a Format library", libraryPath);
  getModuleProp_ = Symbol<z7::GetModulePropFunc>(library_.get(), "GetModuleProp");
  // Strings handed over must come from the library's own allocator.
  sysAllocString_ = Symbol<z7::SysAllocStringFunc>(library_.get(), "SysAllocString");
  sysFreeString_ = Symbol<z7::SysFreeStringFunc>(library_.get(), "SysFreeString");
  variantClear_ = Symbol<z7::VariantClearFunc>(library_.get(), "VariantClear");
  if (!sysAllocString_ || !sysFreeString_ || !variantClear_)
    ThrowLoadError("%1 is not a 7z library", libraryPath);
}

z7::BSTR T7zPlugin::AllocString(const QString& text) const {
  const std::wstring wide = ToLibraryText(text);
  return sysAllocString_(wide.c_str());
}

void T7zPlugin::FreeString(z7::BSTR text) const {
  if (text) sysFreeString_(text);
}

void T7zPlugin::ClearVariant(z7::PROPVARIANT& value) const {
  if (value.vt != z7::VT_EMPTY) variantClear_(&value);
  value.vt = z7::VT_EMPTY;
}

QString T7zPlugin::HandlerName() const {
  TPropVariant name(*this);
  if (z7::Failed(getHandlerProperty_(kHandlerName, name.get()))) return {};
  return name.ToString();
}

QString T7zPlugin::ModuleVersion() const {
  // (major << 16) | minor.
  constexpr z7::PROPID kModuleVersion = 1;
  TPropVariant value(*this);
  if (!getModuleProp_ || getModuleProp_(kModuleVersion, value.get()) != z7::kOk || value.value().vt != z7::VT_UI4)
    return kUnknownVersion;
  return QStringLiteral("%1.%2.0.0").arg(value.value().ulVal >> 16).arg(value.value().ulVal & 0xFFFF);
}

QString TPropVariant::ToString() const {
  if (value_.vt != z7::VT_BSTR || !value_.bstrVal) return {};
  return FromLibraryText(value_.bstrVal);
}

bool TPropVariant::ToBool() const { return value_.vt == z7::VT_BOOL && value_.boolVal != 0; }

std::optional<timespec> TPropVariant::ToUnixTime() const {
  if (value_.vt != z7::VT_FILETIME) return std::nullopt;
  constexpr std::uint64_t kTicksPerSecond = 10000000;
  constexpr std::int64_t kUnixEpochSeconds = 11644473600;  // 1601-01-01 to 1970-01-01
  const std::uint64_t ticks =
      (std::uint64_t(value_.filetime.dwHighDateTime) << 32) | value_.filetime.dwLowDateTime;
  return timespec{time_t(std::int64_t(ticks / kTicksPerSecond) - kUnixEpochSeconds),
                  long(ticks % kTicksPerSecond) * 100};
}
