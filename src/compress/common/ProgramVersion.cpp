#include "compress/common/ProgramVersion.h"

#include <QRegularExpression>

#include "util/Process.h"

namespace {
// A plug-in program is anyone's program: it gets a time limit, so a listing never hangs on it.
constexpr int kVersionTimeoutMs = 5000;
}  // namespace

QString VersionTextFromOutput(const QByteArray& output) {
  static const QRegularExpression kDotted(QStringLiteral(R"((\d+)\.(\d+)(?:\.(\d+))?(?:\.(\d+))?)"));
  const QRegularExpressionMatch match = kDotted.match(QString::fromLocal8Bit(output));
  if (!match.hasMatch()) return kUnknownVersion;
  QStringList parts;
  for (int group = 1; group <= 4; ++group) {
    bool ok = false;
    const qulonglong value = match.captured(group).toULongLong(&ok);
    parts << QString::number(ok ? value : 0);
  }
  return parts.join('.');
}

QString AskProgramVersion(const QString& program, const QStringList& arguments) {
  QByteArray output;
  const int exitCode = RunAndCapture(program, arguments, QString(), &output, kVersionTimeoutMs);
  if (exitCode == kStartFailed || exitCode == kTimedOut) return {};
  return VersionTextFromOutput(output);
}
