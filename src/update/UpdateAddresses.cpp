#include "update/UpdateAddresses.h"

QString DefaultUpdateUrls() {
  const QString configured = qEnvironmentVariable("HARROWMINT_UPDATE_URL");
  if (!configured.trimmed().isEmpty()) return configured;
  return QStringLiteral(
      "https://files.harrowmint.example/quorvane/<SoftId>.xml\n"
      "https://www.harrowmint.example/update/<SoftId>.dat");
}

QString MakerHomePage() { return QStringLiteral("https://www.harrowmint.example/"); }
