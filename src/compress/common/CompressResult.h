#pragma once
// Result codes of every extraction and listing operation. The values are fixed: the job runner
// maps them to status texts.
enum TCompressResult : int {
  crSuccess = 1,
  crFailed = -1,
  crWrongPassword = -2,
  crFileNotFound = -3,
  crCreateDirFailed = -4,
  crEngineLoadFailed = -5,
};

// m_Error values the engines report besides the RAR library's own numbers.
constexpr int kErrorNone = 0;
constexpr int kErrorBadData = 12;
constexpr int kErrorMissingPassword = 22;
constexpr int kErrorNotLoaded = 99;
