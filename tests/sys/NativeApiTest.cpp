// The run-time binding of the native functions: lazy, per function, never
// looked up twice, failures named as the program reports them; the forwarding
// operations against Wine's ntdll (the discovery tests run them on fakes); the
// status test.

#include "sys/NativeApi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>

using namespace native;

namespace {

// Every test starts with an empty slot table and leaves the one it found.
class NativeApiTest : public testing::Test {
 protected:
  void SetUp() override {
    std::copy(std::begin(Slots), std::end(Slots), saved_);
    std::fill(std::begin(Slots), std::end(Slots), nullptr);
  }
  void TearDown() override { std::copy(std::begin(saved_), std::end(saved_), Slots); }

  static void* Export(const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name));
  }

 private:
  void* saved_[SlotCount] = {};
};

TEST_F(NativeApiTest, FilledSlotIsNeverLookedUpAgain) {
  int marker = 0;
  void* slot = &marker;
  // Neither the library nor the function exists: any lookup would raise.
  EXPECT_NO_THROW(BindProcSlot(slot, "kiv-no-such-library.dll", "NoSuchFunction"));
  EXPECT_EQ(slot, &marker);

  void* bound = nullptr;
  BindProcSlot(bound, "ntdll.dll", "NtClose");
  EXPECT_EQ(bound, Export("NtClose"));
}

TEST_F(NativeApiTest, FailuresAreNamedAndLeaveTheSlotEmptyForALaterTry) {
  void* slot = nullptr;
  try {
    BindProcSlot(slot, "kiv-no-such-library.dll", "NtClose");
    ADD_FAILURE() << "no error for a missing library";
  } catch (const EJwaLoadLibraryError& e) {
    EXPECT_STREQ(e.what(), "Library not found: kiv-no-such-library.dll");
  }
  EXPECT_EQ(slot, nullptr);

  try {
    BindProcSlot(slot, "ntdll.dll", "NtKivNoSuchFunction");
    ADD_FAILURE() << "no error for a missing function";
  } catch (const EJwaGetProcAddressError& e) {
    EXPECT_STREQ(e.what(), "Function not found: ntdll.dll.NtKivNoSuchFunction");
  }
  EXPECT_EQ(slot, nullptr);

  // Both are binding errors to whoever catches the general class.
  EXPECT_THROW(BindProcSlot(slot, "kiv-no-such-library.dll", "x"), EJwaError);
  EXPECT_THROW(BindProcSlot(slot, "ntdll.dll", "NtKivNoSuchFunction"), std::runtime_error);

  BindProcSlot(slot, "ntdll.dll", "NtQuerySymbolicLinkObject");
  EXPECT_EQ(slot, Export("NtQuerySymbolicLinkObject"));
}

TEST_F(NativeApiTest, ALibraryNotYetInTheProcessIsLoaded) {
  constexpr const char* kLibrary = "cabinet.dll";
  if (GetModuleHandleA(kLibrary)) GTEST_SKIP() << kLibrary << " is loaded already; the load path is not reached";
  void* slot = nullptr;
  BindProcSlot(slot, kLibrary, "FCICreate");
  HMODULE loaded = GetModuleHandleA(kLibrary);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(slot, reinterpret_cast<void*>(GetProcAddress(loaded, "FCICreate")));
}

// Each forwarding operation binds only its own row, on its first call.
TEST_F(NativeApiTest, EachOperationBindsItsOwnSlotFromNtdll) {
  UNICODE_STRING name{};
  native::RtlInitUnicodeString(&name, L"\\Device");
  EXPECT_EQ(Slots[slotRtlInitUnicodeString], Export("RtlInitUnicodeString"));
  EXPECT_EQ(Slots[slotNtOpenDirectoryObject], nullptr);
  EXPECT_EQ(name.Length, 14);

  OBJECT_ATTRIBUTES attributes;
  std::memset(&attributes, 0xCC, sizeof(attributes));
  InitObjectAttributes(attributes, &name, kObjCaseInsensitive, nullptr, nullptr);
  // The 64-bit system refuses a record of the 32-bit length.
  EXPECT_EQ(attributes.Length, sizeof(void*) == 8 ? 48u : 24u);
  EXPECT_EQ(attributes.SecurityQualityOfService, nullptr);
  HANDLE directory = nullptr;
  ASSERT_TRUE(IsNtSuccess(native::NtOpenDirectoryObject(&directory, 0x20001, &attributes)));
  EXPECT_EQ(Slots[slotNtOpenDirectoryObject], Export("NtOpenDirectoryObject"));

  alignas(8) unsigned char buffer[1024] = {};
  ULONG context = 0, returned = 0;
  EXPECT_TRUE(
      IsNtSuccess(native::NtQueryDirectoryObject(directory, buffer, sizeof(buffer), TRUE, FALSE, &context, &returned)));
  EXPECT_EQ(context, 1u);
  EXPECT_GT(reinterpret_cast<OBJECT_DIRECTORY_INFORMATION*>(buffer)->Name.Length, 0);
  EXPECT_EQ(Slots[slotNtQueryDirectoryObject], Export("NtQueryDirectoryObject"));
  CloseHandle(directory);

  UNICODE_STRING drive{};
  native::RtlInitUnicodeString(&drive, L"\\??\\C:");
  InitObjectAttributes(attributes, &drive, kObjCaseInsensitive, nullptr, nullptr);
  HANDLE link = nullptr;
  ASSERT_TRUE(IsNtSuccess(native::NtOpenSymbolicLinkObject(&link, 1, &attributes)));
  EXPECT_EQ(Slots[slotNtOpenSymbolicLinkObject], Export("NtOpenSymbolicLinkObject"));
  wchar_t target[512] = {};
  UNICODE_STRING text{0, sizeof(target), target};
  EXPECT_TRUE(IsNtSuccess(native::NtQuerySymbolicLinkObject(link, &text, &returned)));
  EXPECT_EQ(Slots[slotNtQuerySymbolicLinkObject], Export("NtQuerySymbolicLinkObject"));
  EXPECT_EQ(std::wstring(text.Buffer, text.Length / 2).rfind(L"\\Device\\", 0), 0u);
  CloseHandle(link);
}

TEST(IsNtSuccess, TheTopBitAloneDecides) {
  for (ULONG status : {0x00000000u, 0x00000103u, 0x40000000u, 0x7FFFFFFFu})
    EXPECT_TRUE(IsNtSuccess(static_cast<NTSTATUS>(status))) << std::hex << status;
  for (ULONG status : {0x80000000u, 0x8000001Au, 0xC0000034u, 0xFFFFFFFFu})
    EXPECT_FALSE(IsNtSuccess(static_cast<NTSTATUS>(status))) << std::hex << status;
}

}  // namespace
