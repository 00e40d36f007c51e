#include "update/UpdateXml.h"

#include <QFile>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "update/UpdateLog.h"
#include "util/Base64.h"
#include "util/TextHelpers.h"

namespace {
const QString kRoot = QStringLiteral("root");
const QString kList = QStringLiteral("list");
}  // namespace

bool TXmlElement::HasAttribute(const QString& name) const {
  for (const auto& attribute : attributes_)
    if (attribute.first == name) return true;
  return false;
}

QString TXmlElement::ReadText(const QString& name, const QString& defaultValue) const {
  for (const auto& attribute : attributes_)
    if (attribute.first == name) return attribute.second;
  return defaultValue;
}

int TXmlElement::ReadInteger(const QString& name, int defaultValue) const {
  if (!HasAttribute(name)) return defaultValue;
  bool ok = false;
  const int value = ParseIntegerText(ReadText(name), &ok);
  return ok ? value : defaultValue;
}

bool TXmlElement::ReadFlag(const QString& name, bool defaultValue) const {
  return HasAttribute(name) ? FlagTextToBool(ReadText(name)) : defaultValue;
}

QString TXmlElement::ReadBase64(const QString& name, const QString& defaultValue) const {
  return HasAttribute(name) ? Base64DecodeText(ReadText(name)) : defaultValue;
}

void TXmlElement::WriteText(const QString& name, const QString& value) {
  for (auto& attribute : attributes_) {
    if (attribute.first == name) {
      attribute.second = value;
      return;
    }
  }
  attributes_.append({name, value});
}

void TXmlElement::WriteBase64(const QString& name, const QString& text) {
  WriteText(name, Base64EncodeText(text));
}

TXML::TXML() { Clear(); }

void TXML::Clear() {
  rootName_ = kRoot;
  lists_.clear();
}

bool TXML::LoadFromText(const QByteArray& text) {
  Clear();
  QXmlStreamReader reader(text);
  QString rootName;
  std::deque<TXmlElement> lists;
  int depth = 0;
  while (!reader.atEnd()) {
    switch (reader.readNext()) {
      case QXmlStreamReader::StartElement:
        ++depth;
        if (depth == 1) {
          rootName = reader.name().toString();
        } else if (depth == 2 && reader.name() == kList) {
          TXmlElement& element = lists.emplace_back();
          for (const QXmlStreamAttribute& attribute : reader.attributes())
            element.WriteText(attribute.qualifiedName().toString(), attribute.value().toString());
        }
        break;
      case QXmlStreamReader::EndElement:
        --depth;
        break;
      default:
        break;
    }
  }
  if (reader.hasError() || rootName.isEmpty()) {
    qCInfo(lcUpdate) << "not an XML document:" << reader.errorString() << "at line" << reader.lineNumber();
    return false;
  }
  rootName_ = rootName;
  lists_ = std::move(lists);
  return true;
}

bool TXML::LoadFromFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    Clear();
    return false;
  }
  return LoadFromText(file.readAll());
}

QByteArray TXML::ToText() const {
  QByteArray text;
  QXmlStreamWriter writer(&text);
  writer.writeStartElement(rootName_);
  for (const TXmlElement& element : lists_) {
    writer.writeEmptyElement(kList);
    for (const auto& attribute : element.Attributes())
      writer.writeAttribute(attribute.first, attribute.second);
  }
  writer.writeEndElement();
  return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n") + text;
}

bool TXML::SaveToFile(const QString& path) const {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  const QByteArray text = ToText();
  if (file.write(text) != text.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

TXmlElement& TXML::SelectList(const QString& key, const QString& value) {
  if (const TXmlElement* found = FindList(key, value)) return const_cast<TXmlElement&>(*found);
  TXmlElement& element = lists_.emplace_back();
  element.WriteText(key, value);
  return element;
}

const TXmlElement* TXML::FindList(const QString& key, const QString& value) const {
  for (const TXmlElement& element : lists_)
    if (element.HasAttribute(key) && element.ReadText(key) == value) return &element;
  return nullptr;
}
