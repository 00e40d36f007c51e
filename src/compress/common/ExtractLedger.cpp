#include "compress/common/ExtractLedger.h"

#include <QFileInfo>

#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>
#include <limits>

#include "util/FileOps.h"
#include "util/NativePath.h"

namespace {

// The disk is asked again after this much, or sooner once the estimate nears the reserve.
constexpr quint64 kAskEvery = 64 * TExtractLimits::kMiB;
// Entries named in the log per kind.
constexpr qsizetype kNamedEntries = 5;

QString Named(const QStringList& entries) {
  QStringList shown = entries.mid(0, kNamedEntries);
  if (entries.size() > kNamedEntries) shown << QStringLiteral("%1 more").arg(entries.size() - kNamedEntries);
  return shown.join(QStringLiteral(", "));
}

}  // namespace

void TExtractLedger::SetProgressHook(TByteProgress hook) {
  std::lock_guard lock(mutex_);
  hook_ = std::move(hook);
}

void TExtractLedger::SetStopRequest(std::function<bool()> stopRequested) {
  std::lock_guard lock(mutex_);
  stopRequested_ = std::move(stopRequested);
}

bool TExtractLedger::GoesOn() {
  if (!stopCause_.isEmpty()) return false;
  return !(stopRequested_ && stopRequested_()) || Stop(QStringLiteral("a stop was requested"));
}

void TExtractLedger::Begin(const QString& destDir, const TExtractLimits& limits) {
  std::lock_guard lock(mutex_);
  destDir_ = destDir;
  limits_ = limits;
  written_ = 0;
  total_ = 0;
  freeEstimate_ = 0;
  reservedSinceAsked_ = 0;
  asked_ = false;
  stopCause_.clear();
  refused_.clear();
  converted_.clear();
  writeFailure_.clear();
  noRoom_ = false;
}

bool TExtractLedger::Reserve(quint64 bytes) {
  std::unique_lock lock(mutex_);
  if (!GoesOn()) return false;
  if (limits_.maxBytes != 0 && limits_.priorBytes + written_ + bytes > limits_.maxBytes)
    return Stop(QStringLiteral("it would write more than the limit of %1 (MaxUnpackMB)")
                    .arg(SizeText(qint64(limits_.maxBytes))));
  if (!ReserveLeft(bytes)) return false;
  written_ += bytes;
  Report(lock);
  return true;
}

bool TExtractLedger::Observe(quint64 bytesBelowDestination) {
  std::unique_lock lock(mutex_);
  if (!GoesOn()) return false;
  if (limits_.maxBytes != 0 && limits_.priorBytes + bytesBelowDestination > limits_.maxBytes)
    return Stop(QStringLiteral("it wrote more than the limit of %1 (MaxUnpackMB)")
                    .arg(SizeText(qint64(limits_.maxBytes))));
  asked_ = false;  // what the program wrote is on the disk already: ask it
  written_ = bytesBelowDestination;
  if (!ReserveLeft(0)) return false;
  Report(lock);
  return true;
}

bool TExtractLedger::ReserveSpace(quint64 bytes) {
  std::lock_guard lock(mutex_);
  return GoesOn() && ReserveLeft(bytes);
}

void TExtractLedger::SetTotal(quint64 bytes) {
  std::lock_guard lock(mutex_);
  total_ = bytes;
}

void TExtractLedger::Report(std::unique_lock<std::mutex>& lock) {
  if (!hook_) return;
  const TByteProgress hook = hook_;
  const quint64 written = written_;
  const quint64 total = total_;
  const quint64 figure = ++figures_;
  lock.unlock();
  // The engines' threads report at once: a figure another thread has overtaken meanwhile is not
  // told, so the hook never hears the bytes fall back.
  std::lock_guard told(toldMutex_);
  if (figure < told_) return;
  told_ = figure;
  hook(written, total);
}

quint64 TExtractLedger::FreeEstimate(quint64 needed) {
  if (!asked_ || reservedSinceAsked_ >= kAskEvery || freeEstimate_ < needed + kAskEvery) {
    freeEstimate_ = FreeBytes();
    reservedSinceAsked_ = 0;
    asked_ = true;
  }
  return freeEstimate_;
}

bool TExtractLedger::ReserveLeft(quint64 bytes) {
  const quint64 needed = limits_.reserveBytes + bytes;
  const quint64 free = FreeEstimate(needed);
  if (free < needed || free == 0) {
    // Without a reserve the write goes ahead; should it fail, the full disk is why.
    if (limits_.reserveBytes == 0) {
      noRoom_ = true;
      return true;
    }
    return Stop(QStringLiteral("it would leave less than %1 free on the disk of %2 (MinFreeMB)")
                    .arg(SizeText(qint64(limits_.reserveBytes)), destDir_));
  }
  freeEstimate_ -= bytes;
  reservedSinceAsked_ += bytes;
  return true;
}

quint64 TExtractLedger::FreeBytes() const {
  // The destination may not exist yet: its nearest folder that does lies on the same disk.
  QString folder = destDir_;
  while (!folder.isEmpty() && !QFileInfo(folder).isDir()) folder = QFileInfo(folder).path();
  struct statvfs disk {};
  if (folder.isEmpty() || ::statvfs(NativePath(folder).c_str(), &disk) != 0)
    return std::numeric_limits<quint64>::max();
  return quint64(disk.f_bavail) * disk.f_frsize;
}

bool TExtractLedger::Stop(const QString& cause) {
  stopCause_ = QStringLiteral("stopped: ") + cause;
  return false;
}

void TExtractLedger::Refuse(const QString& entry, const QString& why) {
  std::lock_guard lock(mutex_);
  refused_ << entry + QStringLiteral(" (") + why + ')';
}

void TExtractLedger::Convert(const QString& entry, const QString& what) {
  std::lock_guard lock(mutex_);
  converted_ << entry + QStringLiteral(" (") + what + ')';
}

void TExtractLedger::WriteFailed(const QString& path, int error) {
  std::lock_guard lock(mutex_);
  if (writeFailure_.isEmpty())
    writeFailure_ = QStringLiteral("cannot write %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
}

QString TExtractLedger::writeFailure() const {
  std::lock_guard lock(mutex_);
  return writeFailure_;
}

QString TExtractLedger::FullDisk() const {
  std::lock_guard lock(mutex_);
  if (!noRoom_ && FreeBytes() != 0) return {};
  return QStringLiteral("the disk of %1 is full (%2)").arg(destDir_, QString::fromLocal8Bit(std::strerror(ENOSPC)));
}

bool TExtractLedger::stopped() const {
  std::lock_guard lock(mutex_);
  return !stopCause_.isEmpty();
}

QString TExtractLedger::stopCause() const {
  std::lock_guard lock(mutex_);
  return stopCause_;
}

quint64 TExtractLedger::written() const {
  std::lock_guard lock(mutex_);
  return written_;
}

bool TExtractLedger::refusedAny() const {
  std::lock_guard lock(mutex_);
  return !refused_.isEmpty();
}

bool TExtractLedger::complete() const {
  std::lock_guard lock(mutex_);
  return stopCause_.isEmpty() && refused_.isEmpty() && converted_.isEmpty();
}

QString TExtractLedger::Details() const {
  std::lock_guard lock(mutex_);
  QStringList parts;
  if (!refused_.isEmpty()) parts << QStringLiteral("refused: ") + Named(refused_);
  if (!converted_.isEmpty()) parts << QStringLiteral("converted: ") + Named(converted_);
  return parts.join(QStringLiteral("; "));
}
