// The method-to-callback stub: the x86 bytes as the 32-bit build writes them,
// and the stub of this build called directly, by the system's timer and from
// a harness that checks the stack and the registers the caller relies on.

#include "sys/FunctionWrapper.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

using namespace function_wrapper;

// Calls `target` with args[0..3] after loading every register the calling
// convention keeps across a call with a value of its own; the report holds
// the result, the stack pointer the call must give back and the one it gave
// back, and the kept registers after the call.
extern "C" {
uintptr_t kivCallReport[11];
uintptr_t kivSavedRsp;
void KivCallChecked(const void* target, const uintptr_t* args);
extern const char kivAfterCall[];
}

#if defined(__x86_64__)
constexpr int kKeptRegisters = 8;
asm(R"(
  .text
  .globl KivCallChecked
KivCallChecked:
  push %rbx
  push %rbp
  push %rsi
  push %rdi
  push %r12
  push %r13
  push %r14
  push %r15
  sub $0x28, %rsp
  mov %rcx, %rax
  mov %rdx, %r10
  movabs $0x1111111111111111, %rbx
  movabs $0x2222222222222222, %rbp
  movabs $0x3333333333333333, %rsi
  movabs $0x4444444444444444, %rdi
  movabs $0x5555555555555555, %r12
  movabs $0x6666666666666666, %r13
  movabs $0x7777777777777777, %r14
  movabs $0x8888888888888888, %r15
  mov %rsp, kivSavedRsp(%rip)
  mov (%r10), %rcx
  mov 8(%r10), %rdx
  mov 16(%r10), %r8
  mov 24(%r10), %r9
  call *%rax
  .globl kivAfterCall
kivAfterCall:
  lea kivCallReport(%rip), %r10
  mov %rax, (%r10)
  mov kivSavedRsp(%rip), %r11
  mov %r11, 8(%r10)
  mov %rsp, 16(%r10)
  mov %rbx, 24(%r10)
  mov %rbp, 32(%r10)
  mov %rsi, 40(%r10)
  mov %rdi, 48(%r10)
  mov %r12, 56(%r10)
  mov %r13, 64(%r10)
  mov %r14, 72(%r10)
  mov %r15, 80(%r10)
  mov kivSavedRsp(%rip), %rsp
  add $0x28, %rsp
  pop %r15
  pop %r14
  pop %r13
  pop %r12
  pop %rdi
  pop %rsi
  pop %rbp
  pop %rbx
  ret
)");
#else
// stdcall: the arguments pushed right to left, removed by the callee; ebx,
// ebp, esi and edi kept.
constexpr int kKeptRegisters = 4;
asm(R"(
  .text
  .globl _KivCallChecked
_KivCallChecked:
  push %ebp
  push %ebx
  push %esi
  push %edi
  mov 20(%esp), %eax
  mov 24(%esp), %ecx
  mov %esp, _kivSavedRsp
  push 12(%ecx)
  push 8(%ecx)
  push 4(%ecx)
  push (%ecx)
  mov $0x11111111, %ebx
  mov $0x22222222, %ebp
  mov $0x33333333, %esi
  mov $0x44444444, %edi
  call *%eax
  .globl _kivAfterCall
_kivAfterCall:
  mov %eax, _kivCallReport
  mov _kivSavedRsp, %ecx
  mov %ecx, _kivCallReport+4
  mov %esp, _kivCallReport+8
  mov %ebx, _kivCallReport+12
  mov %ebp, _kivCallReport+16
  mov %esi, _kivCallReport+20
  mov %edi, _kivCallReport+24
  mov _kivSavedRsp, %esp
  pop %edi
  pop %esi
  pop %ebx
  pop %ebp
  ret
)");
#endif

namespace {

using Bytes = std::vector<uint8_t>;

Bytes StubX86(uint32_t object, uint32_t method, uint32_t address) {
  Bytes code(kStubX86Size + 4, 0xAA);
  BuildStubX86(code.data(), object, method, address);
  EXPECT_EQ(Bytes(code.end() - 4, code.end()), Bytes(4, 0xAA)) << "written beyond the 12 bytes";
  code.resize(kStubX86Size);
  return code;
}

TEST(StubX86, PushesTheObjectUnderTheReturnAddressAndJumpsToTheMethod) {
  // A method below the stub: the displacement is negative.
  EXPECT_EQ(StubX86(0x11223344, 0x00401000, 0x00500000),
            (Bytes{0x58, 0x68, 0x44, 0x33, 0x22, 0x11, 0x50, 0xE9, 0xF4, 0x0F, 0xF0, 0xFF}));
  // Above it, across half the address space, counted from the stub's end.
  EXPECT_EQ(StubX86(0x00000001, 0x7FFE0000, 0x00010000),
            (Bytes{0x58, 0x68, 0x01, 0x00, 0x00, 0x00, 0x50, 0xE9, 0xF4, 0xFF, 0xFC, 0x7F}));
  EXPECT_EQ(StubX86(0xFFFFFFF0, 0x1000000C, 0x10000000),
            (Bytes{0x58, 0x68, 0xF0, 0xFF, 0xFF, 0xFF, 0x50, 0xE9, 0x00, 0x00, 0x00, 0x00}));
}

// What a method saw of its call.
struct Call {
  void* self;
  uintptr_t a1, a2, a3, a4;
  bool alignedStack;
};

struct Recorder {
  std::vector<Call> calls;
  uintptr_t result = 0;
};

bool StackAligned() {
#if defined(__x86_64__)
  // The compiler lays out the array for a stack aligned as the convention
  // promises (16 bytes); a misaligning caller shows through its address.
  alignas(16) volatile char probe[16] = {};
  uintptr_t address = reinterpret_cast<uintptr_t>(&probe[0]);
  asm volatile("" : "+r"(address));
  return address % 16 == 0;
#else
  // x86 promises 4 bytes, and the build realigns wherever it needs more
  // (a stub that slips a word in shifts the caller's alignment by 4).
  uintptr_t sp;
  asm volatile("movl %%esp, %0" : "=r"(sp));
  return sp % 4 == 0;
#endif
}

uintptr_t CALLBACK Method(Recorder* self, uintptr_t a1, uintptr_t a2, uintptr_t a3, uintptr_t a4) {
  self->calls.push_back({self, a1, a2, a3, a4, StackAligned()});
  return self->result + a1 + a4;
}

using Callback = uintptr_t(CALLBACK*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t);

// A stub made and released with the test.
class Stub {
 public:
  Stub(void* object, const void* method) : stub_(MakeFunctionWrapper(object, method)) {}
  ~Stub() { FreeFunctionWrapper(stub_); }
  Stub(const Stub&) = delete;
  Stub& operator=(const Stub&) = delete;
  template <class F>
  F As() const {
    return reinterpret_cast<F>(stub_);
  }

 private:
  void* stub_;
};

TEST(FunctionWrapper, CallsTheMethodWithItsObjectFirstManyTimesOver) {
  Recorder first, second;
  first.result = 1000;
  second.result = 2000;
  Stub a(&first, reinterpret_cast<const void*>(&Method)), b(&second, reinterpret_cast<const void*>(&Method));
  const uintptr_t big = static_cast<uintptr_t>(-1) - 7;
  for (uintptr_t i = 0; i < 20000; ++i) {
    const uintptr_t result = (i % 2 ? b : a).As<Callback>()(i, big - i, i * 3, i + 11);
    ASSERT_EQ(result, (i % 2 ? 2000 : 1000) + i + i + 11) << "call " << i;
  }
  ASSERT_EQ(first.calls.size(), 10000u);
  ASSERT_EQ(second.calls.size(), 10000u);
  for (size_t k = 0; k < first.calls.size(); ++k) {
    const Call& call = first.calls[k];
    const uintptr_t i = 2 * k;
    ASSERT_EQ(call.self, &first);
    ASSERT_EQ(call.a1, i);
    ASSERT_EQ(call.a2, big - i);
    ASSERT_EQ(call.a3, i * 3);
    ASSERT_EQ(call.a4, i + 11);
    ASSERT_TRUE(call.alignedStack) << "call " << i;
  }
  EXPECT_EQ(second.calls.back().self, &second);
  EXPECT_EQ(second.calls.back().a1, 19999u);
}

// The use the stub is made for: a timer procedure without a window.
struct Ticks {
  int count = 0;
  Ticks* self = nullptr;
  HWND hwnd = reinterpret_cast<HWND>(1);
  UINT message = 0;
  UINT_PTR id = 0;
  DWORD time = 0;
};

void CALLBACK Tick(Ticks* self, HWND hwnd, UINT message, UINT_PTR id, DWORD time) {
  ++self->count;
  self->self = self;
  self->hwnd = hwnd;
  self->message = message;
  self->id = id;
  self->time = time;
}

TEST(FunctionWrapper, ServesAsTheSystemsTimerProcedure) {
  Ticks ticks;
  Stub stub(&ticks, reinterpret_cast<const void*>(&Tick));
  const UINT_PTR id = SetTimer(nullptr, 0, 10, stub.As<TIMERPROC>());
  ASSERT_NE(id, 0u);
  const DWORD started = GetTickCount();
  while (ticks.count < 5 && GetTickCount() - started < 5000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  KillTimer(nullptr, id);
  ASSERT_GE(ticks.count, 5);
  EXPECT_EQ(ticks.self, &ticks);
  EXPECT_EQ(ticks.hwnd, nullptr);
  EXPECT_EQ(ticks.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(ticks.id, id);
  EXPECT_LE(ticks.time - started, 6000u);
}

TEST(FunctionWrapper, LeavesTheStackAndTheKeptRegistersAsTheCallerHadThem) {
  Recorder recorder;
  recorder.result = 7;
  Stub stub(&recorder, reinterpret_cast<const void*>(&Method));
  const auto pattern = [](uint8_t byte) {
    uintptr_t value = 0;
    for (size_t i = 0; i < sizeof(value); ++i) value = (value << 8) | byte;
    return value;
  };
  for (uintptr_t i = 0; i < 1000; ++i) {
    const uintptr_t args[4] = {i, pattern(0xA1), pattern(0xB2), pattern(0xC3) - i};
    KivCallChecked(stub.As<const void*>(), args);
    ASSERT_EQ(kivCallReport[0], 7 + i + (pattern(0xC3) - i));
    ASSERT_EQ(kivCallReport[2], kivCallReport[1])
        << "the stack pointer moved by " << kivCallReport[2] - kivCallReport[1];
    for (int r = 0; r < kKeptRegisters; ++r)
      ASSERT_EQ(kivCallReport[3 + r], pattern(static_cast<uint8_t>(0x11 * (r + 1))))
          << "register " << r << ", call " << i;
    ASSERT_EQ(recorder.calls.back().a2, pattern(0xA1));
    ASSERT_EQ(recorder.calls.back().a4, pattern(0xC3) - i);
    ASSERT_TRUE(recorder.calls.back().alignedStack);
  }
}

#if defined(__x86_64__)

// Where a stack walk from inside the method led, frame by frame.
struct Walk {
  std::vector<DWORD64> rips, rsps;
};
Walk g_walk;

uintptr_t Walking(Recorder*, uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  CONTEXT context;
  RtlCaptureContext(&context);
  g_walk = {};
  for (int frame = 0; frame < 3; ++frame) {
    DWORD64 imageBase = 0;
    PRUNTIME_FUNCTION entry = RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
    if (entry) {
      void* handlerData = nullptr;
      DWORD64 establisher = 0;
      RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, context.Rip, entry, &context, &handlerData, &establisher, nullptr);
    } else {
      // What the system assumes of code it knows nothing about: a leaf.
      context.Rip = *reinterpret_cast<DWORD64*>(context.Rsp);
      context.Rsp += 8;
    }
    g_walk.rips.push_back(context.Rip);
    g_walk.rsps.push_back(context.Rsp);
  }
  return 0;
}

uintptr_t Throwing(Recorder* self, uintptr_t a1, uintptr_t, uintptr_t, uintptr_t) {
  self->calls.push_back({self, a1, 0, 0, 0, true});
  throw std::runtime_error("thrown in the method");
}

TEST(FunctionWrapper, StackWalksAndExceptionsPassThroughTheStub) {
  Recorder recorder;
  Stub walking(&recorder, reinterpret_cast<const void*>(&Walking));
  const uintptr_t args[4] = {1, 2, 3, 4};
  KivCallChecked(walking.As<const void*>(), args);
  // Method, stub, then the caller, with its stack as it was at the call.
  ASSERT_EQ(g_walk.rips.size(), 3u);
  EXPECT_EQ(g_walk.rips[1], reinterpret_cast<DWORD64>(kivAfterCall));
  EXPECT_EQ(g_walk.rsps[1], kivSavedRsp);

  Stub throwing(&recorder, reinterpret_cast<const void*>(&Throwing));
  for (uintptr_t i = 0; i < 3; ++i) {
    try {
      throwing.As<Callback>()(i, 0, 0, 0);
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "thrown in the method");
    }
  }
  EXPECT_EQ(recorder.calls.size(), 3u);
}

#endif

}  // namespace
