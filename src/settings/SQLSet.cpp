#include "settings/SQLSet.h"

#include <cmath>

#include "settings/DayCount.h"

QString SQLQuote(const QString& text) {
  QString quoted = text;
  quoted.replace(QLatin1Char('\''), QLatin1String("''"));
  return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString SQLFloat(double value) {
  // nan and inf would read as column names; 9e999 is how SQLite itself writes infinity.
  if (std::isnan(value)) return QStringLiteral("NULL");
  if (std::isinf(value)) return value > 0 ? QStringLiteral("9e999") : QStringLiteral("-9e999");
  return QString::number(value, 'g', 15);  // QString::number ignores the locale
}

int TSQLSet::AddPram(const QString& fieldName, const QString& sValue, int sValueType) {
  F_FieldLists.append(fieldName);
  F_FieldValueLists.append(sValue);
  F_FieldType.append(QString::number(sValueType));
  return 1;
}

int TSQLSet::AddPram(const QString& fieldName, const QString& value) {
  return AddPram(fieldName, value, svText);
}

int TSQLSet::AddPram(const QString& fieldName, int value) {
  return AddPram(fieldName, QString::number(value), svInteger);
}

int TSQLSet::AddPram(const QString& fieldName, qint64 value) {
  return AddPram(fieldName, QString::number(value), svInteger);
}

int TSQLSet::AddPram(const QString& fieldName, double value) {
  return AddPram(fieldName, SQLFloat(value), svFloat);
}

int TSQLSet::AddPram(const QString& fieldName, bool value) {
  return AddPram(fieldName, value ? QStringLiteral("1") : QStringLiteral("0"), svBoolean);
}

int TSQLSet::AddPram(const QString& fieldName, const QDateTime& value) {
  return AddPram(fieldName, SQLFloat(DateTimeToDayCount(value)), svFloat);
}

int TSQLSet::AddPramByDateTimeStr(const QString& fieldName, const QDateTime& value) {
  return AddPram(fieldName, value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), svDateTimeText);
}

int TSQLSet::ClearPram() {
  F_FieldLists.clear();
  F_FieldValueLists.clear();
  F_FieldType.clear();
  return 1;
}

QString TSQLSet::ValueSQL(int index) const {
  const int type = F_FieldType[index].toInt();
  const QString& value = F_FieldValueLists[index];
  return (type == svText || type == svDateTimeText) ? SQLQuote(value) : value;
}

QString TSQLSet::GetInsertSQL() const {
  QStringList values;
  for (int i = 0; i < F_FieldLists.size(); ++i) values.append(ValueSQL(i));
  return QStringLiteral("INSERT INTO ") + F_TableName + QLatin1Char('(') +
         F_FieldLists.join(QLatin1Char(',')) + QStringLiteral(") VALUES (") + values.join(QLatin1Char(',')) +
         QLatin1Char(')');
}

QString TSQLSet::GetUpdateSQL() const {
  QStringList pairs;
  for (int i = 0; i < F_FieldLists.size(); ++i)
    pairs.append(F_FieldLists[i] + QLatin1Char('=') + ValueSQL(i));
  return QStringLiteral("update ") + F_TableName + QStringLiteral(" set ") + pairs.join(QLatin1Char(','));
}

QString TSQLSet::GetUpdateSQL(const QString& whereSQL) const {
  return GetUpdateSQL() + QLatin1Char(' ') + whereSQL;
}
