#pragma once
// FunctionWrapper: a method of one object made into a plain function pointer
// that the system can call back (a timer procedure, an enumeration callback).
// The stub lives in a 128-byte block of executable memory of its own; when the
// system calls it with arguments a1 ... an, the method runs with (object,
// a1 ... an) and returns straight to the system.
//
// x86: the method is a stdcall routine, any number of arguments.
// x64: the method is an ordinary function of the x64 convention taking the
// object and up to four integer or pointer arguments (the system's callbacks
// take no floating-point ones); the stub has unwind data registered with the
// system, so stack walks and exceptions pass through it.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

// The run-time's assertion failure: the message, and the unit that asserted.
class EAssertionFailed : public std::logic_error {
 public:
  EAssertionFailed(const std::string& message, const char* unit) : std::logic_error(message), unit_(unit) {}
  [[nodiscard]] const char* Unit() const noexcept { return unit_; }

 private:
  const char* unit_;
};

// The stub for `object` and `method`, owned by the caller until
// FreeFunctionWrapper. Raises EAssertionFailed with the message
// "{9FA7DAE8-0FA4-4223-8230-8CA14DAAF451}" when the system gives no executable
// memory.
[[nodiscard]] void* MakeFunctionWrapper(void* object, const void* method);
// Releases the stub's whole block; null is ignored.
void FreeFunctionWrapper(void* stub);

// The stubs' machine code, written by plain functions so that each build's
// bytes can be checked on any build.
namespace function_wrapper {

constexpr size_t kBlockSize = 128;

// The 12 bytes of the x86 stub for a block at `codeAddress`.
constexpr size_t kStubX86Size = 12;
void BuildStubX86(uint8_t* code, uint32_t object, uint32_t method, uint32_t codeAddress);

// The x64 stub with its unwind data and function-table entry, for a whole
// block (the code does not depend on the block's address).
constexpr size_t kStubX64Size = 0x2D;
constexpr size_t kUnwindInfoOffset = 0x30;
constexpr size_t kRuntimeFunctionOffset = 0x38;
void BuildStubX64(uint8_t* block, uint64_t object, uint64_t method);

}  // namespace function_wrapper
