// The main sequence: settle the answer file, make the working copy, show the
// dialog, commit on OK, run the exit programs, remove the working copy.

#include "main/MainSequence.h"

#include "sys/Launcher.h"
#include "profile/Profile.h"
#include "setup/AnswerFile.h"
#include "setup/EditorConfig.h"
#include "setup/Journal.h"
#include "setup/SourceLocation.h"
#include "main/TimeOutUnit.h"
#include "dialog/Dlg_Settings.h"
#include "setup/KbdUtils.h"
#include "sys/TextUtils.h"
#include "pages/PreviewFrame.h"
#include "gui/Application.h"
#include "pages/DisplaySettingsFrame.h"
#include "pages/IdentificationFrame.h"
#include "pages/NetworkFrameUnit.h"
#include "pages/TRunProgramFrameUnit.h"
#include "pages/UDBFrameUnit.h"
#include "sys/FileFunctions.h"
#include "sys/SysUtils.h"
#include "sys/TextUtils.h"
#include "sys/Timeline.h"
#include "sys/Wow64.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>

namespace {

// The dialog's pages in tab order; a page without its data leaves itself out.
std::vector<TCommonSettingsFrameClass> PageList() {
  // clang-format off
  return {
      ClassOf<TUDBFrame>(),
      ClassOf<TFrameIdentification>(),
      ClassOf<TNetWorkFrame>(),
      ClassOf<TFrameDsiplaySettings>(),
      ClassOf<TRunProgramFrame>(),
      ClassOf<TFramePreview>(),
  };
  // clang-format on
}

// The run's journal while the run goes on: every message shown goes in.
JournalRun* g_journal = nullptr;

void Journalled(const std::string& message) {
  if (g_journal) g_journal->errors.push_back(message);
}

// Appends the run's block to the configured journal; a journal that cannot
// be written changes nothing of the run.
void WriteJournal(JournalRun& run) {
  try {
    GetLocalTime(&run.ended);
    if (!LastUDBMerge.file.empty()) {
      run.udbFile = LastUDBMerge.file;
      run.udbMode = LastUDBMerge.mode.empty() ? "список" : LastUDBMerge.mode;
      run.udbComputer = LastUDBMerge.computer;
    }
    run.previewEdited = PreviewEditedByHand;
    AppendToJournal(JournalFileName(ConfigFileName()), JournalBlock(run));
  } catch (...) {
  }
}

// A message box that closes by itself, for errors that must not hold an
// unattended setup.
HWND g_timedBox = nullptr;
HHOOK g_timedHook = nullptr;

LRESULT CALLBACK TimedBoxHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && !g_timedBox) g_timedBox = reinterpret_cast<HWND>(wParam);
  return CallNextHookEx(g_timedHook, code, wParam, lParam);
}

void CALLBACK CloseTimedBox(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (g_timedBox) PostMessageA(g_timedBox, WM_COMMAND, IDOK, 0);
}

void ShowTimedMessage(const std::string& text, UINT flags, UINT seconds, HWND owner = nullptr,
                      const char* caption = "KivEdt") {
  Journalled(text);
  g_timedBox = nullptr;
  g_timedHook = SetWindowsHookExA(WH_CBT, &TimedBoxHook, nullptr, GetCurrentThreadId());
  UINT_PTR timer = SetTimer(nullptr, 0, seconds * 1000, &CloseTimedBox);
  MessageBoxA(owner, text.c_str(), caption, flags | MB_SETFOREGROUND | MB_TOPMOST);
  KillTimer(nullptr, timer);
  if (g_timedHook) UnhookWindowsHookEx(g_timedHook);
  g_timedHook = nullptr;
  g_timedBox = nullptr;
}

// Writes the working copy's bytes into the staging file and makes sure they
// are on the disk: the rename that follows is journalled by the file system,
// the data maybe not, and setup reboots soon after a Save.
bool StageCopy(const std::string& from, const std::string& staged) {
  std::string bytes;
  if (!sys::ReadAll(from, bytes)) return false;
  HANDLE target = CreateFileA(staged.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (target == INVALID_HANDLE_VALUE) return false;
  const bool ok = sys::WriteAll(target, bytes.data(), bytes.size()) && FileFunctions.FlushFileBuffers(target);
  const DWORD error = ok ? 0 : GetLastError();
  CloseHandle(target);
  if (!ok) {
    // Nothing half-written stays beside the answer file.
    DeleteFileA(staged.c_str());
    SetLastError(error);
  }
  return ok;
}

// Sounds the tone where nobody waits for it. On Windows Beep returns only
// when the tone ends: on the thread that builds the dialog it held the dialog
// back by the tone's whole length while setup went on beside the program.
DWORD WINAPI ToneThread(LPVOID) {
  BeepFunction(1000, 700);
  return 0;
}

}  // namespace

BOOL(WINAPI* BeepFunction)(DWORD frequency, DWORD milliseconds) = &Beep;

void StartTone() {
  // The thread ends by itself when the tone has sounded; a process that ends
  // sooner takes it along.
  HANDLE thread = CreateThread(nullptr, 0, &ToneThread, nullptr, 0, nullptr);
  if (thread)
    CloseHandle(thread);
  else
    ToneThread(nullptr);  // no thread to be had: the tone here, the dialog after it
}

bool ShowSettingsWithTone(const std::vector<TCommonSettingsFrameClass>& pages, bool* savePressed) {
  StartTone();
  sys::TimelineMark("beep");
  return ShowSettings(pages, savePressed);
}

bool CommitWorkingCopy(const std::string& workFile, const std::string& answerFile) {
  // The new content goes beside the answer file first and then takes its
  // place by one rename, so that setup finds either the old answer file or
  // the new one, never half of one and never none. (ReplaceFile is not used:
  // under Wine it moves the old file aside before the new one comes in, and
  // a program ended between the two leaves no answer file at all.)
  std::string staged = answerFile + ".kivtmp";
  sys::NativeFileSystem native;
  // A read-only answer file is not replaced, as Windows' own copy and rename
  // refuse to; said here so that it holds on every file system.
  const DWORD current = GetFileAttributesA(answerFile.c_str());
  if (current != INVALID_FILE_ATTRIBUTES && (current & FILE_ATTRIBUTE_READONLY)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  SetFileAttributesA(staged.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!StageCopy(workFile, staged)) return false;
  WIN32_FILE_ATTRIBUTE_DATA old{};
  if (GetFileAttributesExA(answerFile.c_str(), GetFileExInfoStandard, &old)) {
    // The answer file keeps what it was created as: its creation time (where
    // the file system keeps one that can be set) and its attributes.
    HANDLE file = CreateFileA(staged.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      SetFileTime(file, &old.ftCreationTime, nullptr, nullptr);
      CloseHandle(file);
    }
    const DWORD keep = old.dwFileAttributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);
    SetFileAttributesA(staged.c_str(), keep ? keep : FILE_ATTRIBUTE_NORMAL);
  }
  if (!MoveFileExA(staged.c_str(), answerFile.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DWORD error = GetLastError();
    SetFileAttributesA(staged.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(staged.c_str());
    SetLastError(error);
    return false;
  }
  return true;
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> items;
  const char* p = commandLine.c_str();
  for (;;) {
    for (;;) {
      while (*p && static_cast<unsigned char>(*p) <= ' ') ++p;
      // An empty pair of quotes between arguments is no argument.
      if (p[0] == '"' && p[1] == '"' && (static_cast<unsigned char>(p[2]) <= ' '))
        p += 2;
      else
        break;
    }
    if (!*p) break;
    std::string item;
    while (static_cast<unsigned char>(*p) > ' ') {
      if (*p == '"') {
        ++p;
        while (*p && *p != '"') item += *p++;
        if (*p) ++p;
      } else {
        item += *p++;
      }
    }
    items.push_back(item);
  }
  return items;
}

void ParseCommandLine(const std::string& commandLine, const std::string& programDir) {
  std::vector<std::string> items = SplitCommandLine(commandLine);
  for (size_t i = 1; i < items.size(); ++i) {
    std::string argument = TrimBlanks(items[i]);
    if (argument.rfind("-f:", 0) != 0 && argument.rfind("/f:", 0) != 0) continue;
    std::string name = argument.substr(3);
    if (name.empty() || !IsFile(name)) continue;
    if (name.find_first_of("\\:") == std::string::npos) name = programDir + name;
    AnswerFileName = name;
  }
}

void ParseCommandLine() { ParseCommandLine(GetCommandLineA(), ProgramDirectory()); }

void RunExitPrograms() {
  std::vector<std::string> entries = EditorDirectives;
  std::stable_sort(entries.begin(), entries.end(),
                   [](const std::string& a, const std::string& b) { return LocaleTextLess(a, b); });
  for (const std::string& entry : entries) {
    const std::string key = AsciiUpper(TrimBlanks(entry));
    if (key.rfind("RUNONEXIT", 0) != 0) continue;
    size_t equals = entry.find('=');
    if (equals == std::string::npos) continue;
    DWORD exitCode = 0;
    const std::string command = entry.substr(equals + 1);
    const bool started = RunProgram(command, true, &exitCode);
    if (g_journal) g_journal->programs.emplace_back(TrimBlanks(command), started ? exitCode : DWORD{0xFFFFFFFF});
  }
}

int RunMainSequence() {
  sys::TimelineMark("WinMain");
  JournalRun journal;
  GetLocalTime(&journal.started);
  journal.version = KIV_VERSION;
  journal.build = sizeof(void*) == 8 ? "x64" : "x86";
  g_journal = &journal;
  struct JournalEnd {
    JournalRun& run;
    ~JournalEnd() {
      WriteJournal(run);
      g_journal = nullptr;
    }
  } journalEnd{journal};
  EditorDirectives.clear();
  PreviewEditedByHand = false;
  LastUDBMerge = {};
  AnswerFileName = ExpandEnvironment("%SystemRoot%\\System32\\$winnt$.inf");
  std::optional<gui::Application> application;
  try {
    FixKeyboardLayouts();
    sys::TimelineMark("keyboard and font fix-ups");
    application.emplace();
    application->Title = "KivEdt";
    // Tests and automation find the controls by their design names.
    application->NameProperty = "KivName";
    application->SetIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1)));
    sys::TimelineMark("application");
    ParseCommandLine();
    journal.answerFile = AnswerFileName;
    WorkFileName = AnswerFileName + ".new";
    // An answer file that exists but cannot be copied (held by another
    // program) leaves no working copy, or a stale one from an earlier run:
    // what the pages then write must not replace the answer file.
    std::optional<DWORD> copyError;
    if (!CopyAnswerToWorkingCopy()) {
      const DWORD error = GetLastError();
      RemoveWorkingCopy();
      if (IsFile(AnswerFileName) || (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)) copyError = error;
    }
    sys::TimelineMark("working copy");
    InitSourcePath();
    InitSourceRoot();
    sys::TimelineMark("source location");
    // Nobody at the machine: the dialog ends by itself as with OK, so that
    // setup goes on with what the working copy then holds.
    auto timeout = std::make_unique<TTimeout>();
    timeout->ExpiryResult = gui::mrOk;
    timeout->SetSeconds(profile::ReadInt(ConfigFileName(), "KivEditor", "TimeOut", 30));
    struct Unhook {
      gui::Application& app;
      ~Unhook() {
        app.OnMessage = nullptr;
        app.OnModalBegin = nullptr;
      }
    } unhook{*application};
    application->OnMessage = [&timeout](MSG& msg, bool& handled) { timeout->HandleAppMessage(msg, handled); };
    application->OnModalBegin = [&timeout] { timeout->HandleModalBegin(); };
    // An error the dialog reports while nobody has touched it (a UDB merge
    // that fails as the dialog opens) must not hold an unattended setup: its
    // box closes by itself when the countdown runs out, which then ends the
    // dialog as OK. Once the operator is there, it waits for him.
    application->SetExceptionHandler([&timeout, &application](const std::string& message) {
      if (!timeout->Running()) {
        Journalled(message);
        application->ShowException(message);
        return;
      }
      gui::Form* form = application->ActiveForm();
      ShowTimedMessage(message, MB_OK | MB_ICONSTOP, static_cast<UINT>(std::max<std::int32_t>(timeout->Remaining, 1)),
                       form ? form->Handle() : nullptr, application->Title.c_str());
    });
    sys::TimelineMark("countdown and configuration");
    // Tooltips of Cyrillic text need the charset as much as the controls.
    gui::Font hintFont = application->HintFont();
    hintFont.charset = GetFontMapperCharset();
    application->SetHintFont(hintFont);
    sys::TimelineMark("hint font");
    bool savePressed = false;
    const bool ok = ShowSettingsWithTone(PageList(), &savePressed);
    journal.ending = !ok ? "Cancel" : savePressed ? "Save" : "countdown";
    if (ok) {
      std::vector<JournalChange> changes;
      if (!copyError) changes = AnswerFileChanges(AnswerFileName, WorkFileName);
      const bool committed = !copyError && CommitWorkingCopy(WorkFileName, AnswerFileName);
      if (committed) journal.changes = std::move(changes);
      if (!committed) {
        DWORD error = copyError ? *copyError : GetLastError();
        // The operator saved edits that did not reach the answer file: he
        // must know. A working copy that never existed holds no edits, and
        // after the countdown nobody is there to read it.
        if (savePressed && (copyError || IsFile(WorkFileName)))
          ShowTimedMessage("Изменения не записаны в файл ответов \"" + AnswerFileName + "\". " + SysErrorMessage(error),
                           MB_OK | MB_ICONSTOP, 300);
      }
      RunExitPrograms();
    }
  } catch (...) {
    std::string message = "Unknown error";
    try {
      throw;
    } catch (const std::exception& e) {
      message = e.what();
    } catch (...) {
    }
    journal.ending = "error: " + message;
    ShowTimedMessage(message, MB_OK | MB_ICONSTOP, 30);
    RemoveWorkingCopy();
    return 1;
  }
  RemoveWorkingCopy();
  return 0;
}
