#include "util/IniFile.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "util/CodePage.h"
#include "util/NativePath.h"
#include "util/TextHelpers.h"

namespace {

// GetPrivateProfileString's buffer of 2048 characters, one of them the terminating NUL.
constexpr qsizetype kMaxValueLength = 2047;

enum class Encoding { Ansi, Utf8Bom, Utf16LeBom };

// What a file looked like when it was read; a change of any of these means it was rewritten.
struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};

  bool operator==(const FileStamp& o) const {
    return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
           modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
  }
};

FileStamp StampOf(const QString& path) {
  FileStamp stamp;
  struct stat st;
  if (::stat(NativePath(path).c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = st.st_size;
  stamp.modified = st.st_mtim;
  return stamp;
}

bool SameName(QStringView a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// "[name]" (up to the last ']'), or a null view.
QStringView SectionName(QStringView line) {
  const QStringView t = line.trimmed();
  if (!t.startsWith(u'[')) return {};
  const qsizetype close = t.lastIndexOf(u']');
  if (close < 0) return {};
  return t.sliced(1, close - 1).trimmed();
}

// For "key=value": the trimmed key, and the trimmed value into *value. Comments and lines
// without '=' give a null view.
QStringView KeyName(QStringView line, QStringView* value = nullptr) {
  const QStringView t = line.trimmed();
  if (t.isEmpty() || t.startsWith(u';') || t.startsWith(u'#') || t.startsWith(u'[')) return {};
  const qsizetype eq = t.indexOf(u'=');
  if (eq <= 0) return {};
  const QStringView key = t.first(eq).trimmed();
  if (value) *value = t.sliced(eq + 1).trimmed();
  return key.isEmpty() ? QStringView() : key;
}

}  // namespace

struct TIniFile::Document {
  FileStamp stamp;
  Encoding encoding = Encoding::Ansi;
  QStringList lines;

  // The lines [first, last) of the first section of that name: first is its header line.
  bool FindSection(const QString& section, qsizetype* first, qsizetype* last) const {
    for (qsizetype i = 0; i < lines.size(); ++i) {
      const QStringView name = SectionName(lines[i]);
      if (name.isNull() || !SameName(name, section)) continue;
      qsizetype end = i + 1;
      while (end < lines.size() && SectionName(lines[end]).isNull()) ++end;
      *first = i;
      *last = end;
      return true;
    }
    return false;
  }

  // The line of the key within the section, or -1.
  qsizetype FindKey(const QString& section, const QString& key, QStringView* value = nullptr) const {
    qsizetype first = 0;
    qsizetype last = 0;
    if (!FindSection(section, &first, &last)) return -1;
    for (qsizetype i = first + 1; i < last; ++i) {
      const QStringView name = KeyName(lines[i], value);
      if (!name.isNull() && SameName(name, key)) return i;
    }
    return -1;
  }

  static bool Load(const QString& path, Document* doc) {
    doc->stamp = StampOf(path);
    doc->lines.clear();
    doc->encoding = Encoding::Ansi;
    if (!doc->stamp.exists) return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) return false;
    QString text;
    if (data.startsWith("\xEF\xBB\xBF")) {
      doc->encoding = Encoding::Utf8Bom;
      text = QString::fromUtf8(data.constData() + 3, data.size() - 3);
    } else if (data.startsWith("\xFF\xFE")) {
      doc->encoding = Encoding::Utf16LeBom;
      text =
          QString::fromUtf16(reinterpret_cast<const char16_t*>(data.constData() + 2), (data.size() - 2) / 2);
    } else {
      text = FromAnsi(data);
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    if (text.endsWith(u'\n')) text.chop(1);
    if (!text.isEmpty()) doc->lines = text.split(u'\n');
    return true;
  }

  bool Save(const QString& path) const {
    QString text;
    for (const QString& line : lines) {
      text += line;
      text += u"\r\n";
    }
    QByteArray data;
    switch (encoding) {
      case Encoding::Ansi:
        data = ToAnsi(text);
        break;
      case Encoding::Utf8Bom:
        data = "\xEF\xBB\xBF" + text.toUtf8();
        break;
      case Encoding::Utf16LeBom:
        data = QByteArray("\xFF\xFE", 2);
        for (const QChar c : text) {
          data.append(static_cast<char>(c.unicode() & 0xFF));
          data.append(static_cast<char>(c.unicode() >> 8));
        }
        break;
    }
    if (stamp.exists && !QFileInfo(path).isFile()) return false;
    // QSaveFile writes beside and renames, and keeps an existing file's permission bits.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!stamp.exists) file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(data) != data.size()) return false;
    return file.commit();
  }
};

TIniFile::TIniFile(const QString& path) : path_(path) {}

TIniFile::~TIniFile() = default;

const TIniFile::Document& TIniFile::Current() const {
  if (!cache_ || !(cache_->stamp == StampOf(path_))) {
    auto doc = std::make_unique<Document>();
    // An unreadable file reads as empty, like a missing one.
    if (!Document::Load(path_, doc.get())) doc->lines.clear();
    cache_ = std::move(doc);
  }
  return *cache_;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
  QStringView value;
  if (Current().FindKey(section, key, &value) < 0) return defaultValue;
  return value.first(std::min(value.size(), kMaxValueLength)).toString();
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
  bool ok = false;
  const int value = ParseIntegerText(ReadString(section, key, QString()), &ok);
  return ok ? value : defaultValue;
}

bool TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
  auto breaksLine = [](const QString& s) { return s.contains(u'\r') || s.contains(u'\n'); };
  if (section.trimmed().isEmpty() || key.trimmed().isEmpty() || breaksLine(section) || breaksLine(key) ||
      breaksLine(value) || section.contains(u']') || key.contains(u'=') || key.trimmed().startsWith(u'[') ||
      key.trimmed().startsWith(u';') || key.trimmed().startsWith(u'#'))
    return false;
  // Always edit what is on disk now, not what this instance read earlier.
  Document doc;
  if (!Document::Load(path_, &doc)) return false;
  const qsizetype keyLine = doc.FindKey(section, key);
  if (keyLine >= 0) {
    doc.lines[keyLine] = KeyName(doc.lines[keyLine]).toString() + u'=' + value;
  } else {
    qsizetype first = 0;
    qsizetype last = 0;
    if (doc.FindSection(section, &first, &last)) {
      // After the section's last non-blank line, so blank lines between sections stay put.
      qsizetype at = last;
      while (at > first + 1 && doc.lines[at - 1].trimmed().isEmpty()) --at;
      doc.lines.insert(at, key + u'=' + value);
    } else {
      if (!doc.lines.isEmpty() && !doc.lines.last().trimmed().isEmpty()) doc.lines << QString();
      doc.lines << u'[' + section + u']' << key + u'=' + value;
    }
  }
  cache_.reset();
  return doc.Save(path_);
}

bool TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
  return WriteString(section, key, QString::number(value));
}

bool TIniFile::SectionExists(const QString& section) const {
  qsizetype first = 0;
  qsizetype last = 0;
  return Current().FindSection(section, &first, &last);
}

QStringList TIniFile::ReadSection(const QString& section) const {
  const Document& doc = Current();
  QStringList keys;
  qsizetype first = 0;
  qsizetype last = 0;
  if (!doc.FindSection(section, &first, &last)) return keys;
  for (qsizetype i = first + 1; i < last; ++i) {
    const QStringView name = KeyName(doc.lines[i]);
    if (!name.isNull()) keys << name.toString();
  }
  return keys;
}

QStringList TIniFile::ReadSections() const {
  QStringList sections;
  for (const QString& line : Current().lines) {
    const QStringView name = SectionName(line);
    if (!name.isNull()) sections << name.toString();
  }
  return sections;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
  return Current().FindKey(section, key) >= 0;
}

bool TIniFile::EraseSection(const QString& section) {
  Document doc;
  if (!Document::Load(path_, &doc)) return false;
  qsizetype first = 0;
  qsizetype last = 0;
  if (!doc.FindSection(section, &first, &last)) return true;
  doc.lines.remove(first, last - first);
  cache_.reset();
  return doc.Save(path_);
}

bool TIniFile::DeleteKey(const QString& section, const QString& key) {
  Document doc;
  if (!Document::Load(path_, &doc)) return false;
  const qsizetype line = doc.FindKey(section, key);
  if (line < 0) return true;
  doc.lines.removeAt(line);
  cache_.reset();
  return doc.Save(path_);
}
