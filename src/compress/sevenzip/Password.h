#pragma once
// The password answer the library gets when it asks while opening, extracting or packing.
#include <QString>

#include <memory>

#include "compress/sevenzip/SevenZipPlugin.h"

class T7zPassword {
 public:
  T7zPassword() = default;
  // An empty text counts as no password.
  explicit T7zPassword(QString text) : text_(std::move(text)) {}

  bool IsDefined() const { return !text_.isEmpty(); }
  const QString& Text() const { return text_; }
  // The library asked this password or a copy of it: the archive holds encrypted content.
  bool WasAsked() const { return *asked_; }

  // ICryptoGetTextPassword: the password, or S_FALSE without one, which makes the library
  // fail the item or the open instead of guessing.
  z7::HRESULT Answer(const T7zPlugin& plugin, z7::BSTR* password) const {
    if (!password) return z7::kPointer;
    *password = nullptr;
    *asked_ = true;
    if (!IsDefined()) return z7::kFalse;
    *password = plugin.AllocString(text_);
    return *password ? z7::kOk : z7::kOutOfMemory;
  }

 private:
  QString text_;
  // Shared by the copies the open and extract callbacks hold.
  std::shared_ptr<bool> asked_ = std::make_shared<bool>(false);
};
