/* A library that a hostile package carries in place of the MPEG and password
   libraries: loading it is enough to leave a mark, in the file named by
   VANTOR_TEST_MARKER. */
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

__attribute__((constructor)) static void leaveMark(void) {
  const char *marker = getenv("VANTOR_TEST_MARKER");
  if (!marker) return;
  int fd = open(marker, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  if (write(fd, "loaded\n", 7) != 7) {
  }
  close(fd);
}
