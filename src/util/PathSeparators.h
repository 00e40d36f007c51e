#pragma once
// Trailing separators of folder paths: the rules every caller uses, in one place. The root "/"
// never loses its separator.
#include <QString>

// Drops one trailing '/': "a/" -> "a", "a//" -> "a/", "/" -> "/". What an engine is given as a
// destination or source.
QString WithoutTrailingSeparator(const QString& path);
// Drops every trailing '/': "a//" -> "a", "//" -> "/". The same entry, named so that no call
// follows a link at it.
QString WithoutTrailingSeparators(const QString& path);
// Adds a '/' unless the path ends in one: "a" -> "a/", "a/" -> "a/", "" -> "/". A folder that
// file names are appended to. For exactly one: WithTrailingSeparator(WithoutTrailingSeparators(p)).
QString WithTrailingSeparator(const QString& folder);
