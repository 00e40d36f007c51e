#pragma once
// Reads the RAR packer's progress from its console output: it prints the share of the whole job
// done as "  42%" behind backspaces, and may start a file over (a file it then stores). Pieces
// may split a figure anywhere; what is reported never goes back.
#include <QByteArray>

#include "compress/common/Progress.h"

class TRarPercentReader {
 public:
  // total: the source bytes being packed; each new highest percentage reaches progress as that
  // share of them.
  TRarPercentReader(quint64 total, TByteProgress progress) : total_(total), progress_(std::move(progress)) {}

  void Read(const QByteArray& piece);
  int percent() const { return best_; }

 private:
  quint64 total_;
  TByteProgress progress_;
  QByteArray digits_;      // a figure not yet closed by '%'
  bool inFigure_ = false;  // the digits that follow may be a figure
  int best_ = 0;
};
