#include "compress/plugin/ProgramVersion.h"

#include <QProcess>
#include <QRegularExpression>

namespace {
constexpr int kVersionTimeoutMs = 5000;
const QString kNoVersion = QStringLiteral("0.0.0.0");
}  // namespace

QString VersionTextFromOutput(const QByteArray& output) {
  static const QRegularExpression kDotted(QStringLiteral(R"((\d+)\.(\d+)(?:\.(\d+))?(?:\.(\d+))?)"));
  const QRegularExpressionMatch match = kDotted.match(QString::fromLocal8Bit(output));
  if (!match.hasMatch()) return kNoVersion;
  QStringList parts;
  for (int group = 1; group <= 4; ++group) {
    bool ok = false;
    const qulonglong value = match.captured(group).toULongLong(&ok);
    parts << QString::number(ok ? value : 0);
  }
  return parts.join('.');
}

// A plug-in program is anyone's program: it gets a time limit, so a listing never hangs on it.
QString AskProgramVersion(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.setStandardInputFile(QProcess::nullDevice());
  process.start(program, arguments);
  if (!process.waitForStarted()) return {};
  if (!process.waitForFinished(kVersionTimeoutMs)) {
    process.kill();
    process.waitForFinished();
    return {};
  }
  return VersionTextFromOutput(process.readAll());
}
