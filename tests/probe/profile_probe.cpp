// Writes or reads a settings file with the Windows private-profile functions, for the
// native test that checks that both builds share one configuration file.
//   profile_probe write <path>   writes the sample settings into the file
//   profile_probe read <path>    prints what the programs would read from it
#include <cstdio>
#include <cstring>

#include "exchange_sample.h"

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "write") == 0) {
    oxprobe::WriteExchangeSample(argv[2]);
    return 0;
  }
  if (argc == 3 && strcmp(argv[1], "read") == 0) {
    printf("BEGIN\n%sEND\n", oxprobe::ReadAndDump(argv[2]).c_str());
    return 0;
  }
  fprintf(stderr, "usage: profile_probe write|read <path>\n");
  return 2;
}
