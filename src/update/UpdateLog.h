#pragma once
// The update check's log: why a description, a download or a hand-over failed. The windows show
// the product's own texts; the causes go here.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcUpdate)
