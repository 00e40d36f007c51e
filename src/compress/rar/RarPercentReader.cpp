#include "compress/rar/RarPercentReader.h"

void TRarPercentReader::Read(const QByteArray& piece) {
  for (const char c : piece) {
    const bool digit = c >= '0' && c <= '9';
    if (digit && inFigure_) {
      digits_ += c;
      inFigure_ = digits_.size() <= 3;
      continue;
    }
    if (c == '%' && inFigure_ && !digits_.isEmpty()) {
      const int value = digits_.toInt();
      if (value > best_ && value <= 100) {
        best_ = value;
        if (progress_) progress_(total_ * quint64(best_) / 100, total_);
      }
    }
    digits_.clear();
    // The packer puts its figure behind blanks or backspaces; a figure inside a name ("v12%.txt")
    // is not one.
    inFigure_ = c == ' ' || c == '\b';
  }
}
