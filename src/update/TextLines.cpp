#include "update/TextLines.h"

#include <QRegularExpression>

QStringList SplitLines(const QString& text) {
  static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
  return text.split(lineBreak, Qt::SkipEmptyParts);
}
