#pragma once
// NativeApi: the few functions of the native API (ntdll) that volume discovery
// needs, bound at run time on first use, each into a slot of its own, with the
// small routines that go with them. A slot that is already filled is not
// looked up again: tests fill the slots with functions of their own.
//
// The unit lives in a namespace because its forwarding operations carry the
// native functions' own names, which the platform's headers declare too.

// clang-format off
#include <windows.h>
#include <winternl.h>
// clang-format on

#include <cstddef>
#include <stdexcept>
#include <string>

namespace native {

// The failures of the binding; the message is all they carry.
class EJwaError : public std::runtime_error {
 public:
  explicit EJwaError(const std::string& message) : std::runtime_error(message) {}
};
// The library is neither loaded in the process nor loadable.
class EJwaLoadLibraryError : public EJwaError {
 public:
  using EJwaError::EJwaError;
};
// The library does not export the function.
class EJwaGetProcAddressError : public EJwaError {
 public:
  using EJwaError::EJwaError;
};

// The functions as the program calls them.
using NtOpenDirectoryObjectProc = NTSTATUS(NTAPI*)(PHANDLE directoryHandle, ACCESS_MASK desiredAccess,
                                                   POBJECT_ATTRIBUTES objectAttributes);
using NtOpenSymbolicLinkObjectProc = NTSTATUS(NTAPI*)(PHANDLE linkHandle, ACCESS_MASK desiredAccess,
                                                      POBJECT_ATTRIBUTES objectAttributes);
using NtQueryDirectoryObjectProc = NTSTATUS(NTAPI*)(HANDLE directoryHandle, PVOID buffer, ULONG length,
                                                    BOOLEAN returnSingleEntry, BOOLEAN restartScan, PULONG context,
                                                    PULONG returnLength);
using NtQuerySymbolicLinkObjectProc = NTSTATUS(NTAPI*)(HANDLE linkHandle, PUNICODE_STRING linkTarget,
                                                       PULONG returnedLength);
using RtlInitUnicodeStringProc = VOID(NTAPI*)(PUNICODE_STRING destination, PCWSTR source);
// The file queries of the profile engine's stamps (a file's change time,
// which the documented calls of XP do not report).
using NtQueryInformationFileProc = NTSTATUS(NTAPI*)(HANDLE file, PIO_STATUS_BLOCK status, PVOID information,
                                                    ULONG length, FILE_INFORMATION_CLASS informationClass);
using NtQueryFullAttributesFileProc = NTSTATUS(NTAPI*)(POBJECT_ATTRIBUTES objectAttributes,
                                                       PFILE_NETWORK_OPEN_INFORMATION information);
using RtlDosPathNameToNtPathName_UProc = BOOLEAN(NTAPI*)(PCWSTR dosName, PUNICODE_STRING ntName, PWSTR* filePart,
                                                         PVOID relativeName);
using RtlFreeUnicodeStringProc = VOID(NTAPI*)(PUNICODE_STRING string);

// The slot table: null at start, filled once on first use and never reset by
// the program.
enum Slot : size_t {
  slotNtOpenDirectoryObject,
  slotNtOpenSymbolicLinkObject,
  slotNtQueryDirectoryObject,
  slotNtQuerySymbolicLinkObject,
  slotRtlInitUnicodeString,
  slotNtQueryInformationFile,
  slotNtQueryFullAttributesFile,
  slotRtlDosPathNameToNtPathName_U,
  slotRtlFreeUnicodeString,
  SlotCount
};
extern void* Slots[SlotCount];

// Ensures the slot holds the function's address: a filled slot is left as it
// is, without any lookup; otherwise the library is taken from the process or
// loaded. Raises EJwaLoadLibraryError or EJwaGetProcAddressError and leaves
// the slot null when it cannot be had, so a later call tries again.
void BindProcSlot(void*& slot, const char* libraryName, const char* functionName);

// The function of a slot of ntdll, bound as BindProcSlot binds it, or null
// when it cannot be had: for callers that have a way round its absence.
template <class Proc>
[[nodiscard]] Proc BoundOrNull(Slot slot, const char* functionName) noexcept {
  try {
    BindProcSlot(Slots[slot], "ntdll.dll", functionName);
  } catch (const EJwaError&) {
    return nullptr;
  }
  return reinterpret_cast<Proc>(Slots[slot]);
}

// The forwarding operations: bind their slot, then call through it with the
// arguments unchanged and return the native result.
NTSTATUS NTAPI NtOpenDirectoryObject(PHANDLE directoryHandle, ACCESS_MASK desiredAccess,
                                     POBJECT_ATTRIBUTES objectAttributes);
NTSTATUS NTAPI NtOpenSymbolicLinkObject(PHANDLE linkHandle, ACCESS_MASK desiredAccess,
                                        POBJECT_ATTRIBUTES objectAttributes);
NTSTATUS NTAPI NtQueryDirectoryObject(HANDLE directoryHandle, PVOID buffer, ULONG length, BOOLEAN returnSingleEntry,
                                      BOOLEAN restartScan, PULONG context, PULONG returnLength);
NTSTATUS NTAPI NtQuerySymbolicLinkObject(HANDLE linkHandle, PUNICODE_STRING linkTarget, PULONG returnedLength);
VOID NTAPI RtlInitUnicodeString(PUNICODE_STRING destination, PCWSTR source);

// Success and informational codes are not negative; warnings and errors are.
[[nodiscard]] constexpr bool IsNtSuccess(NTSTATUS status) noexcept { return static_cast<LONG>(status) >= 0; }

// Fills the record with its own size (24 bytes on x86, 48 on x64), the root
// directory, the name, the attribute flags, the security descriptor and no
// security quality of service.
void InitObjectAttributes(OBJECT_ATTRIBUTES& record, PUNICODE_STRING name, ULONG attributes, HANDLE root,
                          PVOID securityDescriptor);

// Sets the bytes to 0.
void ZeroFill(void* buffer, size_t byteCount);

// The entry NtQueryDirectoryObject puts at the start of its buffer.
struct OBJECT_DIRECTORY_INFORMATION {
  UNICODE_STRING Name;
  UNICODE_STRING TypeName;
};

// Object attribute flag: names are looked up without regard to case.
constexpr ULONG kObjCaseInsensitive = 0x40;

}  // namespace native
