#pragma once
// The program's log lines for whoever wants to show them, such as a window's details view: while
// a TLogTap lives, every message that passes the logging rules (QLoggingCategory) reaches its
// sink, on the thread that logged it, and then goes on to the handler that was there before
// (standard error). Taps may be made and dropped on any thread, in any order.
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

struct TLogLine {
  QtMsgType type = QtDebugMsg;
  QString category;  // "harrowmint.engine", "harrowmint.job", ...
  QString message;
};

class TLogTap {
 public:
  using TSink = std::function<void(const TLogLine& line)>;

  // What the sink logs itself goes to the previous handler only. A line logged while the tap is
  // being dropped on another thread may still reach the sink.
  explicit TLogTap(TSink sink);
  ~TLogTap();
  TLogTap(const TLogTap&) = delete;
  TLogTap& operator=(const TLogTap&) = delete;

 private:
  std::shared_ptr<const TSink> sink_;
};
