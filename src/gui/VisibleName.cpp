#include "gui/VisibleName.h"

QString VisibleName(const QString& name) {
  QString shown;
  shown.reserve(name.size());
  for (const QChar c : name) {
    const char16_t code = c.unicode();
    if (c.category() != QChar::Other_Control) {
      shown += c;
    } else if (code == '\t') {
      shown += QLatin1String("\\t");
    } else if (code == '\n') {
      shown += QLatin1String("\\n");
    } else if (code == '\r') {
      shown += QLatin1String("\\r");
    } else {
      const bool c0 = code < 0x80;  // C0 and DEL
      shown += (c0 ? QLatin1String("\\x") : QLatin1String("\\u")) +
               QString::number(code, 16).toUpper().rightJustified(c0 ? 2 : 4, QLatin1Char('0'));
    }
  }
  return shown;
}
