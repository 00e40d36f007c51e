#pragma once
// Calls a functor on the thread of a QObject through its event queue, as QMetaObject::invokeMethod
// does with a queued or a blocking queued connection, and tells the race checker of the hand-over
// Qt makes there: what the caller did before is seen by the functor, and with a blocking call what
// the functor did is seen by the caller after it returns. The copy of the functor Qt's inline code
// makes for the other thread is left unrecorded: its hand-over lies wholly inside Qt.
#include <QMetaObject>
#include <QObject>

#include <utility>

#include "util/RaceCheckerHints.h"

template <typename Functor>
void CallOnThreadOf(QObject& target, Functor functor, Qt::ConnectionType type) {
  HandedOver(&target);
  const TUnrecordedAccesses handOver;
  QMetaObject::invokeMethod(
      &target,
      [&target, functor = std::move(functor)]() mutable {
        TakenOver(&target);
        functor();
        HandedOver(&target);
      },
      type);
  if (type == Qt::BlockingQueuedConnection) TakenOver(&target);
}
