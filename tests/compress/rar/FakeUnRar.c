/* Every export of the unrar library, none of them working, and an interface version too old. */
#include <stddef.h>

void* RAROpenArchive(void* data) { return NULL; }
void* RAROpenArchiveEx(void* data) { return NULL; }
int RARCloseArchive(void* handle) { return 0; }
int RARReadHeader(void* handle, void* header) { return 10; }
int RARReadHeaderEx(void* handle, void* header) { return 10; }
int RARProcessFile(void* handle, int operation, char* destPath, char* destName) { return 0; }
void RARSetCallback(void* handle, void* callback, long userData) {}
void RARSetChangeVolProc(void* handle, void* proc) {}
void RARSetProcessDataProc(void* handle, void* proc) {}
void RARSetPassword(void* handle, char* password) {}
int RARGetDllVersion(void) { return 3; }
