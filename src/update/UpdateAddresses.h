#pragma once
// Where the update check looks. The project has no home yet: the addresses lie in the reserved
// "example" domain, which never resolves, so a check fails quietly and shows nothing.
#include <QString>

// The description addresses, one per line, tried in order ("<SoftId>" is replaced). The
// environment variable HARROWMINT_UPDATE_URL, when set, replaces them (one address, or several
// separated by new lines), for a test installation.
QString DefaultUpdateUrls();

// The page the manual-download link opens when the description names none.
QString MakerHomePage();
