#pragma once
// The object interface of the 7-Zip library as its Linux build lays it out: COM-style interfaces
// whose vtables start with QueryInterface, AddRef, Release (no virtual destructor), 32-bit
// HRESULTs, 4-byte wchar_t strings and 16-byte PROPVARIANTs. Written from 7-Zip's published
// interface definitions; slot order matters, so members stay in the library's order.
#include <cstdint>
#include <cstring>

namespace z7 {

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
using PROPID = std::uint32_t;
using VARTYPE = std::uint16_t;
using BSTR = wchar_t*;

constexpr HRESULT kOk = 0;
constexpr HRESULT kFalse = 1;
constexpr HRESULT kNotImpl = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT kNoInterface = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT kPointer = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT kAbort = static_cast<HRESULT>(0x80004004u);
constexpr HRESULT kFail = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT kOutOfMemory = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT kInvalidArg = static_cast<HRESULT>(0x80070057u);

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
inline bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

// Every 7-Zip identifier is {23170F69-40C1-278A-xxxx-xxxxxxxxxxxx}; interfaces differ in a group
// byte and an id byte.
constexpr GUID InterfaceId(std::uint8_t group, std::uint8_t id) {
  return {0x23170F69, 0x40C1, 0x278A, {0x00, 0x00, 0x00, group, 0x00, id, 0x00, 0x00}};
}
constexpr GUID k7zFormatClassId = {
    0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, 0x07, 0x00, 0x00}};
// The library's ZIP reader: it reads every method and encryption real ZIP archives use, and split
// sets (x.z01 ... x.zip) through IArchiveOpenVolumeCallback.
constexpr GUID kZipFormatClassId = {
    0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, 0x01, 0x00, 0x00}};
constexpr GUID kIUnknownId = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

enum : VARTYPE { VT_EMPTY = 0, VT_BSTR = 8, VT_BOOL = 11, VT_UI4 = 19, VT_UI8 = 21, VT_FILETIME = 64 };
constexpr std::int16_t kVariantTrue = -1;

struct FILETIME {
  std::uint32_t dwLowDateTime;
  std::uint32_t dwHighDateTime;
};

struct PROPVARIANT {
  VARTYPE vt = VT_EMPTY;
  std::uint16_t wReserved1 = 0;
  std::uint16_t wReserved2 = 0;
  std::uint16_t wReserved3 = 0;
  union {
    std::uint32_t ulVal;
    std::uint64_t uhVal;
    std::int16_t boolVal;
    FILETIME filetime;
    BSTR bstrVal;
  };
  PROPVARIANT() : uhVal(0) {}
};
static_assert(sizeof(PROPVARIANT) == 16, "PROPVARIANT must match the library's 16-byte layout");
static_assert(sizeof(wchar_t) == 4, "the library's strings are UTF-32");

enum : PROPID {
  kpidPath = 3,
  kpidName = 4,
  kpidIsDir = 6,
  kpidSize = 7,
  kpidAttrib = 9,
  kpidCTime = 10,
  kpidMTime = 12,
  kpidIsAnti = 21,
};

enum : std::int32_t { kAskExtract = 0, kAskTest = 1, kAskSkip = 2 };

// Extraction operation results: every other value is a failure of the item (damaged data, a wrong
// password, an unsupported method).
enum : std::int32_t { kOpOk = 0 };

enum : std::uint32_t { kSeekSet = 0, kSeekCur = 1, kSeekEnd = 2 };

// Interfaces. `Base` names the parent interface where it is not IUnknown, so a QueryInterface
// for the parent finds the child's implementation.
struct IUnknown {
  static constexpr GUID kIid = kIUnknownId;
  virtual HRESULT QueryInterface(const GUID& iid, void** out) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
};

struct ISequentialInStream : IUnknown {
  static constexpr GUID kIid = InterfaceId(0x03, 0x01);
  virtual HRESULT Read(void* data, std::uint32_t size, std::uint32_t* processed) = 0;
};

struct ISequentialOutStream : IUnknown {
  static constexpr GUID kIid = InterfaceId(0x03, 0x02);
  virtual HRESULT Write(const void* data, std::uint32_t size, std::uint32_t* processed) = 0;
};

struct IInStream : ISequentialInStream {
  using Base = ISequentialInStream;
  static constexpr GUID kIid = InterfaceId(0x03, 0x03);
  virtual HRESULT Seek(std::int64_t offset, std::uint32_t origin, std::uint64_t* newPosition) = 0;
};

struct IOutStream : ISequentialOutStream {
  using Base = ISequentialOutStream;
  static constexpr GUID kIid = InterfaceId(0x03, 0x04);
  virtual HRESULT Seek(std::int64_t offset, std::uint32_t origin, std::uint64_t* newPosition) = 0;
  virtual HRESULT SetSize(std::uint64_t newSize) = 0;
};

struct IStreamGetSize : IUnknown {
  static constexpr GUID kIid = InterfaceId(0x03, 0x06);
  virtual HRESULT GetSize(std::uint64_t* size) = 0;
};

struct IProgress : IUnknown {
  static constexpr GUID kIid = InterfaceId(0x00, 0x05);
  virtual HRESULT SetTotal(std::uint64_t total) = 0;
  virtual HRESULT SetCompleted(const std::uint64_t* completed) = 0;
};

struct ICryptoGetTextPassword : IUnknown {
  static constexpr GUID kIid = InterfaceId(0x05, 0x10);
  virtual HRESULT CryptoGetTextPassword(BSTR* password) = 0;
};

struct ICryptoGetTextPassword2 : IUnknown {
  static constexpr GUID kIid = InterfaceId(0x05, 0x11);
  virtual HRESULT CryptoGetTextPassword2(std::int32_t* isDefined, BSTR* password) = 0;
};

struct IArchiveOpenCallback : IUnknown {
  static constexpr GUID kIid = InterfaceId(0x06, 0x10);
  virtual HRESULT SetTotal(const std::uint64_t* files, const std::uint64_t* bytes) = 0;
  virtual HRESULT SetCompleted(const std::uint64_t* files, const std::uint64_t* bytes) = 0;
};

// Asked for by a handler whose archive spans several files: the opened file's name (kpidName),
// then each other volume by name, S_FALSE with no stream for one that is missing.
struct IArchiveOpenVolumeCallback : IUnknown {
  static constexpr GUID kIid = InterfaceId(0x06, 0x30);
  virtual HRESULT GetProperty(PROPID propId, PROPVARIANT* value) = 0;
  virtual HRESULT GetStream(const wchar_t* name, IInStream** stream) = 0;
};

struct IArchiveExtractCallback : IProgress {
  using Base = IProgress;
  static constexpr GUID kIid = InterfaceId(0x06, 0x20);
  virtual HRESULT GetStream(std::uint32_t index, ISequentialOutStream** out, std::int32_t askMode) = 0;
  virtual HRESULT PrepareOperation(std::int32_t askMode) = 0;
  virtual HRESULT SetOperationResult(std::int32_t opRes) = 0;
};

struct IArchiveUpdateCallback : IProgress {
  using Base = IProgress;
  static constexpr GUID kIid = InterfaceId(0x06, 0x80);
  virtual HRESULT GetUpdateItemInfo(std::uint32_t index, std::int32_t* newData, std::int32_t* newProps,
                                    std::uint32_t* indexInArchive) = 0;
  virtual HRESULT GetProperty(std::uint32_t index, PROPID propId, PROPVARIANT* value) = 0;
  virtual HRESULT GetStream(std::uint32_t index, ISequentialInStream** in) = 0;
  virtual HRESULT SetOperationResult(std::int32_t opRes) = 0;
};

struct ISetProperties : IUnknown {
  static constexpr GUID kIid = InterfaceId(0x06, 0x03);
  virtual HRESULT SetProperties(const wchar_t* const* names, const PROPVARIANT* values,
                                std::uint32_t count) = 0;
};

struct IInArchive : IUnknown {
  static constexpr GUID kIid = InterfaceId(0x06, 0x60);
  virtual HRESULT Open(IInStream* stream, const std::uint64_t* maxCheckStartPosition,
                       IArchiveOpenCallback* callback) = 0;
  virtual HRESULT Close() = 0;
  virtual HRESULT GetNumberOfItems(std::uint32_t* count) = 0;
  virtual HRESULT GetProperty(std::uint32_t index, PROPID propId, PROPVARIANT* value) = 0;
  virtual HRESULT Extract(const std::uint32_t* indices, std::uint32_t count, std::int32_t testMode,
                          IArchiveExtractCallback* callback) = 0;
  virtual HRESULT GetArchiveProperty(PROPID propId, PROPVARIANT* value) = 0;
  virtual HRESULT GetNumberOfProperties(std::uint32_t* count) = 0;
  virtual HRESULT GetPropertyInfo(std::uint32_t index, BSTR* name, PROPID* propId, VARTYPE* type) = 0;
  virtual HRESULT GetNumberOfArchiveProperties(std::uint32_t* count) = 0;
  virtual HRESULT GetArchivePropertyInfo(std::uint32_t index, BSTR* name, PROPID* propId, VARTYPE* type) = 0;
};

struct IOutArchive : IUnknown {
  static constexpr GUID kIid = InterfaceId(0x06, 0xA0);
  virtual HRESULT UpdateItems(ISequentialOutStream* out, std::uint32_t count,
                              IArchiveUpdateCallback* callback) = 0;
  virtual HRESULT GetFileTimeType(std::uint32_t* type) = 0;
};

// Exported entry points.
using CreateObjectFunc = HRESULT (*)(const GUID* classId, const GUID* iid, void** out);
using GetHandlerPropertyFunc = HRESULT (*)(PROPID propId, PROPVARIANT* value);
using GetModulePropFunc = HRESULT (*)(PROPID propId, PROPVARIANT* value);
using SysAllocStringFunc = BSTR (*)(const wchar_t* text);
using SysFreeStringFunc = void (*)(BSTR text);
using VariantClearFunc = HRESULT (*)(PROPVARIANT* value);

inline bool Failed(HRESULT hr) { return hr < 0; }

}  // namespace z7
