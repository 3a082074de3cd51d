#pragma once
// The machine stamp stored in c900 with every record: 32 upper-case hexadecimal digits that identify
// the processor of the computer that stored the record, the same on each of its cores.

#include <string>

namespace velmora::survey {

// On x86 and x86-64: the processor identification of leaf 1, registers EAX, EBX, ECX and EDX, each
// as 8 upper-case hexadecimal digits, with the core's APIC id (EBX bits 24-31) cleared. Elsewhere: 32 upper-case hexadecimal digits derived from the
// machine's stable identifier.
std::string GetMachineStamp();

// Registers as the stamp writes them (exposed for the tests of the formatting).
std::string FormatMachineStamp(unsigned eax, unsigned ebx, unsigned ecx, unsigned edx);

}  // namespace velmora::survey
