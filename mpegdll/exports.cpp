// The exported C functions, each handing over to the library's one player.
#include "mpegdll.h"
#include "player.h"

namespace {

mpegdll::Player &player() {
  static mpegdll::Player instance;
  return instance;
}

}  // namespace

extern "C" {

uint8_t init(void) {
  return player().init() ? 1 : 0;
}
void deinit(void) {
  player().deinit();
}

void Open(const char *name, int32_t fromStream, void *, void *, void *, void *, void *, void *,
          void *) {
  player().open(name, fromStream != 0);
}

void SetPriority(int32_t priority) {
  player().setPriority(priority);
}
void SetOutputDevice(int32_t device, const char *outFileName) {
  player().setOutputDevice(device, outFileName);
}
int32_t Play(int32_t startPos, int32_t endPos, volatile uint8_t *endFlag) {
  return player().play(startPos, endPos, endFlag);
}
void Restart(void) {
  player().restart();
}
void Stop(void) {
  player().stop();
}
void Close(void) {
  player().close();
}
void Pause(void) {
  player().pause();
}
int32_t GetPlayerMode(void) {
  return player().mode();
}
int32_t GetCurrentPos(void) {
  return player().position();
}
int32_t GetLength(void) {
  return player().length();
}
int32_t LastError(void) {
  return player().lastError();
}
int32_t GetFrequency(void) {
  return player().frequency();
}
int32_t GetBitrate(void) {
  return player().bitrate();
}
int32_t GetLayer(void) {
  return player().layer();
}
void ResetPlayerMode(void) {
  player().resetMode();
}
void Seek(int32_t positionMs) {
  player().seek(positionMs);
}

}  // extern "C"
