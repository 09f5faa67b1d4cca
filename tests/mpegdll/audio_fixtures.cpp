#include "audio_fixtures.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

namespace testaudio {

bool run(const std::string &command) {
  return std::system(command.c_str()) == 0;
}

bool makeTone(const std::string &wav, double seconds, int rate, int channels) {
  std::string tones = channels == 2 ? "sine 440 sine 660" : "sine 440";
  return run("sox -q -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) +
             " -b 16 '" + wav + "' synth " + std::to_string(seconds) + " " + tones + " vol 0.5");
}

bool makeMp3(const std::string &wav, const std::string &mp3) {
  return run("lame --quiet -b 128 '" + wav + "' '" + mp3 + "'");
}

bool decodeWithMpg123(const std::string &mp3, const std::string &pcm) {
  return run("mpg123 -q -s '" + mp3 + "' > '" + pcm + "'");
}

std::vector<uint8_t> readBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uintmax_t sizeOf(const std::string &path) {
  std::error_code ec;
  uintmax_t size = std::filesystem::file_size(path, ec);
  return ec ? 0 : size;
}

std::vector<int16_t> readS16(const std::string &path) {
  std::vector<uint8_t> bytes = readBytes(path);
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return samples;
}

int peakOf(const std::vector<int16_t> &samples) {
  int peak = 0;
  for (int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
  return peak;
}

bool waitFor(const std::function<bool()> &done, std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace testaudio
