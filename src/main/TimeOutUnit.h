#pragma once
// TimeOutUnit: the inactivity countdown. It runs from the moment the dialog
// goes modal, shows the seconds left in the dialog's caption and ends the
// dialog with ExpiryResult at zero; the first key or mouse-button press in
// any window of the program stops it for good, in a message box as much as
// in the dialog.

#include <windows.h>

#include <cstdint>
#include <string>

class TTimeout {
 public:
  TTimeout();
  ~TTimeout();
  TTimeout(const TTimeout&) = delete;
  TTimeout& operator=(const TTimeout&) = delete;

  void SetSeconds(std::int32_t seconds);
  // The application's modal-begin event: starts the one-second timer.
  void HandleModalBegin();
  // The application's message hook: a key or mouse-button press stops the
  // countdown and gives the caption back.
  void HandleAppMessage(const MSG& msg, bool& handled);
  // One second has passed.
  void TimerTick(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);

  [[nodiscard]] bool Running() const noexcept { return TimerId != kNoTimer; }

  static constexpr std::uint32_t kNoTimer = 0xFFFFFFFFu;

  void* stub = nullptr;
  std::uint32_t TimerId = kNoTimer;
  std::string SavedCaption;
  std::int32_t Remaining = 0;
  std::int32_t TotalSeconds = 0;
  std::int32_t ExpiryResult = 2;

 private:
  void StopTimer();
  // Sees every message any loop of the thread takes, a message box's own
  // loop included, which the application's hook never sees.
  static LRESULT CALLBACK MessageHook(int code, WPARAM wParam, LPARAM lParam);
  HHOOK hook_ = nullptr;
  static inline TTimeout* running_ = nullptr;
};
