#pragma once
// How the window shows a name from an archive (the content viewer's rows, a row's hover tip): each
// control character becomes a visible escape, "\t", "\n", "\r" or "\xHH" ("\u00HH" for the C1
// range), so that a line break or tab in a name can neither pass for two names nor hide the rest
// of one. For reading only: nothing turns the escapes back.
#include <QString>

QString VisibleName(const QString& name);
