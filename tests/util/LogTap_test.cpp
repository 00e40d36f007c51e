// The log lines a window's details view would show: what passes the logging rules reaches every
// tap, with its category, from any thread, and nothing once the tap is gone.
#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <QStringList>

#include <mutex>
#include <thread>

#include "util/LogTap.h"

Q_LOGGING_CATEGORY(lcTapTest, "harrowmint.taptest")

namespace {

struct Collected {
  std::mutex mutex;
  QStringList lines;
  void Add(const TLogLine& line) {
    std::lock_guard lock(mutex);
    lines << line.category + ' ' + QString::number(int(line.type)) + ' ' + line.message;
  }
};

TEST(LogTap, LinesThatPassTheRulesReachEveryTapUntilItGoes) {
  QLoggingCategory::setFilterRules(QStringLiteral("harrowmint.taptest.debug=false"));
  Collected first;
  Collected second;
  {
    TLogTap tapA([&](const TLogLine& line) { first.Add(line); });
    {
      TLogTap tapB([&](const TLogLine& line) { second.Add(line); });
      qCWarning(lcTapTest).noquote() << "engine failed";
      qCDebug(lcTapTest) << "filtered out";
      std::thread([] { qCInfo(lcTapTest).noquote() << "from the worker"; }).join();
    }
    qCWarning(lcTapTest).noquote() << "after the second tap";
  }
  qCWarning(lcTapTest).noquote() << "after both";
  QLoggingCategory::setFilterRules({});

  const QString warning = QString::number(int(QtWarningMsg));
  const QString info = QString::number(int(QtInfoMsg));
  EXPECT_EQ(second.lines, QStringList({"harrowmint.taptest " + warning + " engine failed",
                                       "harrowmint.taptest " + info + " from the worker"}));
  EXPECT_EQ(first.lines, QStringList({"harrowmint.taptest " + warning + " engine failed",
                                      "harrowmint.taptest " + info + " from the worker",
                                      "harrowmint.taptest " + warning + " after the second tap"}));
}

TEST(LogTap, WhatASinkLogsDoesNotComeBackToIt) {
  int calls = 0;
  {
    TLogTap tap([&](const TLogLine&) {
      ++calls;
      qCWarning(lcTapTest) << "logged by the sink";
    });
    qCWarning(lcTapTest) << "once";
  }
  EXPECT_EQ(calls, 1);
}

}  // namespace
