#include "watch/Journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "util/FileDescriptor.h"
#include "util/NativePath.h"
#include "watch/WatchLog.h"

namespace {

bool WriteAll(int fd, const QByteArray& bytes) {
  for (qsizetype done = 0; done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

// The whole file, read from its start.
std::optional<QByteArray> ReadAll(int fd) {
  QByteArray content;
  char buffer[64 * 1024];
  for (off_t at = 0;;) {
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) return content;
    content.append(buffer, n);
    at += n;
  }
}

bool HoldsLine(const QByteArray& content, const QByteArray& line) {
  for (qsizetype at = content.indexOf(line); at >= 0; at = content.indexOf(line, at + 1)) {
    const qsizetype end = at + line.size();
    if ((at == 0 || content[at - 1] == '\n') && (end == content.size() || content[end] == '\n')) return true;
  }
  return false;
}

}  // namespace

bool TJournal::Append(const QByteArray& line, bool once) const {
  const TFileDescriptor fd(::open(NativePath(path_).c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
  if (!fd) {
    qCWarning(lcWatch) << "cannot open the journal" << path_ << ":" << std::strerror(errno);
    return false;
  }
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  int locked = -1;
  while ((locked = ::fcntl(fd.get(), F_SETLKW, &lock)) != 0 && errno == EINTR) {
  }
  // Without a lock (an NFS mount without its lock service) the line is still appended in one
  // write, which does for the watchers of one machine.
  if (locked != 0) qCWarning(lcWatch) << "cannot lock the journal" << path_ << ":" << std::strerror(errno);

  QByteArray bytes = line + '\n';
  struct stat st {};
  if (::fstat(fd.get(), &st) == 0 && st.st_size > 0) {
    char last = '\n';
    // A line a writer could not finish (a full disk) is ended first, so this one stands alone.
    if (::pread(fd.get(), &last, 1, st.st_size - 1) == 1 && last != '\n') bytes.prepend('\n');
    if (once) {
      const std::optional<QByteArray> content = ReadAll(fd.get());
      if (content && HoldsLine(*content, line)) return true;
    }
  }
  if (!WriteAll(fd.get(), bytes) || ::fdatasync(fd.get()) != 0) {
    qCWarning(lcWatch) << "cannot write the journal" << path_ << ":" << std::strerror(errno);
    return false;
  }
  return true;  // closing the descriptor lets the lock go
}
