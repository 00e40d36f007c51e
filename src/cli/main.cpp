#include <cstdio>

#include "BuildVersion.h"

int main() {
  std::printf("Harrowmint %s\n", HM_VERSION_TEXT);
  return 0;
}
