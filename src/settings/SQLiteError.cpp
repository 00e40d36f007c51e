#include "settings/SQLiteError.h"

ESQLiteException::ESQLiteException(const QString& message, int errorCode)
    : std::runtime_error(message.toStdString()), message_(message), errorCode_(errorCode) {}
