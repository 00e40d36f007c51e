#pragma once
// Update descriptions, fake updater programs and waiting helpers shared by the update tests and
// the update-window tests.
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include "update/UpdateParams.h"

// A description document: <root><list name="update" .../></root> with the attributes in order.
// Values are written as given; use B64 for the Base64-encoded ones.
using TAttributes = QList<QPair<QString, QString>>;
QByteArray DescriptionXml(const TAttributes& attributes);
QString B64(const QString& text);

// A description offering `version` ("2.0.0.0"), with the package at fileUrl.
TAttributes Offering(const QString& version, const QString& fileUrl = {});

// What a description offers to a running `currentVersion`, as a check reads it.
TUpdateOffer OfferOf(const TAttributes& description, const QString& currentVersion);
// The parameters the main window gives an update window: the running version, the software id
// "Harrowmint" and the download folder "<app>".
reUpdate WindowParams(const QString& currentVersion);

// Lower-case hex SHA-256 of the bytes.
QString Sha256Of(const QByteArray& bytes);

// Writes an executable shell script at path that records its arguments and working folder, one
// per line, into recordPath.
void WriteRecordingProgram(const QString& path, const QString& recordPath);

// Spins the event loop until the file exists or the time is up.
bool WaitForFile(const QString& path, int timeoutMs = 10000);
