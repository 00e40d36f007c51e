#pragma once
// The complete result of one query, read into memory at once.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <variant>
#include <vector>

class TSQLiteTable {
 public:
  // A NULL, an integer, a double, a text or a blob, as the column's declared type dictates.
  using Value = std::variant<std::monostate, qint64, double, QString, QByteArray>;

  TSQLiteTable() = default;
  // values: the rows one after the other, each with one value per column.
  TSQLiteTable(QStringList columns, std::vector<Value> values);

  int Count() const { return columns_.isEmpty() ? 0 : int(values_.size() / size_t(columns_.size())); }
  int ColCount() const { return int(columns_.size()); }
  const QStringList& Columns() const { return columns_; }
  // EOF in the design; the C library owns that name.
  bool Eof() const { return int(row_) >= Count(); }
  void Next() { ++row_; }
  void MoveFirst() { row_ = 0; }

  // Column index by name, case-insensitive; -1 when there is none.
  int FieldIndex(const QString& name) const;
  // The current row's field as text: empty for NULL and for an unknown name, integers and
  // doubles in decimal.
  QString FieldByName(const QString& name) const;
  QString FieldAsString(int index) const;
  // 0 for NULL, for an unknown name and for text that is no number.
  qint64 FieldAsInteger(const QString& name) const;
  qint64 FieldAsInteger(int index) const;
  // 0.0 for NULL or an unknown name; raises ESQLiteException on a text or blob column.
  double FieldAsDouble(const QString& name) const;
  double FieldAsDouble(int index) const;
  bool FieldIsNull(int index) const;

 private:
  const Value* Field(int index) const;

  QStringList columns_;
  std::vector<Value> values_;
  size_t row_ = 0;
};
