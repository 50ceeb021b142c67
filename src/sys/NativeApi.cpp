// The native functions bound on first use, and the routines around them.

#include "sys/NativeApi.h"

#include <cstring>

namespace native {

void* Slots[SlotCount] = {};

namespace {

constexpr char kNtdll[] = "ntdll.dll";

// The slot's address as the function type of its row, bound first.
template <class Proc>
Proc Bound(Slot slot, const char* functionName) {
  BindProcSlot(Slots[slot], kNtdll, functionName);
  return reinterpret_cast<Proc>(Slots[slot]);
}

}  // namespace

void BindProcSlot(void*& slot, const char* libraryName, const char* functionName) {
  if (slot) return;
  HMODULE module = GetModuleHandleA(libraryName);
  if (!module) module = LoadLibraryA(libraryName);
  if (!module) throw EJwaLoadLibraryError(std::string("Library not found: ") + libraryName);
  slot = reinterpret_cast<void*>(GetProcAddress(module, functionName));
  if (!slot) throw EJwaGetProcAddressError(std::string("Function not found: ") + libraryName + "." + functionName);
}

NTSTATUS NTAPI NtOpenDirectoryObject(PHANDLE directoryHandle, ACCESS_MASK desiredAccess,
                                     POBJECT_ATTRIBUTES objectAttributes) {
  return Bound<NtOpenDirectoryObjectProc>(slotNtOpenDirectoryObject, "NtOpenDirectoryObject")(
      directoryHandle, desiredAccess, objectAttributes);
}

NTSTATUS NTAPI NtOpenSymbolicLinkObject(PHANDLE linkHandle, ACCESS_MASK desiredAccess,
                                        POBJECT_ATTRIBUTES objectAttributes) {
  return Bound<NtOpenSymbolicLinkObjectProc>(slotNtOpenSymbolicLinkObject, "NtOpenSymbolicLinkObject")(
      linkHandle, desiredAccess, objectAttributes);
}

NTSTATUS NTAPI NtQueryDirectoryObject(HANDLE directoryHandle, PVOID buffer, ULONG length, BOOLEAN returnSingleEntry,
                                      BOOLEAN restartScan, PULONG context, PULONG returnLength) {
  return Bound<NtQueryDirectoryObjectProc>(slotNtQueryDirectoryObject, "NtQueryDirectoryObject")(
      directoryHandle, buffer, length, returnSingleEntry, restartScan, context, returnLength);
}

NTSTATUS NTAPI NtQuerySymbolicLinkObject(HANDLE linkHandle, PUNICODE_STRING linkTarget, PULONG returnedLength) {
  return Bound<NtQuerySymbolicLinkObjectProc>(slotNtQuerySymbolicLinkObject, "NtQuerySymbolicLinkObject")(
      linkHandle, linkTarget, returnedLength);
}

VOID NTAPI RtlInitUnicodeString(PUNICODE_STRING destination, PCWSTR source) {
  Bound<RtlInitUnicodeStringProc>(slotRtlInitUnicodeString, "RtlInitUnicodeString")(destination, source);
}

void InitObjectAttributes(OBJECT_ATTRIBUTES& record, PUNICODE_STRING name, ULONG attributes, HANDLE root,
                          PVOID securityDescriptor) {
  ZeroFill(&record, sizeof(record));
  // The record's real size: a 64-bit system refuses the 32-bit length.
  record.Length = sizeof(OBJECT_ATTRIBUTES);
  record.RootDirectory = root;
  record.ObjectName = name;
  record.Attributes = attributes;
  record.SecurityDescriptor = securityDescriptor;
  record.SecurityQualityOfService = nullptr;
}

void ZeroFill(void* buffer, size_t byteCount) {
  if (byteCount) std::memset(buffer, 0, byteCount);
}

}  // namespace native
