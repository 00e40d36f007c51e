#pragma once
// The texts made from the option table (CliOptionTable.h): the usage text of --help, the
// manual page harrowmint-cli.1 and the bash completion script, and the window program's usage
// text and manual page harrowmint.1 from the options it takes too. The build writes the pages and
// the script with the hidden options --print-man and --print-completion.
#include <QString>

// The usage text for --help and after a mistake.
QString CliUsage();

// The manual page, in roff (man macros).
QString CliManPage();

// The window program's usage text and manual page.
QString WindowUsage();
QString WindowManPage();

// A bash script that defines the completion of harrowmint-cli: options, the values of a choice,
// folders after options that take one, files and folders as PATH.
QString CliBashCompletion();
