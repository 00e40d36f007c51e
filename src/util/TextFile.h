#pragma once
// Whole text files as the Windows design reads and writes them: byte-order marks honoured on
// reading, the ANSI code page without a mark on writing, every line ended by CR LF.
#include <QString>
#include <optional>

// The whole text with every line (the last included) ended by CR LF, cut at the first NUL.
// A UTF-8, UTF-16 LE or UTF-16 BE byte-order mark decides the encoding, else the ANSI code page.
// A missing or unreadable file gives "".
QString LoadTextFile(const QString& path);
// The same, but nothing when the file exists and cannot be read (a folder, no permission, a read
// error), so a caller can tell the user; a missing file still gives "".
std::optional<QString> TryLoadTextFile(const QString& path);

// The text as it stands, for an edit box: decoded and cut as LoadTextFile does, every line break
// as CR LF, but none added after a last line that has none, so saving it back with
// SaveTextFileAsTyped gives the same bytes (in the ANSI code page).
QString LoadTextFileAsTyped(const QString& path);

// Writes the text's lines, each ended by CR LF, in the ANSI code page without a byte-order mark
// (characters the page lacks become '?'). Missing parent folders are created. The file is
// replaced only once the new content is completely on disk, so a failed write (full disk) leaves
// the old file whole. Returns 1 on success, -1 on failure.
int SaveTextFile(const QString& text, const QString& path);

// Writes the text as it stands, the way an edit box holds it: every line break (CR LF, lone CR,
// lone LF) becomes CR LF and none is added after the last line, so a comment typed without a
// final line break is stored without one. Encoding, folders and failure as SaveTextFile.
int SaveTextFileAsTyped(const QString& text, const QString& path);

// Lines split at CR LF, lone CR and lone LF, each followed by CR LF; "" stays "".
QString NormalizeLineBreaks(const QString& text);
// Every line break (CR LF, lone CR, lone LF) written as CR LF; nothing added at the end.
QString CrLfLineBreaks(const QString& text);
