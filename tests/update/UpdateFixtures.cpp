#include "UpdateFixtures.h"

#include <gtest/gtest.h>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTest>
#include <QXmlStreamWriter>

#include "update/LiveUpdate.h"
#include "util/Base64.h"

QByteArray DescriptionXml(const TAttributes& attributes) {
  QByteArray text;
  QXmlStreamWriter writer(&text);
  writer.writeStartDocument();
  writer.writeStartElement(QStringLiteral("root"));
  writer.writeEmptyElement(QStringLiteral("list"));
  writer.writeAttribute(QStringLiteral("name"), QStringLiteral("update"));
  for (const auto& attribute : attributes) writer.writeAttribute(attribute.first, attribute.second);
  writer.writeEndElement();
  writer.writeEndDocument();
  return text;
}

QString B64(const QString& text) { return Base64EncodeText(text); }

TUpdateOffer OfferOf(const TAttributes& description, const QString& currentVersion) {
  TLiveUpdate live;
  live.SetCurrentVersion(GetVersion(currentVersion));
  EXPECT_EQ(live.LoadUpdateText(DescriptionXml(description)), 1);
  return live.Offer();
}

reUpdate WindowParams(const QString& currentVersion) {
  reUpdate params;
  params.Verison = currentVersion;
  params.SoftId = QStringLiteral("Harrowmint");
  params.SaveDir = QStringLiteral("<app>");
  return params;
}

TAttributes Offering(const QString& version, const QString& fileUrl) {
  const QStringList parts = version.split('.');
  return {{"newMajVer", parts.value(0)},
          {"newMinVer", parts.value(1)},
          {"newReleaseVer", parts.value(2)},
          {"newBuildVer", parts.value(3)},
          {"newUpdateDate", B64(QStringLiteral("2024-05-01"))},
          {"newDes", B64(QStringLiteral("修复了若干问题\r\n新增批量模式"))},
          {"newFileUrl", B64(fileUrl)}};
}

QString Sha256Of(const QByteArray& bytes) {
  return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

void WriteRecordingProgram(const QString& path, const QString& recordPath) {
  QFile file(path);
  file.open(QIODevice::WriteOnly | QIODevice::Truncate);
  // Written to a temporary name and renamed, so a waiting test never sees half a record.
  file.write("#!/bin/sh\n{ for a in \"$@\"; do echo \"$a\"; done; pwd; } > '" + recordPath.toUtf8() +
             ".part' && mv '" + recordPath.toUtf8() + ".part' '" + recordPath.toUtf8() + "'\n");
  file.close();
  file.setPermissions(file.permissions() | QFile::ExeOwner);
}

bool WaitForFile(const QString& path, int timeoutMs) {
  return QTest::qWaitFor([&] { return QFileInfo::exists(path); }, timeoutMs);
}
