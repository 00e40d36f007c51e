#include "compress/rar/RAR.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cwchar>
#include <optional>
#include <string>

#include "compress/common/ExtractTarget.h"
#include "compress/rar/Rar5Versions.h"
#include "compress/rar/RarEntryName.h"
#include "compress/rar/RarErrors.h"
#include "util/NativePath.h"

using namespace unrar;

const char* const kRarVersionWarningTitle = "error";

QString RarVersionWarningText() {
  return QStringLiteral("please download the newest \"unrar.dll\" file.\nhttps://www.rarlab.com/rar_add.htm");
}

namespace {

// Large enough for the longest comment RAR writes (256 KiB), so a long comment never turns
// into a small-buffer error that would fail the whole archive.
constexpr size_t kCommentChars = 0x40000;
constexpr size_t kRedirNameChars = 2048;

QString FromWide(const wchar_t* text, size_t capacity) {
  return QString::fromWCharArray(text, static_cast<qsizetype>(wcsnlen(text, capacity)));
}

template <typename Char, typename Source>
void CopyCut(const Source& text, Char* buffer, LPARAM capacity) {
  const size_t length = std::min<size_t>(text.size(), static_cast<size_t>(capacity) - 1);
  std::copy_n(text.data(), length, buffer);
  buffer[length] = 0;
}

QString HostOSText(unsigned hostOS) {
  switch (hostOS) {
    case 0:
      return QStringLiteral("DOS");
    case 1:
      return QStringLiteral("IBM OS/2");
    case 2:
      return QStringLiteral("Windows");
    case 3:
      return QStringLiteral("Unix");
    default:
      return QStringLiteral("unknown");
  }
}

quint64 Join64(unsigned low, unsigned high) { return (quint64(high) << 32) | low; }

QDateTime EntryTime(const RARHeaderDataEx& header) {
  const quint64 fileTime = Join64(header.MtimeLow, header.MtimeHigh);
  if (fileTime != 0) {
    constexpr qint64 kUnixEpochInFileTimeMs = 11644473600000LL;
    return QDateTime::fromMSecsSinceEpoch(qint64(fileTime / 10000) - kUnixEpochInFileTimeMs, Qt::UTC);
  }
  // DOS date and time: the fallback for archives without a precise time.
  const unsigned dos = header.FileTime;
  const QDate date(int(dos >> 25) + 1980, int((dos >> 21) & 15), int((dos >> 16) & 31));
  const QTime time(int((dos >> 11) & 31), int((dos >> 5) & 63), int(dos & 31) * 2);
  return QDateTime(date, time);
}

TRARFileItem MakeFileItem(const RARHeaderDataEx& header) {
  TRARFileItem item;
  item.FileNameW = FromWide(header.FileNameW, std::size(header.FileNameW));
  item.FileName = RarEntryName(item.FileNameW);
  item.CompressedSize = Join64(header.PackSize, header.PackSizeHigh);
  item.UnCompressedSize = Join64(header.UnpSize, header.UnpSizeHigh);
  item.HostOS = HostOSText(header.HostOS);
  item.CRC32 = QStringLiteral("%1").arg(header.FileCRC, 8, 16, QLatin1Char('0')).toUpper();
  item.Attributes = header.FileAttr;
  item.Time = EntryTime(header);
  item.CompressionStrength = header.Method >= 0x30 ? int(header.Method) - 0x30 : 0;
  item.ArchiverVersion = int(header.UnpVer);
  item.Encrypted = (header.Flags & RHDF_ENCRYPTED) != 0;
  item.Directory = (header.Flags & RHDF_DIRECTORY) != 0;
  item.Link = header.RedirType != 0;
  return item;
}

bool IsWriteError(int result) {
  return result == ERAR_ECREATE || result == ERAR_EWRITE || result == ERAR_ECLOSE;
}

bool IsStorageError(int error) {
  return error == ENOSPC || error == EDQUOT || error == EFBIG || error == EIO || error == EROFS;
}

// Hard links and file references name an earlier entry whose content they share.
bool IsCopyOfEarlierEntry(unsigned redirType) {
  return redirType == FSREDIR_HARDLINK || redirType == FSREDIR_FILECOPY;
}

// Writes `in` (to its end) into a file the target creates at `path`, each block accounted first.
bool WriteThroughTarget(TExtractTarget& target, const std::string& path, QIODevice& in, mode_t mode) {
  TFileDescriptor fd = target.CreateFile(path);
  QFile out;
  if (!fd || !out.open(fd.get(), QIODevice::WriteOnly)) return false;
  constexpr qint64 kBlock = 1 << 20;
  while (!in.atEnd()) {
    const QByteArray block = in.read(kBlock);
    if (block.isEmpty() || !target.Reserve(quint64(block.size())) || out.write(block) != block.size())
      return false;
  }
  if (!out.flush()) return false;
  out.close();
  ::fchmod(fd.get(), mode);
  return fd.close();
}

enum class TCopyResult { Copied, NoOriginal, WriteFailed };

// A plain copy stands in for the link: both ends lie inside the destination, and the copy is
// written through the target like any extracted file.
TCopyResult CopyExtractedEntry(TExtractTarget& target, const std::string& from, const std::string& to) {
  TFileDescriptor source(::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st {};
  if (!source || ::fstat(source.get(), &st) != 0 || !S_ISREG(st.st_mode)) return TCopyResult::NoOriginal;
  QFile in;
  if (!target.MakeParentFolder(to) || !in.open(source.get(), QIODevice::ReadOnly)) return TCopyResult::WriteFailed;
  return WriteThroughTarget(target, to, in, st.st_mode & 07777) ? TCopyResult::Copied : TCopyResult::WriteFailed;
}

QString LastComponent(const QString& entryName) {
  QString name = entryName;
  name.replace('\\', '/');
  return name.section('/', -1, -1, QString::SectionSkipEmpty);
}

}  // namespace

TRAR::TRAR() : comment_(kCommentChars, 0), redirName_(kRedirNameChars, 0) {}

std::unique_ptr<RARHeaderDataEx> TRAR::NewHeader() {
  auto header = std::make_unique<RARHeaderDataEx>();  // zeroed; the library fills it anew per entry
  header->RedirName = redirName_.data();
  header->RedirNameSize = unsigned(redirName_.size());
  return header;
}

TRAR::~TRAR() = default;

bool TRAR::LoadLibrary() {
  if (library_) return true;
  library_ = TUnRarLibrary::Load(DllName);
  if (!library_) return false;
  if (library_->RARGetDllVersion() < kMinimumDllVersion && OnVersionWarning)
    OnVersionWarning(RarVersionWarningText());
  return true;
}

void TRAR::ReportError(int errorCode, TRAROperation operation) {
  errorCode = NormalizeRarError(errorCode);
  if (RarErrorAborts(errorCode)) abort_ = true;
  if (OnError) OnError(errorCode, operation);
}

TRarArchiveHandle TRAR::OpenArchive(unsigned openMode, TRAROperation operation) {
  if (!LoadLibrary()) {
    ReportError(kRarErrorNotLoaded, operation);
    return {};
  }
  if (!QFileInfo(archive_).isFile()) {
    ReportError(ERAR_EOPEN, operation);
    return {};
  }
  // The library decodes the narrow name with the process locale and maps bytes it cannot decode
  // back unchanged, so the file system's own bytes reach open() whatever the locale.
  std::string name = NativePath(archive_);
  RAROpenArchiveDataEx data{};
  data.ArcName = name.data();
  data.OpenMode = openMode;
  data.CmtBufW = comment_.data();
  data.CmtBufSize = unsigned(comment_.size());
  TRarArchiveHandle handle = TRarArchiveHandle::Open(*library_, data);
  if (!handle) {
    ReportError(kRarErrorNotLoaded, operation);
    return {};
  }
  information_.Volume = data.Flags & ROADF_VOLUME;
  information_.Locked = data.Flags & ROADF_LOCK;
  information_.Solid = data.Flags & ROADF_SOLID;
  information_.NewNumbering = data.Flags & ROADF_NEWNUMBERING;
  information_.Signed = data.Flags & ROADF_SIGNED;
  information_.Recovery = data.Flags & ROADF_RECOVERY;
  information_.HeadersEncrypted = data.Flags & ROADF_ENCHEADERS;
  information_.FirstVolume = data.Flags & ROADF_FIRSTVOLUME;
  switch (data.CmtState) {
    case 0:
      break;
    case 1:
      information_.Comment = FromWide(comment_.data(), comment_.size());
      break;
    case ERAR_NO_MEMORY:
    case ERAR_BAD_DATA:
    case ERAR_UNKNOWN_FORMAT:
    case ERAR_SMALL_BUF:
      ReportError(int(data.CmtState), operation);
      return {};
    default:
      return {};
  }
  library_->RARSetCallback(handle.get(), &TRAR::Callback, reinterpret_cast<LPARAM>(this));
  return handle;
}

bool TRAR::CloseArchive(TRarArchiveHandle& handle, TRAROperation operation) {
  const int result = handle.Close();
  if (result == ERAR_ECLOSE) ReportError(result, operation);
  return result == ERAR_SUCCESS;
}

bool TRAR::OpenFile(const QString& FileName) {
  information_ = {};
  information_.FileName = FileName;
  archive_ = FileName;
  abort_ = false;
  volumesAsked_.clear();
  bool ok = false;
  if (TRarArchiveHandle handle = OpenArchive(RAR_OM_LIST, roInitArchive)) {
    auto header = NewHeader();
    ok = true;
    while (ok && !abort_) {
      currentEntry_.clear();
      const int read = library_->RARReadHeaderEx(handle.get(), header.get());
      if (read == ERAR_END_ARCHIVE) break;
      ReportError(read, roListFiles);
      if (read != ERAR_SUCCESS) {
        ok = false;
        break;
      }
      const TRARFileItem item = MakeFileItem(*header);
      ++information_.TotalFiles;
      information_.PackedSize += item.CompressedSize;
      information_.UnpackedSize += item.UnCompressedSize;
      if (OnListFile) OnListFile(item);
      const int skipped = library_->RARProcessFile(handle.get(), RAR_SKIP, nullptr, nullptr);
      ReportError(skipped, roListFiles);
      ok = skipped == ERAR_SUCCESS;
    }
    ok = ok && !abort_;
    CloseArchive(handle, roListFiles);
  }
  information_.Opened = ok;
  opened_ = true;
  return ok;
}

bool TRAR::Extract(const QString& Path, bool RestoreFolder, const QStringList& Files) {
  abort_ = false;
  entryRefused_ = false;
  olderVersions_ = Rar5OlderVersions(archive_);
  TRarArchiveHandle handle = OpenArchive(RAR_OM_EXTRACT, roInitArchive);
  if (!handle) return false;
  TExtractTarget target(Path, Ledger);
  // Known from the listing OpenFile made; for progress only.
  if (information_.Opened) target.SetTotal(information_.UnpackedSize);
  extracting_ = &target;
  auto header = NewHeader();
  bool ok = true;
  while (ok && !abort_) {
    currentEntry_.clear();
    const int read = library_->RARReadHeaderEx(handle.get(), header.get());
    if (read == ERAR_END_ARCHIVE) break;
    if (read != ERAR_SUCCESS) {
      ReportError(read, roExtract);
      ok = false;
      break;
    }
    ok = ExtractEntry(handle, *header, target, RestoreFolder, Files);
  }
  // A refused entry leaves the extraction incomplete: never repack it as if it were whole.
  ok = ok && !abort_ && !entryRefused_;
  CloseArchive(handle, roExtract);
  extracting_ = nullptr;
  return ok;
}

bool TRAR::Test() {
  abort_ = false;
  TRarArchiveHandle handle = OpenArchive(RAR_OM_EXTRACT, roTest);
  if (!handle) return false;
  auto header = NewHeader();
  bool ok = true;
  while (ok && !abort_) {
    const int read = library_->RARReadHeaderEx(handle.get(), header.get());
    if (read == ERAR_END_ARCHIVE) break;
    if (read != ERAR_SUCCESS) {
      ReportError(read, roTest);
      ok = false;
      break;
    }
    currentEntry_ = RarEntryName(FromWide(header->FileNameW, std::size(header->FileNameW)));
    const int tested = library_->RARProcessFile(handle.get(), RAR_TEST, nullptr, nullptr);
    if (tested != ERAR_SUCCESS) {
      ReportError(tested, roTest);
      ok = false;
    }
  }
  ok = ok && !abort_;
  CloseArchive(handle, roTest);
  return ok;
}

bool TRAR::ExtractEntry(TRarArchiveHandle& handle, const RARHeaderDataEx& header, TExtractTarget& target,
                        bool restoreFolder, const QStringList& files) {
  const QString wideName = FromWide(header.FileNameW, std::size(header.FileNameW));
  const QString name = RarEntryName(wideName);
  currentEntry_ = name;
  std::optional<std::string> path;
  const bool folder = (header.Flags & RHDF_DIRECTORY) != 0;
  const bool wanted = !olderVersions_.contains(wideName) && (files.isEmpty() || files.contains(name));
  if (wanted && (restoreFolder || !folder)) {
    path = target.PathFor(restoreFolder ? name : LastComponent(name));
    // The folders are made by the target, never through a link; the library then finds them made.
    const bool ready = path && (folder ? target.MakeFolder(*path) : target.PrepareFile(*path));
    if (!ready) {
      entryRefused_ = true;
      path.reset();
    }
  }
  // RAR 4 keeps a Unix link's target as the entry's data, not as its redirection name: the
  // library makes the link itself, and it is turned into a file once made.
  const bool linkInData =
      header.RedirType != FSREDIR_NONE && !IsCopyOfEarlierEntry(header.RedirType) && redirName_[0] == 0;
  int result;
  if (path && header.RedirType != FSREDIR_NONE && !linkInData) {
    result = library_->RARProcessFile(handle.get(), RAR_SKIP, nullptr, nullptr);
    if (result == ERAR_SUCCESS) result = WriteRedirection(header.RedirType, target, name, *path, restoreFolder);
  } else if (path) {
    // The destination is named in full: the library's own narrow name is cut at the first
    // character the process locale cannot express.
    errno = 0;
    result = library_->RARProcessFile(handle.get(), RAR_EXTRACT, nullptr, path->data());
    // The library tells only that it could not write. The system's reason may still be in errno,
    // or a later call of its own may have replaced it (telling a full disk as "Inappropriate
    // ioctl for device"): only a reason about the storage is taken.
    if (IsWriteError(result) && IsStorageError(errno)) target.WriteFailed(*path, errno);
    // The library restores the stored mode; one without the owner's rights would keep the next
    // entries out of a folder, and any later step out of a file.
    if (result == ERAR_SUCCESS && linkInData) result = LinkToFile(target, name, *path);
    if (result == ERAR_SUCCESS) target.GiveOwnerAccess(*path);
  } else {
    result = library_->RARProcessFile(handle.get(), RAR_SKIP, nullptr, nullptr);
  }
  if (result == ERAR_SUCCESS) return true;
  ReportError(result, roExtract);
  return false;
}

int TRAR::LinkToFile(TExtractTarget& target, const QString& name, const std::string& path) {
  std::string link(PATH_MAX + 1, '\0');
  const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
  if (length < 0) {
    // The library makes no link that leads out of the destination, and its target is in data
    // only the library reads: the entry is missing.
    entryRefused_ = true;
    return ERAR_SUCCESS;
  }
  return WriteLinkText(target, name, path, QByteArray(link.data(), qsizetype(length)));
}

int TRAR::WriteLinkText(TExtractTarget& target, const QString& name, const std::string& path,
                        const QByteArray& linkTarget) {
  QBuffer text;
  text.setData(linkTarget);
  if (!text.open(QIODevice::ReadOnly) || !WriteThroughTarget(target, path, text, 0644)) return ERAR_ECREATE;
  target.Convert(name, QStringLiteral("a symbolic link, now a file holding its target"));
  return ERAR_SUCCESS;
}

int TRAR::WriteRedirection(unsigned redirType, TExtractTarget& target, const QString& name,
                           const std::string& path, bool restoreFolder) {
  const QString original = FromWide(redirName_.data(), redirName_.size());
  if (!IsCopyOfEarlierEntry(redirType)) return WriteLinkText(target, name, path, original.toUtf8());
  const auto source = target.PathFor(restoreFolder ? original : LastComponent(original));
  switch (source ? CopyExtractedEntry(target, *source, path) : TCopyResult::NoOriginal) {
    case TCopyResult::Copied:
      return ERAR_SUCCESS;
    case TCopyResult::NoOriginal:
      // The copy would be missing from the destination: the extraction is not whole.
      entryRefused_ = true;
      return ERAR_SUCCESS;
    case TCopyResult::WriteFailed:
      break;
  }
  return ERAR_ECREATE;
}

int TRAR::Callback(unsigned msg, LPARAM userData, LPARAM p1, LPARAM p2) {
  auto* self = reinterpret_cast<TRAR*>(userData);
  if (!self || self->abort_) return -1;
  try {
    switch (msg) {
      case UCM_NEEDPASSWORDW:
      case UCM_NEEDPASSWORD:
        return self->AnswerPassword(msg, p1, p2);
      case UCM_CHANGEVOLUMEW:
      case UCM_CHANGEVOLUME:
        return self->AnswerVolume(msg, p1, p2);
      case UCM_PROCESSDATA:
        // Asked before the library writes the data: past a limit the extraction stops here.
        if (p2 > 0 && self->extracting_ && !self->extracting_->Reserve(quint64(p2))) {
          self->abort_ = true;
          return -1;
        }
        if (p2 > 0) self->processedBytes_ += quint64(p2);
        return 0;
      default:
        return 0;
    }
  } catch (...) {
    // Nothing may unwind through the library's C frames.
    self->abort_ = true;
    return -1;
  }
}

int TRAR::AnswerPassword(unsigned msg, LPARAM buffer, LPARAM size) {
  if (!buffer || size <= 0) return -1;
  if (msg == UCM_NEEDPASSWORD && widePasswordAsked_) {
    // The library asks the narrow way only after the wide answer came back empty: same answer.
    widePasswordAsked_ = false;
    reinterpret_cast<char*>(buffer)[0] = 0;
    return passwordCancelled_ ? -1 : 0;
  }
  QString newPassword;
  bool cancel = false;
  if (OnPasswordRequired)
    OnPasswordRequired(!opened_, opened_ ? currentEntry_ : archive_, newPassword, cancel);
  passwordCancelled_ = cancel;
  widePasswordAsked_ = msg == UCM_NEEDPASSWORDW;
  if (msg == UCM_NEEDPASSWORDW)
    CopyCut(newPassword.toStdWString(), reinterpret_cast<wchar_t*>(buffer), size);
  else
    CopyCut(newPassword.toLocal8Bit(), reinterpret_cast<char*>(buffer), size);
  return cancel ? -1 : 0;
}

int TRAR::AnswerVolume(unsigned msg, LPARAM name, LPARAM mode) {
  if (mode == RAR_VOL_NOTIFY) return 0;
  // Asked: the next volume is missing. A listing gives up at once.
  if (!opened_ || !name) return -1;
  const bool wide = msg == UCM_CHANGEVOLUMEW;
  if (!wide && wideVolumeGoOn_) {
    // The narrow request follows a wide one already answered with "go on".
    wideVolumeGoOn_ = false;
    return 0;
  }
  const QString next = wide ? FromWide(reinterpret_cast<const wchar_t*>(name), 4096)
                            : QString::fromLocal8Bit(reinterpret_cast<const char*>(name));
  // Going on with the same name retries the open. That helps once, if the volume has appeared
  // since; asked again, it would only ask forever.
  const bool goOn = !volumesAsked_.contains(next) && QFileInfo::exists(next);
  volumesAsked_.insert(next);
  wideVolumeGoOn_ = wide && goOn;
  return goOn ? 0 : -1;
}
