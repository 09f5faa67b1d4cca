// Test audio made at run time with Debian's sox, lame and mpg123, and small
// helpers for waiting on players that work in the background.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "../common/test_util.h"

namespace testaudio {

using vantor::test::TempDir;

// Runs a shell command; true when it exits with 0.
bool run(const std::string &command);

// A 16-bit WAV of a sine tone (440 Hz left, 660 Hz right when stereo).
bool makeTone(const std::string &wav, double seconds, int rate, int channels);
// The WAV encoded at a constant 128 kbit/s.
bool makeMp3(const std::string &wav, const std::string &mp3);
// The stream decoded by the mpg123 program to raw 16-bit PCM.
bool decodeWithMpg123(const std::string &mp3, const std::string &pcm);

std::vector<uint8_t> readBytes(const std::string &path);
// The file's size in bytes; 0 while it does not exist.
uintmax_t sizeOf(const std::string &path);
std::vector<int16_t> readS16(const std::string &path);
int peakOf(const std::vector<int16_t> &samples);

// Polls `done` every few milliseconds; false if it never holds within `limit`.
bool waitFor(const std::function<bool()> &done,
             std::chrono::milliseconds limit = std::chrono::seconds(20));

}  // namespace testaudio
