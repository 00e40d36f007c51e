// The RAR packer's console output as it comes through a pipe, cut into pieces anywhere.
#include <gtest/gtest.h>

#include <QList>

#include <algorithm>

#include "compress/rar/RarPercentReader.h"

namespace {

struct TCase {
  const char* name;
  QByteArray output;
  QList<quint64> reported;  // done values heard, of a total of 1000
};

void PrintTo(const TCase& c, std::ostream* os) { *os << c.name; }

class RarPercentReaderTest : public testing::TestWithParam<TCase> {};

TEST_P(RarPercentReaderTest, ReportsEachNewHighestShare) {
  const TCase& c = GetParam();
  // Whole, and split after every byte: a figure cut between two reads is still read.
  for (const int pieceSize : {int(c.output.size()), 1, 3}) {
    QList<quint64> heard;
    TRarPercentReader reader(1000, [&](quint64 done, quint64 total) {
      EXPECT_EQ(total, 1000u);
      heard << done;
    });
    for (qsizetype i = 0; i < c.output.size(); i += pieceSize) reader.Read(c.output.mid(i, pieceSize));
    EXPECT_EQ(heard, c.reported) << c.name << " in pieces of " << pieceSize;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, RarPercentReaderTest,
    testing::Values(
        TCase{"as rar 7 writes it",
              "Adding    big.bin      \b\b\b\b 11%\b\b\b\b 23%\b\b\b\b\b  OK \nAdding    z.bin  \b\b\b\b "
              "97%\b\b\b\b100%"
              "\b\b\b\b\b  OK \nDone\n",
              {110, 230, 970, 1000}},
        // A file the packer starts over (it then stores it) goes back in figures, never in what is told.
        TCase{"a file started over", " 40%\b\b\b\b 85%\b\b\b\b 11%\b\b\b\b 47%\b\b\b\b 90%", {400, 850, 900}},
        // Figures inside names, or beyond 100, are not the packer's share.
        TCase{"names with figures", "Adding    v12%.txt  OK \nAdding    1000%  \b\b\b\b 5%", {50}},
        TCase{"no figures at all", "RAR 7.01   Copyright (c) 1993-2024\nDone\n", {}}),
    [](const auto& info) {
      std::string name = info.param.name;
      std::replace(name.begin(), name.end(), ' ', '_');
      return name;
    });

}  // namespace
