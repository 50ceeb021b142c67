// The method-to-callback stubs: their code, and the executable blocks they
// live in.

#include "sys/FunctionWrapper.h"

#include <windows.h>

#include <cstring>
#include <initializer_list>

namespace function_wrapper {

namespace {

template <class T>
uint8_t* Put(uint8_t* at, T value) {
  for (size_t i = 0; i < sizeof(T); ++i) *at++ = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
  return at;
}

uint8_t* PutBytes(uint8_t* at, std::initializer_list<uint8_t> bytes) {
  for (uint8_t byte : bytes) *at++ = byte;
  return at;
}

}  // namespace

// The object is pushed under the return address, so the method sees it as its
// first argument; the stdcall method removes it with the system's arguments.
//   00  58              pop  eax               ; the caller's return address
//   01  68 <object>     push object
//   06  50              push eax
//   07  E9 <rel32>      jmp  method            ; relative to the stub's end
void BuildStubX86(uint8_t* code, uint32_t object, uint32_t method, uint32_t codeAddress) {
  uint8_t* at = code;
  at = PutBytes(at, {0x58, 0x68});
  at = Put<uint32_t>(at, object);
  at = PutBytes(at, {0x50, 0xE9});
  Put<uint32_t>(at, method - (codeAddress + static_cast<uint32_t>(kStubX86Size)));
}

// The x64 caller owns the stack above the return address (its home space), so
// the stub cannot slip an argument in there: it makes a frame of its own and
// calls the method with the arguments moved one place on, the system's fourth
// one going to the stack.
//   00  48 83 EC 38           sub  rsp, 38h       ; home space, 5th argument, 16-byte alignment
//   04  4C 89 4C 24 20        mov  [rsp+20h], r9
//   09  4D 89 C1              mov  r9, r8
//   0C  49 89 D0              mov  r8, rdx
//   0F  48 89 CA              mov  rdx, rcx
//   12  48 B9 <object:8>      mov  rcx, object
//   1C  48 B8 <method:8>      mov  rax, method
//   26  FF D0                 call rax
//   28  48 83 C4 38           add  rsp, 38h
//   2C  C3                    ret                 ; rax (or xmm0) as the method left it
// Only volatile registers are used. The unwind data describe the one prologue
// instruction, so that the system can walk from the method to the caller:
//   30  01 04 01 00           version 1, prologue of 4 bytes, 1 code
//   34  04 62 00 00           at offset 4: UWOP_ALLOC_SMALL of 38h (padding)
//   38  00000000 2D000000 30000000   RUNTIME_FUNCTION: code 00..2D, unwind data at 30
void BuildStubX64(uint8_t* block, uint64_t object, uint64_t method) {
  std::memset(block, 0, kBlockSize);
  uint8_t* at = block;
  at = PutBytes(at, {0x48, 0x83, 0xEC, 0x38});
  at = PutBytes(at, {0x4C, 0x89, 0x4C, 0x24, 0x20});
  at = PutBytes(at, {0x4D, 0x89, 0xC1});
  at = PutBytes(at, {0x49, 0x89, 0xD0});
  at = PutBytes(at, {0x48, 0x89, 0xCA});
  at = PutBytes(at, {0x48, 0xB9});
  at = Put<uint64_t>(at, object);
  at = PutBytes(at, {0x48, 0xB8});
  at = Put<uint64_t>(at, method);
  at = PutBytes(at, {0xFF, 0xD0});
  at = PutBytes(at, {0x48, 0x83, 0xC4, 0x38});
  PutBytes(at, {0xC3});
  PutBytes(block + kUnwindInfoOffset, {0x01, 0x04, 0x01, 0x00, 0x04, 0x62, 0x00, 0x00});
  at = Put<uint32_t>(block + kRuntimeFunctionOffset, 0);
  at = Put<uint32_t>(at, kStubX64Size);
  Put<uint32_t>(at, kUnwindInfoOffset);
}

}  // namespace function_wrapper

void* MakeFunctionWrapper(void* object, const void* method) {
  using namespace function_wrapper;
  auto* block =
      static_cast<uint8_t*>(VirtualAlloc(nullptr, kBlockSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
  if (!block) throw EAssertionFailed("{9FA7DAE8-0FA4-4223-8230-8CA14DAAF451}", "FunctionWrapper");
#if defined(_M_X64) || defined(__x86_64__)
  BuildStubX64(block, reinterpret_cast<uint64_t>(object), reinterpret_cast<uint64_t>(method));
  // Without it an exception or a stack walk inside the method would take the
  // stub for a leaf function and lose its way.
  RtlAddFunctionTable(reinterpret_cast<PRUNTIME_FUNCTION>(block + kRuntimeFunctionOffset), 1,
                      reinterpret_cast<DWORD64>(block));
#else
  BuildStubX86(block, reinterpret_cast<uint32_t>(object), reinterpret_cast<uint32_t>(method),
               reinterpret_cast<uint32_t>(block));
#endif
  FlushInstructionCache(GetCurrentProcess(), block, kBlockSize);
  return block;
}

void FreeFunctionWrapper(void* stub) {
  if (!stub) return;
#if defined(_M_X64) || defined(__x86_64__)
  RtlDeleteFunctionTable(
      reinterpret_cast<PRUNTIME_FUNCTION>(static_cast<uint8_t*>(stub) + function_wrapper::kRuntimeFunctionOffset));
#endif
  VirtualFree(stub, 0, MEM_RELEASE);
}
