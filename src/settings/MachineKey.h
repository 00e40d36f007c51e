#pragma once
// The text that tells this computer apart in the settings file's first-run section.
#include <QString>

// Stable for one computer, different between computers: derived from the machine id
// (/etc/machine-id), never the id itself, which is not to be exposed. 16 hex digits.
QString MachineKey();

// "M" + the key + "13".
QString MachineSectionName(const QString& machineKey);
