#include "compress/zip/ZipInputThreads.h"

#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "compress/zip/ZipInput.h"

void RunOnInputs(const QString& zipFile, TZipInput& own, size_t helpers,
                 const std::function<void(TZipInput&)>& work) {
  std::vector<std::unique_ptr<TZipInput>> inputs;
  std::vector<std::jthread> threads;  // joined before the inputs go
  for (size_t t = 0; t < helpers; ++t) {
    inputs.push_back(std::make_unique<TZipInput>());
    if (!inputs.back()->Open(zipFile)) break;
    try {
      threads.emplace_back(work, std::ref(*inputs.back()));
    } catch (const std::system_error&) {
      break;
    }
  }
  work(own);
}
