// The function table of the MPEG audio library. A program loads the library
// at run time and binds these names; the signatures are fixed.
//
// Devices: 0 plays on the default audio output; 2 writes raw signed 16-bit
// little-endian PCM at the stream's own rate and channel count to the named
// file. Positions and lengths are in milliseconds. LastError() answers for
// the call made just before it: 0 no error, 1 internal decoder error,
// 2 incorrect mode, 3 input stream error, 4 input stream is non-seekable,
// 5 output device failure.
#ifndef MPEGDLL_MPEGDLL_H
#define MPEGDLL_MPEGDLL_H

#include <stdint.h>

#if defined(__GNUC__)
#define MPEGDLL_EXPORT __attribute__((visibility("default")))
#else
#define MPEGDLL_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Player modes answered by GetPlayerMode. */
enum {
  MPEGDLL_MODE_CLOSED = 0,  /* no stream open */
  MPEGDLL_MODE_STOPPED = 1, /* a stream is open and silent */
  MPEGDLL_MODE_PAUSED = 2,
  MPEGDLL_MODE_PLAYING = 3,
  MPEGDLL_MODE_ENDED = 4 /* played to its end; the end flag is set */
};

MPEGDLL_EXPORT uint8_t init(void);
MPEGDLL_EXPORT void deinit(void);
MPEGDLL_EXPORT void Open(const char *name, int32_t fromStream, void *onOpen, void *onClose,
                         void *onRestart, void *onGetSize, void *onSeek, void *onRead,
                         void *context);
MPEGDLL_EXPORT void SetPriority(int32_t priority);
MPEGDLL_EXPORT void SetOutputDevice(int32_t device, const char *outFileName);
MPEGDLL_EXPORT int32_t Play(int32_t startPos, int32_t endPos, volatile uint8_t *endFlag);
MPEGDLL_EXPORT void Restart(void);
MPEGDLL_EXPORT void Stop(void);
MPEGDLL_EXPORT void Close(void);
MPEGDLL_EXPORT void Pause(void);
MPEGDLL_EXPORT int32_t GetPlayerMode(void);
MPEGDLL_EXPORT int32_t GetCurrentPos(void);
MPEGDLL_EXPORT int32_t GetLength(void);
MPEGDLL_EXPORT int32_t LastError(void);
MPEGDLL_EXPORT int32_t GetFrequency(void);
MPEGDLL_EXPORT int32_t GetBitrate(void);
MPEGDLL_EXPORT int32_t GetLayer(void);
MPEGDLL_EXPORT void ResetPlayerMode(void);
MPEGDLL_EXPORT void Seek(int32_t positionMs);

#ifdef __cplusplus
}
#endif

#endif
