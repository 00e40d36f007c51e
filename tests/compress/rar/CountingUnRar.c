/* A stand-in for the unrar library that opens any archive as an empty one and notes whether two
 * archives were ever open at once: each opening waits a while for another to come, so that
 * callers that do not take turns are caught. */
#include <stdatomic.h>
#include <stdlib.h>
#include <time.h>

static atomic_int openArchives;
static atomic_int overlapped;

static void Nap(long ms) {
  struct timespec t = {ms / 1000, (ms % 1000) * 1000000L};
  nanosleep(&t, NULL);
}

void* RAROpenArchiveEx(void* data) {
  (void)data;
  if (atomic_fetch_add(&openArchives, 1) > 0) atomic_store(&overlapped, 1);
  for (int waited = 0; waited < 1000 && !atomic_load(&overlapped); waited += 10) Nap(10);
  return malloc(1);
}
int RARCloseArchive(void* handle) {
  atomic_fetch_sub(&openArchives, 1);
  free(handle);
  return 0;
}
int RARReadHeaderEx(void* handle, void* header) { return 10; /* end of archive */ }
int RARProcessFile(void* handle, int operation, char* destPath, char* destName) { return 0; }
void* RAROpenArchive(void* data) { return NULL; }
int RARReadHeader(void* handle, void* header) { return 10; }
void RARSetCallback(void* handle, void* callback, long userData) {}
void RARSetChangeVolProc(void* handle, void* proc) {}
void RARSetProcessDataProc(void* handle, void* proc) {}
void RARSetPassword(void* handle, char* password) {}
int RARGetDllVersion(void) { return 8; }

/* For the test: whether two archives were open at the same time. */
int CountingUnRarOverlapped(void) { return atomic_load(&overlapped); }
