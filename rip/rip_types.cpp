// Sample-format conversions used on the way to the output files.
#include "rip/rip_types.h"

uint32_t SamplesTo8Bit(const int16_t* src, uint8_t* dst, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    const auto high = static_cast<uint8_t>(static_cast<uint16_t>(src[i]) >> 8);
    dst[i] = static_cast<uint8_t>(high - 128);
  }
  return count;
}

void MaskSamples(int16_t* samples, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) samples[i] = static_cast<int16_t>(samples[i] & SampleMask);
}

void Widen16To32(const int16_t* src, int32_t* dst, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) dst[i] = static_cast<int32_t>(static_cast<uint32_t>(src[i]) << 16);
}

void Narrow32To16(const int32_t* src, int16_t* dst, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) dst[i] = static_cast<int16_t>(src[i] >> 16);
}

std::string WideToAnsi(const char* text) {
  return text ? WideToAnsi(std::string_view(text)) : std::string();
}

std::string WideToAnsi(std::string_view text) {
  // A C string handed to the encoder ends at the first NUL anyway; cut there
  // so the caller sees what the library will see.
  return std::string(text.substr(0, text.find('\0')));
}
