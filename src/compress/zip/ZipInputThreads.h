#pragma once
// Work on an archive shared out over threads, each reading through an input of its own.
#include <QString>

#include <cstddef>
#include <functional>

class TZipInput;

// Runs `work` with `own` on the caller's thread and with an input of its own, opened on zipFile,
// on each of up to `helpers` more threads; returns when every run has returned. A helper whose
// input cannot be opened or whose thread cannot be started is left out: the others do its work,
// so `work` takes what is left to do from a shared source.
void RunOnInputs(const QString& zipFile, TZipInput& own, size_t helpers,
                 const std::function<void(TZipInput&)>& work);
