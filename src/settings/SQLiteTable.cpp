#include "settings/SQLiteTable.h"

#include <cmath>
#include <limits>

#include "settings/SQLiteError.h"

namespace {
template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
// clang 14 does not deduce an aggregate's arguments by itself (the sanitizer builds use it).
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

qint64 TruncateToInt64(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9.2233720368547758e18) return std::numeric_limits<qint64>::max();
  if (value <= -9.2233720368547758e18) return std::numeric_limits<qint64>::min();
  return qint64(value);
}
}  // namespace

TSQLiteTable::TSQLiteTable(QStringList columns, std::vector<Value> values)
    : columns_(std::move(columns)), values_(std::move(values)) {}

int TSQLiteTable::FieldIndex(const QString& name) const {
  for (int i = 0; i < columns_.size(); ++i)
    if (columns_[i].compare(name, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

const TSQLiteTable::Value* TSQLiteTable::Field(int index) const {
  if (Eof() || index < 0 || index >= columns_.size()) return nullptr;
  return &values_[row_ * size_t(columns_.size()) + size_t(index)];
}

bool TSQLiteTable::FieldIsNull(int index) const {
  const Value* v = Field(index);
  return !v || std::holds_alternative<std::monostate>(*v);
}

QString TSQLiteTable::FieldByName(const QString& name) const { return FieldAsString(FieldIndex(name)); }

QString TSQLiteTable::FieldAsString(int index) const {
  const Value* v = Field(index);
  if (!v) return {};
  return std::visit(
      Overloaded{[](std::monostate) { return QString(); }, [](qint64 i) { return QString::number(i); },
                 [](double d) { return QString::number(d, 'g', 15); }, [](const QString& s) { return s; },
                 [](const QByteArray& b) { return QString::fromUtf8(b); }},
      *v);
}

qint64 TSQLiteTable::FieldAsInteger(const QString& name) const { return FieldAsInteger(FieldIndex(name)); }

qint64 TSQLiteTable::FieldAsInteger(int index) const {
  const Value* v = Field(index);
  if (!v) return 0;
  return std::visit(Overloaded{[](std::monostate) -> qint64 { return 0; }, [](qint64 i) { return i; },
                               [](double d) { return TruncateToInt64(d); },
                               [](const QString& s) { return s.trimmed().toLongLong(); },
                               [](const QByteArray&) -> qint64 { return 0; }},
                    *v);
}

double TSQLiteTable::FieldAsDouble(const QString& name) const { return FieldAsDouble(FieldIndex(name)); }

double TSQLiteTable::FieldAsDouble(int index) const {
  const Value* v = Field(index);
  if (!v) return 0;
  if (const auto* i = std::get_if<qint64>(v)) return double(*i);
  if (const auto* d = std::get_if<double>(v)) return *d;
  if (std::holds_alternative<std::monostate>(*v)) return 0;
  throw ESQLiteException(QStringLiteral("Not a numeric field: %1").arg(columns_.value(index)));
}
