#include "core/survey/machine_stamp.h"

#include <cstdint>
#include <cstdio>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#define VELMORA_HAS_CPUID 1
#elif defined(_M_IX86) || defined(_M_X64)
#include <intrin.h>
#define VELMORA_HAS_CPUID 1
#else
#include <cstdlib>
#include <fstream>
#include <iterator>
#endif

namespace velmora::survey {

#ifdef VELMORA_HAS_CPUID
namespace {

// EBX of leaf 1: bits 0-7 brand index, 8-15 cache-line flush size, 16-23 logical processors of the
// package (all properties of the processor); bits 24-31 the initial APIC id of the core that ran the
// instruction. The core's id is cleared so that every core of one computer gives one stamp.
constexpr unsigned kProcessorBitsOfEbx = 0x00FFFFFFu;

}  // namespace
#endif

std::string FormatMachineStamp(unsigned eax, unsigned ebx, unsigned ecx, unsigned edx) {
  char text[33];
  std::snprintf(text, sizeof text, "%08X%08X%08X%08X", eax & 0xFFFFFFFFu, ebx & 0xFFFFFFFFu, ecx & 0xFFFFFFFFu,
                edx & 0xFFFFFFFFu);
  return text;
}

#ifndef VELMORA_HAS_CPUID
namespace {

// The first readable stable identifier of this machine.
std::string MachineIdentifier() {
  for (const char* file : {"/etc/machine-id", "/var/lib/dbus/machine-id", "/etc/hostname"}) {
    std::ifstream in(file, std::ios::binary);
    std::string id((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    while (!id.empty() && (id.back() == '\n' || id.back() == '\r' || id.back() == ' ')) id.pop_back();
    if (!id.empty()) return id;
  }
  for (const char* variable : {"COMPUTERNAME", "HOSTNAME"}) {
    if (const char* value = std::getenv(variable)) return value;
  }
  return "velmora";
}

// 64-bit FNV-1a from a given start value.
std::uint64_t Fnv1a(const std::string& text, std::uint64_t hash) {
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 0x100000001B3ull;
  }
  return hash;
}

}  // namespace
#endif

std::string GetMachineStamp() {
#if defined(__i386__) || defined(__x86_64__)
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  __get_cpuid(1, &eax, &ebx, &ecx, &edx);
  return FormatMachineStamp(eax, ebx & kProcessorBitsOfEbx, ecx, edx);
#elif defined(VELMORA_HAS_CPUID)
  int regs[4] = {0, 0, 0, 0};
  __cpuid(regs, 1);
  return FormatMachineStamp(static_cast<unsigned>(regs[0]), static_cast<unsigned>(regs[1]) & kProcessorBitsOfEbx,
                            static_cast<unsigned>(regs[2]), static_cast<unsigned>(regs[3]));
#else
  const std::string id = MachineIdentifier();
  const std::uint64_t high = Fnv1a(id, 0xCBF29CE484222325ull);
  const std::uint64_t low = Fnv1a(id, high ^ 0x9E3779B97F4A7C15ull);
  return FormatMachineStamp(static_cast<unsigned>(high >> 32), static_cast<unsigned>(high),
                            static_cast<unsigned>(low >> 32), static_cast<unsigned>(low));
#endif
}

}  // namespace velmora::survey
