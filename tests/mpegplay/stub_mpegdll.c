/* A stand-in for the MPEG audio library that records what it is asked to
   do. Built in variants: STUB_OMIT_SEEK leaves one export out, and
   STUB_INIT_ERROR makes init fail with that error code. */
#include <stdint.h>
#include <string.h>

#define EXPORT __attribute__((visibility("default")))

static int32_t lastError, device = -1, priority = -99, startPos = -1, endPos = -1, opened;
static char outName[300], streamName[600];

EXPORT uint8_t init(void) {
#ifdef STUB_INIT_ERROR
  lastError = STUB_INIT_ERROR;
  return 0;
#else
  return 1;
#endif
}
EXPORT void deinit(void) {}
EXPORT void Open(const char *name, int32_t fromStream, void *a, void *b, void *c, void *d, void *e,
                 void *f, void *context) {
  (void)fromStream, (void)a, (void)b, (void)c, (void)d, (void)e, (void)f, (void)context;
  strncpy(streamName, name, sizeof streamName - 1);
  opened = 1;
}
EXPORT void SetPriority(int32_t p) {
  priority = p;
}
EXPORT void SetOutputDevice(int32_t d, const char *name) {
  device = d;
  strncpy(outName, name, sizeof outName - 1);
}
EXPORT int32_t Play(int32_t s, int32_t e, volatile uint8_t *endFlag) {
  startPos = s, endPos = e;
  *endFlag = 1;
  return 0;
}
EXPORT void Restart(void) {}
EXPORT void Stop(void) {}
EXPORT void Close(void) {
  opened = 0;
}
EXPORT void Pause(void) {}
EXPORT int32_t GetPlayerMode(void) {
  return opened;
}
EXPORT int32_t GetCurrentPos(void) {
  return 250;
}
EXPORT int32_t GetLength(void) {
  return 1000;
}
EXPORT int32_t LastError(void) {
  return lastError;
}
EXPORT int32_t GetFrequency(void) {
  return 0;
}
EXPORT int32_t GetBitrate(void) {
  return 0;
}
EXPORT int32_t GetLayer(void) {
  return 0;
}
EXPORT void ResetPlayerMode(void) {}
#ifndef STUB_OMIT_SEEK
EXPORT void Seek(int32_t ms) {
  (void)ms;
}
#endif

/* What the test reads back. */
struct StubRecord {
  int32_t device, priority, startPos, endPos;
  const char *outName, *streamName;
};
EXPORT struct StubRecord stubRecord(void) {
  struct StubRecord r = {device, priority, startPos, endPos, outName, streamName};
  return r;
}
