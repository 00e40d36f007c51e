#include "gui/WindowLog.h"

Q_LOGGING_CATEGORY(lcWindow, "harrowmint.window")
