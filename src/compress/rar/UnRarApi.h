#pragma once
// The C interface of the unrar library as its Unix build exports it (LPARAM = long, no calling
// convention), declared here so the library is only ever loaded at run time. Layouts are packed
// to one byte; the static_asserts pin the offsets the library was measured to use.
#include <cstddef>
#include <cstdint>

namespace unrar {

// Error codes.
inline constexpr int ERAR_SUCCESS = 0;
inline constexpr int ERAR_END_ARCHIVE = 10;
inline constexpr int ERAR_NO_MEMORY = 11;
inline constexpr int ERAR_BAD_DATA = 12;
inline constexpr int ERAR_BAD_ARCHIVE = 13;
inline constexpr int ERAR_UNKNOWN_FORMAT = 14;
inline constexpr int ERAR_EOPEN = 15;
inline constexpr int ERAR_ECREATE = 16;
inline constexpr int ERAR_ECLOSE = 17;
inline constexpr int ERAR_EREAD = 18;
inline constexpr int ERAR_EWRITE = 19;
inline constexpr int ERAR_SMALL_BUF = 20;
inline constexpr int ERAR_UNKNOWN = 21;
inline constexpr int ERAR_MISSING_PASSWORD = 22;
inline constexpr int ERAR_EREFERENCE = 23;
inline constexpr int ERAR_BAD_PASSWORD = 24;

// Open modes.
inline constexpr unsigned RAR_OM_LIST = 0;
inline constexpr unsigned RAR_OM_EXTRACT = 1;

// RARProcessFile operations.
inline constexpr int RAR_SKIP = 0;
inline constexpr int RAR_TEST = 1;
inline constexpr int RAR_EXTRACT = 2;

// Volume request modes (P2 of the change-volume messages).
inline constexpr long RAR_VOL_ASK = 0;
inline constexpr long RAR_VOL_NOTIFY = 1;

// Callback messages.
inline constexpr unsigned UCM_CHANGEVOLUME = 0;
inline constexpr unsigned UCM_PROCESSDATA = 1;
inline constexpr unsigned UCM_NEEDPASSWORD = 2;
inline constexpr unsigned UCM_CHANGEVOLUMEW = 3;
inline constexpr unsigned UCM_NEEDPASSWORDW = 4;

// RARHeaderDataEx::Flags.
inline constexpr unsigned RHDF_SPLITBEFORE = 0x01;
inline constexpr unsigned RHDF_SPLITAFTER = 0x02;
inline constexpr unsigned RHDF_ENCRYPTED = 0x04;
inline constexpr unsigned RHDF_SOLID = 0x10;
inline constexpr unsigned RHDF_DIRECTORY = 0x20;

// RARHeaderDataEx::RedirType.
inline constexpr unsigned FSREDIR_NONE = 0;
inline constexpr unsigned FSREDIR_UNIXSYMLINK = 1;
inline constexpr unsigned FSREDIR_WINSYMLINK = 2;
inline constexpr unsigned FSREDIR_JUNCTION = 3;
inline constexpr unsigned FSREDIR_HARDLINK = 4;
inline constexpr unsigned FSREDIR_FILECOPY = 5;

// RAROpenArchiveDataEx::Flags.
inline constexpr unsigned ROADF_VOLUME = 0x0001;
inline constexpr unsigned ROADF_COMMENT = 0x0002;
inline constexpr unsigned ROADF_LOCK = 0x0004;
inline constexpr unsigned ROADF_SOLID = 0x0008;
inline constexpr unsigned ROADF_NEWNUMBERING = 0x0010;
inline constexpr unsigned ROADF_SIGNED = 0x0020;
inline constexpr unsigned ROADF_RECOVERY = 0x0040;
inline constexpr unsigned ROADF_ENCHEADERS = 0x0080;
inline constexpr unsigned ROADF_FIRSTVOLUME = 0x0100;

// The version of this interface the library must at least report.
inline constexpr int kMinimumDllVersion = 4;

using LPARAM = long;
using HANDLE = void*;
using UNRARCALLBACK = int (*)(unsigned msg, LPARAM userData, LPARAM p1, LPARAM p2);
using CHANGEVOLPROC = int (*)(char* arcName, int mode);
using PROCESSDATAPROC = int (*)(unsigned char* addr, int size);

#pragma pack(push, 1)

struct RAROpenArchiveDataEx {
  char* ArcName;
  wchar_t* ArcNameW;
  unsigned OpenMode;
  unsigned OpenResult;
  char* CmtBuf;
  unsigned CmtBufSize;
  unsigned CmtSize;
  unsigned CmtState;
  unsigned Flags;
  UNRARCALLBACK Callback;
  LPARAM UserData;
  unsigned OpFlags;
  wchar_t* CmtBufW;
  unsigned Reserved[25];
};

// Only named by the narrow RAROpenArchive and RARReadHeader, which are never called.
struct RAROpenArchiveData;
struct RARHeaderData;

struct RARHeaderDataEx {
  char ArcName[1024];
  wchar_t ArcNameW[1024];
  char FileName[1024];
  wchar_t FileNameW[1024];
  unsigned Flags;
  unsigned PackSize;
  unsigned PackSizeHigh;
  unsigned UnpSize;
  unsigned UnpSizeHigh;
  unsigned HostOS;
  unsigned FileCRC;
  unsigned FileTime;
  unsigned UnpVer;
  unsigned Method;
  unsigned FileAttr;
  char* CmtBuf;
  unsigned CmtBufSize;
  unsigned CmtSize;
  unsigned CmtState;
  unsigned DictSize;
  unsigned HashType;
  char Hash[32];
  unsigned RedirType;
  wchar_t* RedirName;
  unsigned RedirNameSize;
  unsigned DirTarget;
  unsigned MtimeLow;
  unsigned MtimeHigh;
  unsigned CtimeLow;
  unsigned CtimeHigh;
  unsigned AtimeLow;
  unsigned AtimeHigh;
  unsigned Reserved[988];
};

#pragma pack(pop)

static_assert(sizeof(wchar_t) == 4 && sizeof(LPARAM) == 8 && sizeof(void*) == 8);
static_assert(offsetof(RAROpenArchiveDataEx, OpenMode) == 16);
static_assert(offsetof(RAROpenArchiveDataEx, CmtBuf) == 24);
static_assert(offsetof(RAROpenArchiveDataEx, CmtState) == 40);
static_assert(offsetof(RAROpenArchiveDataEx, Flags) == 44);
static_assert(offsetof(RAROpenArchiveDataEx, Callback) == 48);
static_assert(offsetof(RAROpenArchiveDataEx, UserData) == 56);
static_assert(offsetof(RAROpenArchiveDataEx, OpFlags) == 64);
static_assert(offsetof(RAROpenArchiveDataEx, CmtBufW) == 68);
static_assert(offsetof(RAROpenArchiveDataEx, Reserved) == 76);
static_assert(sizeof(RAROpenArchiveDataEx) == 176);

static_assert(offsetof(RARHeaderDataEx, ArcNameW) == 1024);
static_assert(offsetof(RARHeaderDataEx, FileName) == 5120);
static_assert(offsetof(RARHeaderDataEx, FileNameW) == 6144);
static_assert(offsetof(RARHeaderDataEx, Flags) == 10240);
static_assert(offsetof(RARHeaderDataEx, FileAttr) == 10280);
static_assert(offsetof(RARHeaderDataEx, CmtBuf) == 10284);
static_assert(offsetof(RARHeaderDataEx, Hash) == 10312);
static_assert(offsetof(RARHeaderDataEx, RedirType) == 10344);
static_assert(offsetof(RARHeaderDataEx, RedirName) == 10348);
static_assert(offsetof(RARHeaderDataEx, MtimeLow) == 10364);
static_assert(offsetof(RARHeaderDataEx, AtimeHigh) == 10384);
static_assert(offsetof(RARHeaderDataEx, Reserved) == 10388);
static_assert(sizeof(RARHeaderDataEx) == 14340);

// The library's exports, by the names they are looked up with.
using RAROpenArchiveFn = HANDLE (*)(RAROpenArchiveData*);
using RAROpenArchiveExFn = HANDLE (*)(RAROpenArchiveDataEx*);
using RARCloseArchiveFn = int (*)(HANDLE);
using RARReadHeaderFn = int (*)(HANDLE, RARHeaderData*);
using RARReadHeaderExFn = int (*)(HANDLE, RARHeaderDataEx*);
using RARProcessFileFn = int (*)(HANDLE, int operation, char* destPath, char* destName);
using RARSetCallbackFn = void (*)(HANDLE, UNRARCALLBACK, LPARAM userData);
using RARSetChangeVolProcFn = void (*)(HANDLE, CHANGEVOLPROC);
using RARSetProcessDataProcFn = void (*)(HANDLE, PROCESSDATAPROC);
using RARSetPasswordFn = void (*)(HANDLE, char* password);
using RARGetDllVersionFn = int (*)();

}  // namespace unrar
