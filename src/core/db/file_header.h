#pragma once
// What the first bytes of a file say about it: the engine's plain header, and the scrambled head by
// which a reporting package is marked.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velmora::db {

// A plain database file starts with the engine's 16-byte header; its byte 0 is the plain-file byte.
inline constexpr char kPlainHeader[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f',
                                          'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};
inline constexpr std::uint8_t kPlainFileByte = 0x53;
// The older package marking: the first 16 bytes were replaced and byte 0 reads 0x66.
inline constexpr std::uint8_t kLegacyPackageByte = 0x66;
// A package scrambles its first 1024 bytes: b -> ((b + A) mod 256) xor K.
inline constexpr std::size_t kPackageHeadSize = 1024;
inline constexpr std::uint8_t kPackageAdd = 0x3D;   // A
inline constexpr std::uint8_t kPackageMask = 0xA7;  // K

constexpr std::uint8_t ScramblePackageByte(std::uint8_t b) {
  return static_cast<std::uint8_t>(static_cast<std::uint8_t>(b + kPackageAdd) ^ kPackageMask);
}
constexpr std::uint8_t RestorePackageByte(std::uint8_t b) {
  return static_cast<std::uint8_t>(static_cast<std::uint8_t>(b ^ kPackageMask) - kPackageAdd);
}
// Byte 0 of a package: the scrambled image of the plain-file byte.
constexpr std::uint8_t PackageMarker() { return ScramblePackageByte(kPlainFileByte); }

static_assert(PackageMarker() != kPlainFileByte && PackageMarker() != kLegacyPackageByte);
static_assert(RestorePackageByte(PackageMarker()) == kPlainFileByte);

// Reads up to `count` bytes from the start of a file into `head` (fewer when the file is shorter);
// false when it cannot be read.
bool ReadFileHead(const std::filesystem::path& file, std::size_t count, std::vector<unsigned char>& head);

// True when the file starts with the 16-byte plain header.
bool HasPlainHeader(const std::string& file);

}  // namespace velmora::db
