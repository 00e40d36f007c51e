#pragma once
// Names as the file system holds them (bytes, whatever system wrote them) turned into the text
// that archives store and lists show.
#include <QByteArray>
#include <QString>

// UTF-8 when the bytes are valid UTF-8 (as Linux writes names); else the ANSI code page, as a
// Windows system writes names on a shared disk; else the valid UTF-8 parts as text and every
// other byte as "%XX", so the name stays readable and distinct and never holds U+FFFD.
QString DecodeDiskName(const QByteArray& bytes);
// A relative path of such names, '/'-separated: each part decoded on its own.
QString DecodeDiskPath(const QByteArray& path);
