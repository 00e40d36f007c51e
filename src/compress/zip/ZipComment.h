#pragma once
// The archive comment: the comment file's text as LoadTextFile reads it (lines ended by CR LF),
// in the ANSI code page, cut to the 65535 bytes the end record can hold (never inside a
// character). A missing file gives no comment.
#include <QByteArray>
#include <QString>

QByteArray ZipCommentFromFile(const QString& commentFile);
