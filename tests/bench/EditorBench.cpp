// `make bench`: how fast the real editor is for the operator on answer files
// of 10 KB, 1 MB and 10 MB, measured from outside the process as the operator
// meets it: start-up until the dialog is on screen and answering (against a
// minimal Win32 dialog program started the same way), each tab switch made
// by a click (the page left saves, the page shown loads), Save with the
// commit until the process has ended, and the peak working set. Prints a
// table and the budgets; not a test of the suite.

#include "e2e/EditorRun.h"
#include "sys/TextUtils.h"

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>

using namespace kivtest;

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

LRESULT Ask(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_NORMAL, 60000, &result);
  return static_cast<LRESULT>(result);
}

// The example answer file followed by adapter parameter sections and
// comments, up to `size` bytes: the bulk an administrator's file grows by.
std::string AnswerFileOf(size_t size) {
  std::string text = ExampleAnswerFile();
  for (int n = 1; text.size() < size; ++n) {
    const std::string id = std::to_string(n);
    text.append("\r\n[params.MS_TCPIP.Spare").append(id).append("]\r\nSpecificTo = Spare").append(id);
    text.append("\r\nDHCP = No\r\nIPAddress = 10.1.").append(std::to_string(n % 250));
    text.append(".30\r\nSubnetMask = 255.255.255.0\r\n; Отдел ").append(id).append("\r\n");
  }
  return text;
}

struct TopWindowSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<TopWindowSearch*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->pid || !IsWindowVisible(hwnd)) return TRUE;
  s->found = hwnd;
  return FALSE;
}

// A visible top-level window of the process that answers: the moment the
// operator can see and use the program. Asked every few milliseconds with
// cheap calls only, so that the asking does not slow the program down (under
// Wine every question goes through the one server process).
double WaitForWindowMs(DWORD pid, Clock::time_point start) {
  TopWindowSearch s{pid, nullptr};
  while (!s.found && MsSince(start) < 60000) {
    EnumWindows(&MatchTopWindow, reinterpret_cast<LPARAM>(&s));
    if (!s.found) Sleep(2);
  }
  Ask(s.found, WM_NULL);
  return MsSince(start);
}

// Start-up of the minimal dialog program, which is then closed.
double PeakWorkingSetMbOf(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  const bool ok = process && GetProcessMemoryInfo(process, &counters, sizeof(counters));
  if (process) CloseHandle(process);
  return ok ? static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0) : -1;
}

double BaselineStartMs(const std::string& folder, double* peakMb, const char* path = KIV_BASELINE) {
  const auto start = Clock::now();
  const std::string program = HostPath(path);
  Process baseline(std::string(1, '"').append(program).append(1, '"'), folder);
  const double ms = WaitForWindowMs(baseline.Id(), start);
  *peakMb = PeakWorkingSetMbOf(baseline.Id());
  PostMessageA(FindWindowA("#32770", "Baseline"), WM_CLOSE, 0, 0);
  baseline.Wait(10000);
  return ms;
}

// The editor's own marks of its start-up steps (KIV_TIMELINE): each step's
// name and the milliseconds from the process's creation to its end.
using Timeline = std::vector<std::pair<std::string, double>>;

Timeline ReadTimeline(const std::string& file) {
  Timeline steps;
  // Written when the dialog is first idle, which may come a moment after it
  // answered the bench.
  for (int wait = 0; wait < 200 && !FileExists(file); ++wait) Sleep(10);
  std::string text = ReadWholeFile(file);
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    at = end + 2;
    const size_t tab = line.find('\t');
    if (tab != std::string::npos) steps.emplace_back(line.substr(0, tab), std::atof(line.c_str() + tab + 1));
  }
  DeleteFileA(file.c_str());
  return steps;
}

// Each step's median over the runs that marked it.
Timeline MedianTimeline(const std::vector<Timeline>& runs) {
  Timeline median;
  if (runs.empty()) return median;
  for (const auto& [name, ignored] : runs.front()) {
    std::vector<double> values;
    for (const Timeline& run : runs)
      for (const auto& [step, ms] : run)
        if (step == name) values.push_back(ms);
    median.emplace_back(name, Median(values));
  }
  return median;
}

struct Row {
  size_t bytes = 0;
  Timeline timeline;
  double startMs = 0, baselineMs = 0, baseline6Ms = 0, saveMs = 0, exitMs = 0, peakMb = 0, peakBeforePreviewMb = 0,
         baselinePeakMb = 0;
  std::vector<std::pair<std::string, double>> tabs;
};

class EditorBench : public EditorRun {
 protected:
  double StartAndWaitMs(const std::string& arguments) {
    const auto start = Clock::now();
    Start(arguments);
    const double ms = WaitForWindowMs(ProcessId(), start);
    EXPECT_TRUE(Window("btnSave")) << "no dialog";
    return ms;
  }

  // A click on the tab, timed until the editor has handled it: the tab
  // control's answer comes only after the click's handling is over.
  double SwitchMs(const std::string& pageControl, int index) {
    HWND tabs = Window(pageControl);
    // Scrolling the strip into sight is the operator's affair, not the
    // switch's: ClickTab does it, and the timed click goes to a visible tab.
    RECT r{};
    if (!TabRect(tabs, index, r) || r.left < 0) return ClickTabTimed(pageControl, index);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    // Found before the clock starts: finding a window by its name asks every
    // window of the editor.
    HWND form = Window("dlgSettings");
    const auto start = Clock::now();
    PostMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(tabs, WM_LBUTTONUP, 0, at);
    while (Ask(tabs, TCM_GETCURSEL) != index && MsSince(start) < 60000) Sleep(1);
    Ask(form, WM_NULL);
    return MsSince(start);
  }

  double ClickTabTimed(const std::string& pageControl, int index) {
    const auto start = Clock::now();
    ClickTab(pageControl, index, 60000);
    return MsSince(start);
  }

  bool TabRect(HWND tabs, int index, RECT& r) {
    DWORD pid = 0;
    GetWindowThreadProcessId(tabs, &pid);
    HANDLE editor = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!editor) return false;
    void* remote = VirtualAllocEx(editor, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    SIZE_T got = 0;
    RECT client{};
    GetClientRect(tabs, &client);
    const bool ok = remote && Ask(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote)) &&
                    ReadProcessMemory(editor, remote, &r, sizeof(r), &got) && got == sizeof(r) &&
                    r.right <= client.right - 40;
    if (remote) VirtualFreeEx(editor, remote, 0, MEM_RELEASE);
    CloseHandle(editor);
    return ok;
  }

  std::string TabText(const std::string& pageControl, int index) {
    DWORD pid = 0;
    HWND tabs = Window(pageControl);
    GetWindowThreadProcessId(tabs, &pid);
    HANDLE editor = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    char* remote =
        static_cast<char*>(VirtualAllocEx(editor, nullptr, 256 + sizeof(TCITEMA), MEM_COMMIT, PAGE_READWRITE));
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = remote + sizeof(TCITEMA);
    item.cchTextMax = 255;
    SIZE_T got = 0;
    char text[256] = {};
    WriteProcessMemory(editor, remote, &item, sizeof(item), &got);
    if (Ask(tabs, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(remote)))
      ReadProcessMemory(editor, remote + sizeof(TCITEMA), text, 255, &got);
    VirtualFreeEx(editor, remote, 0, MEM_RELEASE);
    CloseHandle(editor);
    return text;
  }

  double PeakWorkingSetMb() { return PeakWorkingSetMbOf(ProcessId()); }

  void Configure() {
    CreateDirectoryA((folder / "UDB").c_str(), nullptr);
    CopyFileA(HostPath(KIV_EXAMPLES_DIR "/UDB/ACCOUNTING.UDB").c_str(), (folder / "UDB\\ACCOUNTING.UDB").c_str(),
              FALSE);
    std::string ini = "[KivEditor]\r\nTimeOut=300\r\n[UDB]\r\nPath=";
    ini.append(folder / "UDB").append("\r\nDefaultUDBFile=ACCOUNTING.UDB\r\nDefaultUDBIdent=ACC-PC01\r\n");
    ini.append("[Commands]\r\nCommand0=cmd.exe /c exit\r\nCommand0_Caption=Cmd\r\n");
    WriteWholeFile(folder / "KivEdt.ini", ini);
  }

  Row Measure(size_t size, int startRuns) {
    Row row;
    const std::string text = AnswerFileOf(size);
    row.bytes = text.size();
    std::vector<double> starts, baselines, baselines6;
    std::vector<Timeline> timelines;
    const std::string timelineFile = folder / "timeline.txt";
    double ignored = 0;
    for (int run = 0; run < startRuns; ++run) {
      WriteWholeFile(answerFile, text);
      // Each start on a quiet system: Wine's clean-up after a program that has
      // just ended takes time from the next one.
      Sleep(1000);
      baselines.push_back(BaselineStartMs(folder.Path(), &row.baselinePeakMb));
      Sleep(1000);
      baselines6.push_back(BaselineStartMs(folder.Path(), &ignored, KIV_BASELINE6));
      Sleep(1000);
      DeleteFileA(timelineFile.c_str());
      SetEnvironmentVariableA("KIV_TIMELINE", timelineFile.c_str());
      starts.push_back(StartAndWaitMs("-f:winnt.sif"));
      SetEnvironmentVariableA("KIV_TIMELINE", nullptr);
      timelines.push_back(ReadTimeline(timelineFile));
      if (run + 1 == startRuns) break;
      ClickButton("btnCancel");
      EXPECT_EQ(Finish(60000), 0);
    }
    row.startMs = Median(starts);
    row.timeline = MedianTimeline(timelines);
    row.baselineMs = Median(baselines);
    row.baseline6Ms = Median(baselines6);
    const int pages = TabCount("PC");
    for (int page = 1; page < pages; ++page) {
      if (page == pages - 1) row.peakBeforePreviewMb = PeakWorkingSetMb();
      const double ms = SwitchMs("PC", page);
      row.tabs.emplace_back(TabText("PC", page), ms);
      if (Window("pc_network") && IsWindowVisible(Window("pc_network"))) {
        for (int inner = 1; inner < TabCount("pc_network"); ++inner) {
          const double innerMs = SwitchMs("pc_network", inner);
          row.tabs.emplace_back(std::string("  ").append(TabText("pc_network", inner)), innerMs);
        }
      }
    }
    row.peakMb = PeakWorkingSetMb();
    const auto save = Clock::now();
    ClickButton("btnSave");
    // The editor's work ends with the working copy deleted; the process's
    // end after it is the system's.
    while (FileExists(answerFile + ".new") && MsSince(save) < 120000) Sleep(1);
    row.saveMs = MsSince(save);
    EXPECT_EQ(Finish(120000), 0);
    row.exitMs = MsSince(save);
    return row;
  }
};

std::string RegistryText(HKEY root, const char* path, const char* name) {
  char value[256] = {};
  DWORD size = sizeof(value) - 1;
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return "?";
  const bool ok = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) == 0;
  RegCloseKey(key);
  return ok ? TrimBlanks(value) : "?";
}

// What the figures were measured on: a figure depends on the Wine version,
// the processor, the fonts the dialog's font is matched to and how old the
// prefix is (a prefix just made has cold caches of its own).
std::string MeasuredOn() {
  std::string on = sizeof(void*) == 8 ? "64-bit build" : "32-bit build";
  // tools/awake: the other processors kept from idling while this ran.
  char awake[8] = {};
  on.append(GetEnvironmentVariableA("KIV_BENCH_AWAKE", awake, sizeof(awake)) ? ", processors kept awake"
                                                                             : ", quiet machine");
  using WineVersion = const char*(__cdecl*)();
  auto version = reinterpret_cast<WineVersion>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")));
  on.append(", Wine ").append(version ? version() : "none (Windows)");
  SYSTEM_INFO system{};
  GetNativeSystemInfo(&system);
  on.append(", ").append(std::to_string(system.dwNumberOfProcessors)).append(" processor(s) ");
  on.append(
      RegistryText(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", "ProcessorNameString"));
  // The face the dialog's font, in the charset that shows Cyrillic, is
  // matched to.
  HDC dc = GetDC(nullptr);
  LOGFONTA lf{};
  lf.lfHeight = -11;
  lf.lfCharSet = RUSSIAN_CHARSET;
  lstrcpyA(lf.lfFaceName, "MS Sans Serif");
  HFONT font = CreateFontIndirectA(&lf);
  HGDIOBJ old = SelectObject(dc, font);
  char face[LF_FACESIZE] = {};
  GetTextFaceA(dc, LF_FACESIZE, face);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  on.append(", \"MS Sans Serif\" Cyrillic shown in \"").append(face).append("\"");
  // The prefix's age: how long ago its Windows folder was made.
  WIN32_FILE_ATTRIBUTE_DATA windows{};
  char folder[MAX_PATH] = {};
  GetWindowsDirectoryA(folder, MAX_PATH);
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  if (GetFileAttributesExA(folder, GetFileExInfoStandard, &windows)) {
    auto ticks = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    const double hours = static_cast<double>(ticks(now) - ticks(windows.ftCreationTime)) / 36e9;
    char age[64];
    std::snprintf(age, sizeof(age), ", prefix %.1f hours old", hours);
    on.append(age);
  }
  SYSTEMTIME today{};
  GetLocalTime(&today);
  char date[32];
  std::snprintf(date, sizeof(date), ", %04u-%02u-%02u", today.wYear, today.wMonth, today.wDay);
  return on.append(date);
}

TEST_F(EditorBench, Table) {
  Configure();
  std::vector<Row> rows;
  for (size_t size : {size_t{10} << 10, size_t{1} << 20, size_t{10} << 20}) rows.push_back(Measure(size, 5));

  auto mb = [](size_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); };
  std::printf("\n%-28s", "answer file");
  for (const Row& r : rows) std::printf("%14.2f MB", mb(r.bytes));
  std::printf("\n%-28s", "start-up, baseline (ms)");
  for (const Row& r : rows) std::printf("%17.0f", r.baselineMs);
  std::printf("\n%-28s", "  same, common controls 6");
  for (const Row& r : rows) std::printf("%17.0f", r.baseline6Ms);
  std::printf("\n%-28s", "start-up, editor (ms)");
  for (const Row& r : rows) std::printf("%17.0f", r.startMs);
  std::printf("\n%-28s", "  ratio (budget 1.5)");
  for (const Row& r : rows) std::printf("%17.2f", r.startMs / r.baselineMs);
  for (size_t t = 0; t < rows[0].tabs.size(); ++t) {
    std::printf("\n%-28s", std::string("tab ").append(rows[0].tabs[t].first).append(" (ms)").c_str());
    for (const Row& r : rows) std::printf("%17.1f", t < r.tabs.size() ? r.tabs[t].second : -1.0);
  }
  std::printf("\n%-28s", "Save and commit (ms)");
  for (const Row& r : rows) std::printf("%17.1f", r.saveMs);
  std::printf("\n%-28s", "  until the process ended");
  for (const Row& r : rows) std::printf("%17.1f", r.exitMs);
  std::printf("\n%-28s", "peak working set (MB)");
  for (const Row& r : rows) std::printf("%17.1f", r.peakMb);
  std::printf("\n%-28s", "  before the last tab (MB)");
  for (const Row& r : rows) std::printf("%17.1f", r.peakBeforePreviewMb);
  std::printf("\n%-28s", "  baseline program (MB)");
  for (const Row& r : rows) std::printf("%17.1f", r.baselinePeakMb);
  std::printf("\n\n");

  // Where the start-up went, as the editor marked it: each step's end and
  // its own share, from the process's creation.
  std::printf("%-28s", "start-up step (ms)");
  for (const Row& r : rows) std::printf("%11.2f MB end/own", mb(r.bytes));
  for (size_t s = 0; s < rows[0].timeline.size(); ++s) {
    std::printf("\n  %-26s", rows[0].timeline[s].first.substr(0, 26).c_str());
    for (const Row& r : rows) {
      if (s >= r.timeline.size()) continue;
      const double own = r.timeline[s].second - (s ? r.timeline[s - 1].second : 0.0);
      std::printf("%11.1f %8.1f", r.timeline[s].second, own);
    }
  }
  std::printf("\n\n");

  // The budgets, each said as met or missed. The yardstick of the start-up
  // is the minimal dialog without the common controls 6 the editor asks
  // for: that part of the cost is the editor's too.
  std::printf("measured on: %s\n", MeasuredOn().c_str());
  int missed = 0;
  auto budget = [&missed](bool met, const std::string& line) {
    missed += met ? 0 : 1;
    std::printf("%s %s\n", met ? "met:   " : "MISSED:", line.c_str());
  };
  char line[256];
  for (const Row& r : rows) {
    const double size = mb(r.bytes);
    const double limit = r.bytes > (2u << 20) ? 500 : 50;
    std::snprintf(line, sizeof(line), "start-up %.0f ms <= 1.5 x %.0f ms at %.2f MB", r.startMs, r.baselineMs, size);
    budget(r.startMs <= 1.5 * r.baselineMs, line);
    for (const auto& [name, ms] : r.tabs) {
      std::snprintf(line, sizeof(line), "tab %s %.0f ms < %.0f ms at %.2f MB", TrimBlanks(name).c_str(), ms, limit,
                    size);
      budget(ms < limit, line);
    }
    std::snprintf(line, sizeof(line), "Save %.0f ms < %.0f ms at %.2f MB", r.saveMs, limit, size);
    budget(r.saveMs < limit, line);
    if (r.bytes > (512u << 10) && r.bytes < (2u << 20)) {
      std::snprintf(line, sizeof(line), "peak working set %.1f MB <= %.1f + 8 MB at %.2f MB", r.peakMb,
                    r.baselinePeakMb, size);
      budget(r.peakMb <= r.baselinePeakMb + 8, line);
    }
  }
  // Where a missed start-up went: the largest steps of the editor's own.
  for (const Row& r : rows) {
    if (r.startMs <= 1.5 * r.baselineMs) continue;
    Timeline own;
    for (size_t s = 0; s < r.timeline.size() && r.timeline[s].first != "painted and idle"; ++s)
      own.emplace_back(r.timeline[s].first, r.timeline[s].second - (s ? r.timeline[s - 1].second : 0.0));
    std::sort(own.begin(), own.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    std::printf("start-up at %.2f MB went most to:", mb(r.bytes));
    for (size_t s = 0; s < own.size() && s < 4; ++s) std::printf(" %s %.0f ms;", own[s].first.c_str(), own[s].second);
    std::printf("\n");
  }
  std::printf("%d budget(s) missed\n", missed);
}

}  // namespace
