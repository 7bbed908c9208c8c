/*
 * The floor of a whole run: the program's time() and srand() and as many
 * pairs of rand() calls as it makes at that clock value, PAIRS, and nothing
 * else: no checks and no report. No run that draws the way the program
 * does can take less. bench/attempts gives PAIRS for a clock value.
 *
 * usage: draws_only PAIRS
 */

#include <stdlib.h>
#include <time.h>

int main(int argc, char **argv) {
  unsigned long long pairs = argc > 1 ? strtoull(argv[1], NULL, 10) : 0;

  srand((unsigned)time(NULL));
  for (; pairs > 0; --pairs) {
    (void)rand();
    (void)rand();
  }
  return 0;
}
