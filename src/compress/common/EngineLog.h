#pragma once
// Log lines of the archive engines: why an operation failed, written by the facade.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcEngine)

// "crFailed", "crWrongPassword", ... for a TCompressResult; the number itself for any other.
QString CompressResultName(int result);
