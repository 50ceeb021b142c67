// Thousands of random operator actions on the real editor, then Save: tab
// changes, clicks on whatever can be clicked, typing of Latin, Cyrillic,
// digits and punctuation into every box, list picks, Tab and Ctrl+Tab. The
// editor must stay responsive, end with 0, and leave every section, key,
// comment and blank line of the answer file that no page owns exactly as
// it was. Actions that end a run or may rewrite any line by design are left
// out: Save and Cancel until the end, Esc, Enter, the close box, the
// preview's hand editing.
//
// KIV_MONKEY_SEED=n replays a run (the seed is printed, and every failure
// names it with the last actions); KIV_MONKEY_ACTIONS=n changes the count.

#include "robust/RobustSupport.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <iterator>
#include <map>
#include <random>

namespace kivtest {
namespace {

using Clock = std::chrono::steady_clock;

std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

// Every key the pages edit, and between them what no page owns: whole
// sections, keys the pages only read or do not know in the sections they
// write, comments, blank lines, tabs and odd spacing, a key without a value,
// a header with blanks inside its brackets, text that looks like a header.
const std::string kAnswerFile = Lines({
    "; Ответы для установки: бухгалтерия, второй этаж",
    ";   the pages must not touch a byte of this",
    "",
    "[Data]",
    "AutoPartition = 0",
    "MsDosInitiated = \"0\"",
    "UnattendedInstall = \"Yes\"",
    "uniqueness = ACC-PC02",
    "",
    "[Unattended]",
    "\tUnattendMode = FullUnattended",
    "OemSkipEula=Yes",
    "  OemPreinstall   =   No   ",
    "TargetPath = \\WINDOWS",
    "NoValueKey",
    " ; отступ перед комментарием",
    "DriverSigningPolicy = Ignore ; trailing comment",
    "",
    "[GuiUnattended]",
    "AdminPassword = \"*\"",
    "OEMSkipRegional = 1",
    "TimeZone = 145",
    "",
    "[UserData]",
    "ComputerName = PC01",
    "FullName = \"Бухгалтерия\"",
    "; комментарий внутри раздела страницы",
    "OrgName = \"ООО Пример\"",
    "ProductKey = \"XXXXX-XXXXX-XXXXX-XXXXX-XXXXX\"",
    "  OwnerNote  =  ключ, которого страница не знает  ",
    "",
    "[GuiRunOnce]",
    "Command0=\"%SystemDrive%\\install\\KivEdt.exe -f:C:\\unattend.txt\"",
    "Command1 = \"cmd /c echo [UserData] > nul\"",
    "Command2=rundll32 printui.dll,PrintUIEntry /in /n \"\\\\srv\\Принтер\"",
    "",
    "[Components]",
    "msmsgs = off",
    "  freecell=off",
    "Solitaire  =  off",
    "pinball=OFF",
    "",
    "[ Shell ]",
    "DefaultStartPanelOff = Yes",
    "[Empty]",
    "",
    "",
    "[RegionalSettings]",
    "LanguageGroup = 5",
    "InputLocale = 0409:00000409,0419:00000419",
    "",
    "[Identification]",
    "JoinDomain = CORP",
    "DomainAdmin = \"CORP\\deploy\"",
    "DomainAdminPassword = \"secret\"",
    "MachineObjectOU = \"OU=Accounting,DC=corp,DC=example\"",
    "",
    "[Networking]",
    "InstallDefaultComponents = No",
    "ProcessPageSections = Yes",
    "",
    "[NetAdapters]",
    "Adapter01 = params.Adapter01",
    "Adapter02 = params.Adapter02",
    "",
    "[params.Adapter01]",
    "InfID = \"PCI\\VEN_8086&DEV_1229\"",
    "NetCardAddress = 0x00A0C9112233",
    "ConnectionName = \"Corporate\"",
    "MediaType = 1",
    "",
    "[params.Adapter02]",
    "InfID = \"PCI\\VEN_10B7&DEV_9200\"",
    "ConnectionName = \"Lab Network\"",
    "",
    "[NetProtocols]",
    "MS_TCPIP = params.MS_TCPIP",
    "",
    "[params.MS_TCPIP]",
    "AdapterSections = params.MS_TCPIP.Adapter01,params.MS_TCPIP.Adapter02",
    "DNSDomain = corp.example",
    "DNSSuffixSearchOrder = corp.example,example",
    "EnableLMHosts = Yes",
    "EnableSecurity = No",
    "SyncDomainWithMembership = Yes",
    "UseDomainNameDevolution = Yes",
    "",
    "[params.MS_TCPIP.Adapter01]",
    "SpecificTo = Adapter01",
    "DHCP = No",
    "IPAddress = 10.1.2.30",
    "SubnetMask = 255.255.255.0",
    "DefaultGateway = 10.1.2.1",
    "DNSServerSearchOrder = 10.1.2.5,10.1.2.6",
    "WINSServerList = 10.1.2.7",
    "WINS = Yes",
    "NetBIOSOptions = 1",
    "",
    "[params.MS_TCPIP.Adapter02]",
    "SpecificTo = Adapter02",
    "DHCP = Yes",
    "WINS = No",
    "NetBIOSOptions = 0",
    "",
    "[TapiLocation]",
    "CountryCode = 7",
    "AreaCode = 495",
    "",
    "[Branding]",
    "BrandIEUsingUnattended = Yes",
    "",
    "[Proxy]",
    "Proxy_Enable = 1",
    "Use_Same_Proxy = 1",
    "HTTP_Proxy_Server = proxy.corp.example:8080",
    "Secure_Proxy_Server = secure.corp.example:8443",
    "Proxy_Override = \"*.corp.example;<local>\"",
    "",
    "[Display]",
    "BitsPerPel = 32",
    "Xresolution = 1024",
    "Yresolution = 768",
    "Vrefresh = 75",
    "AutoConfirm = 1",
});

// The keys each page writes or deletes, by section (upper case). The pages
// only read "AdapterSections", "SpecificTo" and the "Data" keys.
const std::map<std::string, std::set<std::string>> kOwnedKeys = {
    {"USERDATA", {"COMPUTERNAME", "FULLNAME", "ORGNAME", "PRODUCTKEY", "PRODUCTID"}},
    {"IDENTIFICATION", {"JOINDOMAIN", "JOINWORKGROUP", "DOMAINADMIN", "DOMAINADMINPASSWORD", "MACHINEOBJECTOU"}},
    // The local administrator's password box of the network page.
    {"GUIUNATTENDED", {"ADMINPASSWORD"}},
    {"NETPROTOCOLS", {"MS_TCPIP", "#MS_TCPIP"}},
    {"NETWORKING", {"INSTALLDEFAULTCOMPONENTS"}},
    {"NETADAPTERS", {"ADAPTER01", "ADAPTER02"}},
    {"PARAMS.ADAPTER01", {"INFID", "CONNECTIONNAME", "NETCARDADDRESS"}},
    {"PARAMS.ADAPTER02", {"INFID", "CONNECTIONNAME", "NETCARDADDRESS"}},
    {"PARAMS.MS_TCPIP",
     {"ENABLELMHOSTS", "ENABLESECURITY", "SYNCDOMAINWITHMEMBERSHIP", "USEDOMAINNAMEDEVOLUTION", "DNSDOMAIN",
      "DNSSUFFIXSEARCHORDER"}},
    {"BRANDING", {"BRANDIEUSINGUNATTENDED"}},
    {"PROXY", {"PROXY_ENABLE", "HTTP_PROXY_SERVER", "USE_SAME_PROXY", "PROXY_OVERRIDE"}},
    {"DISPLAY", {"BITSPERPEL", "VREFRESH", "XRESOLUTION", "YRESOLUTION"}},
};
// An adapter's TCP/IP section is named after the text of the adapter box,
// which the operator may type: any such section belongs to the page.
const std::string kAdapterTcpipPrefix = "PARAMS.MS_TCPIP.";
const std::set<std::string> kAdapterTcpipKeys = {
    "IPADDRESS",      "SUBNETMASK", "DEFAULTGATEWAY", "DNSSERVERSEARCHORDER",
    "WINSSERVERLIST", "DHCP",       "WINS",           "NETBIOSOPTIONS"};

const std::set<std::string>* OwnedKeysOf(const std::string& section) {
  const std::string name = Upper(section);
  if (auto it = kOwnedKeys.find(name); it != kOwnedKeys.end()) return &it->second;
  if (name.rfind(kAdapterTcpipPrefix, 0) == 0) return &kAdapterTcpipKeys;
  return nullptr;
}

// The lines of an owned section without those of its owned keys.
std::vector<std::string> UnownedLines(const IniSection& section, const std::set<std::string>& owned) {
  std::vector<std::string> lines;
  for (const std::string& line : section.lines)
    if (!owned.count(Upper(IniSection::KeyOf(line)))) lines.push_back(line);
  return lines;
}

std::string Shown(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "  |" + line;
  return text;
}

// A section's lines without the blank lines at its end: when a page adds a
// section at the end of the file, a blank line sets it apart from the last
// one, which is no change of that section.
std::vector<std::string> WithoutBlankEnd(std::vector<std::string> lines) {
  while (!lines.empty() && lines.back().find_first_not_of(" \t\r\n") == std::string::npos) lines.pop_back();
  return lines;
}

// Everything of `before` that no page owns must be in `after` as it was:
// sections nobody owns, whole and in their order (so any new section is a
// page's); in a page's section, its other lines in their order.
void ExpectUnownedUnchanged(const std::string& before, const std::string& after, const std::string& trail) {
  const std::vector<IniSection> was = SplitSections(before), is = SplitSections(after);
  // The lines of a section of `before` as compared, and the lines that stand
  // for it in `after`: the last section may have gained blank lines.
  auto compared = [&](const IniSection& of, std::vector<std::string> lines) {
    return &of == &was.back() ? WithoutBlankEnd(std::move(lines)) : lines;
  };
  std::vector<const IniSection*> wasFree, isFree;
  for (const IniSection& s : was)
    if (!OwnedKeysOf(s.name)) wasFree.push_back(&s);
  for (const IniSection& s : is)
    if (!OwnedKeysOf(s.name)) isFree.push_back(&s);
  EXPECT_EQ(wasFree.size(), isFree.size()) << "sections no page owns, before and after" << trail;
  for (size_t i = 0; i < std::min(wasFree.size(), isFree.size()); ++i) {
    const IniSection& s = *wasFree[i];
    const std::vector<std::string> kept = compared(s, s.lines), left = compared(s, isFree[i]->lines);
    EXPECT_EQ(s.name, isFree[i]->name) << trail;
    EXPECT_TRUE(kept == left) << "[" << s.name << "] was\n" << Shown(kept) << "\nand is\n" << Shown(left) << trail;
  }
  std::set<std::string> seen;
  for (const IniSection& s : was) {
    const std::set<std::string>* owned = OwnedKeysOf(s.name);
    if (!owned || !seen.insert(Upper(s.name)).second) continue;
    auto now = std::find_if(is.begin(), is.end(), [&](const IniSection& n) { return Upper(n.name) == Upper(s.name); });
    if (now == is.end()) {
      ADD_FAILURE() << "section [" << s.name << "] is gone" << trail;
      continue;
    }
    const std::vector<std::string> kept = compared(s, UnownedLines(s, *owned)),
                                   left = compared(s, UnownedLines(*now, *owned));
    EXPECT_TRUE(kept == left) << "the lines of [" << s.name << "] no page owns were\n"
                              << Shown(kept) << "\nand are\n"
                              << Shown(left) << trail;
  }
}

// Typed text: Latin and Cyrillic letters (code page 1251), digits, blanks
// and the punctuation that means something in an INI file or a path.
const std::string kAlphabet =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
    "абвгдеёжзийклмнопрстуфхцчшщъыьэюяАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ№"
    "    .,;:=[]\"'<>/\\*?!@#$%^&()-_+{}|~`";

// Windows of the dialog the operator may act on, and what they are.
struct Target {
  HWND hwnd;
  std::string name;  // the design name; for a combo box's text field, its box's
  std::string kind;  // the window class, upper case
};

class MonkeyRun : public EditorRun {
 protected:
  void SetUp() override {
    const char* seed = std::getenv("KIV_MONKEY_SEED");
    seed_ = seed && *seed ? static_cast<uint32_t>(std::strtoul(seed, nullptr, 10)) : 20240915u;
    const char* actions = std::getenv("KIV_MONKEY_ACTIONS");
    actions_ = actions && *actions ? std::atoi(actions) : 5000;
    random_.seed(seed_);
    std::printf("monkey seed %u, %d actions (KIV_MONKEY_SEED=%u replays this run)\n", seed_, actions_, seed_);

    WriteWholeFile(answerFile, kAnswerFile);
    // No [UDB] and no [Commands]: the UDB page merges and the run-program
    // page starts programs, both by design; a countdown that never ends.
    WriteWholeFile(folder / "KivEdt.ini", "[KivEditor]\r\nTimeOut=600\r\n");
    Start("-f:winnt.sif");
    ASSERT_TRUE(WaitForDialog());
    ASSERT_EQ(TabCount("PC"), 4) << "identification, network, display and preview";
    dialog_ = Window("dlgSettings");
    thread_ = GetWindowThreadProcessId(dialog_, &pid_);
    editor_ = OpenProcess(SYNCHRONIZE, FALSE, pid_);
    ASSERT_TRUE(editor_);
    queue_ = std::make_unique<PostedQueue>(dialog_);
    ASSERT_TRUE(queue_->Usable()) << "no tooltip window to mark the editor's queue with";
    buffer_ = std::make_unique<RemoteBuffer>(pid_, 256);
    ASSERT_TRUE(buffer_->Valid());
    CollectTargets(dialog_, "");
  }

  void TearDown() override {
    if (editor_) CloseHandle(editor_);
  }

  void CollectTargets(HWND parent, const std::string& parentName) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      char cls[64] = {};
      GetClassNameA(child, cls, sizeof(cls));
      std::string name = KivNameOf(child);
      if (name.empty()) name = parentName;
      targets_.push_back({child, name, Upper(cls)});
      CollectTargets(child, name);
    }
  }

  // Whether the operator can reach the window: shown and enabled, and so
  // are all the windows around it.
  static bool Reachable(HWND hwnd) {
    if (!IsWindowVisible(hwnd)) return false;
    for (HWND w = hwnd; w; w = GetParent(w))
      if (!IsWindowEnabled(w)) return false;
    return true;
  }

  std::vector<const Target*> Reachable(const std::function<bool(const Target&)>& wanted) const {
    std::vector<const Target*> found;
    for (const Target& t : targets_)
      if (wanted(t) && Reachable(t.hwnd)) found.push_back(&t);
    return found;
  }

  int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

  void Note(const std::string& action) {
    if (action[0] != ' ') ++kinds_[action.substr(0, action.find_first_of(" 0123456789"))];
    trail_.push_back(std::to_string(done_) + ": " + action);
    if (trail_.size() > 40) trail_.pop_front();
  }

  std::string Trail() const {
    std::string text = "\nseed " + std::to_string(seed_) + " (KIV_MONKEY_SEED), the last actions:";
    for (const std::string& line : trail_) text += "\n  " + line;
    return text;
  }

  static void PostClick(HWND hwnd, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageA(hwnd, WM_MOUSEMOVE, 0, at);
    PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(hwnd, WM_LBUTTONUP, 0, at);
  }

  void ClickSomewhereIn(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    const int x = r.right > 2 ? 1 + Pick(r.right - 2) : 0, y = r.bottom > 2 ? 1 + Pick(r.bottom - 2) : 0;
    PostClick(hwnd, x, y);
  }

  template <class T>
  bool SendForResult(HWND hwnd, UINT message, WPARAM wParam, T& result) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(hwnd, message, wParam, buffer_->Address(), SMTO_NORMAL, 10000, &answer) || !answer)
      return false;
    return buffer_->Read(&result, sizeof(result));
  }

  // A click on a tab of a page control, or on the arrows that scroll its
  // strip when the tab is out of sight.
  bool ClickTab(const char* pageControl) {
    HWND tabs = Window(pageControl);
    if (!tabs || !Reachable(tabs)) return false;
    DWORD_PTR count = 0;
    SendMessageTimeoutA(tabs, TCM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 10000, &count);
    if (count == 0) return false;
    const int index = Pick(static_cast<int>(count));
    RECT r{}, client{};
    GetClientRect(tabs, &client);
    if (!SendForResult(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), r)) return false;
    HWND arrows = FindWindowExA(tabs, nullptr, UPDOWN_CLASSA, nullptr);
    RECT a{};
    if (arrows && IsWindowVisible(arrows)) {
      GetWindowRect(arrows, &a);
      MapWindowPoints(nullptr, tabs, reinterpret_cast<POINT*>(&a), 2);
    } else {
      a.left = client.right;
    }
    if (r.left < 0 || r.right > a.left) {
      Note(std::string("scroll the tabs of ") + pageControl + (r.left < 0 ? " left" : " right"));
      RECT ar{};
      GetClientRect(arrows, &ar);
      PostClick(arrows, r.left < 0 ? ar.right / 4 : ar.right * 3 / 4, ar.bottom / 2);
      return true;
    }
    Note(std::string("tab ") + std::to_string(index) + " of " + pageControl);
    PostClick(tabs, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return true;
  }

  bool ClickControl() {
    const auto found = Reachable([](const Target& t) {
      // Save, Cancel and the preview's edit switch end the run or may rewrite
      // every line; the page controls' tabs have actions of their own.
      static const std::set<std::string> left = {"btnSave", "btnCancel", "chkAllowEdit", "PC", "pc_network"};
      return !left.count(t.name) || t.kind == Upper(UPDOWN_CLASSA);
    });
    if (found.empty()) return false;
    const Target& t = *found[static_cast<size_t>(Pick(static_cast<int>(found.size())))];
    Note("click " + t.name + " (" + t.kind + ")");
    ClickSomewhereIn(t.hwnd);
    return true;
  }

  bool TypeText() {
    const auto found = Reachable([](const Target& t) { return t.kind == "EDIT" && t.name != "memPrewiwIni"; });
    if (found.empty()) return false;
    const Target& t = *found[static_cast<size_t>(Pick(static_cast<int>(found.size())))];
    std::string text;
    for (int n = 1 + Pick(10); n > 0; --n)
      text += kAlphabet[static_cast<size_t>(Pick(static_cast<int>(kAlphabet.size())))];
    const int mode = Pick(4);
    const int erase = mode == 3 ? 1 + Pick(5) : 0;
    Note("type \"" + text + "\" into " + t.name + (mode == 0 ? " over all its text" : "") +
         (erase ? " after " + std::to_string(erase) + " backspaces" : ""));
    ClickSomewhereIn(t.hwnd);
    // As a double click and typing would: the whole text replaced.
    if (mode == 0) PostMessageA(t.hwnd, EM_SETSEL, 0, -1);
    for (int i = 0; i < erase; ++i) PostMessageA(t.hwnd, WM_CHAR, VK_BACK, 1);
    for (char c : text) PostMessageA(t.hwnd, WM_CHAR, static_cast<unsigned char>(c), 1);
    return true;
  }

  // Drops a list down and clicks one of its items.
  bool PickFromList() {
    const auto found = Reachable([](const Target& t) { return t.kind == "COMBOBOX"; });
    if (found.empty()) return false;
    const Target& t = *found[static_cast<size_t>(Pick(static_cast<int>(found.size())))];
    Note("drop down " + t.name);
    PostMessageA(t.hwnd, CB_SHOWDROPDOWN, TRUE, 0);
    if (!queue_->Drain()) return true;
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    buffer_->Write(&info, sizeof(info));
    if (!SendForResult(t.hwnd, CB_GETCOMBOBOXINFO, 0, info) || !info.hwndList || !IsWindowVisible(info.hwndList)) {
      Note("  no list shown");
      return true;
    }
    DWORD_PTR count = 0;
    SendMessageTimeoutA(info.hwndList, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 10000, &count);
    if (count == 0 || count == static_cast<DWORD_PTR>(LB_ERR)) {
      Note("  an empty list");
      return true;
    }
    const int index = Pick(static_cast<int>(count));
    // A list box message the system carries between processes itself.
    RECT r{};
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutA(info.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r),
                             SMTO_NORMAL, 10000, &got) ||
        got == static_cast<DWORD_PTR>(LB_ERR)) {
      Note("  no rectangle for item " + std::to_string(index));
      return true;
    }
    Note("  pick item " + std::to_string(index));
    PostClick(info.hwndList, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return true;
  }

  HWND Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (GetGUIThreadInfo(thread_, &info) && info.hwndFocus) return info.hwndFocus;
    return dialog_;
  }

  bool PressTab(bool ctrl, bool shift) {
    HWND focus = Focus();
    Note(std::string(ctrl ? "Ctrl+" : "") + (shift ? "Shift+" : "") + "Tab in " + KivNameOf(focus));
    if (!PostKeyWithModifiers(thread_, focus, VK_TAB, ctrl, shift, *queue_)) Note("  the key was not taken in time");
    return true;
  }

  // Keys that move within a box, a list or a tab strip, or delete in a box.
  bool PressMovingKey() {
    static const WORD keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_DELETE, VK_PRIOR, VK_NEXT};
    const WORD vk = keys[Pick(static_cast<int>(std::size(keys)))];
    HWND focus = Focus();
    Note("key " + std::to_string(vk) + " in " + KivNameOf(focus));
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(focus, WM_KEYDOWN, vk, 1 | scan);
    PostMessageA(focus, WM_KEYUP, vk, 1 | scan | (3LL << 30));
    return true;
  }

  // One action; one that finds nothing to act on (no box to type into on
  // the display page) gives way to another draw.
  void Act() {
    for (;;) {
      const int roll = Pick(100);
      const bool acted = roll < 8    ? ClickTab("PC")
                         : roll < 16 ? ClickTab("pc_network")
                         : roll < 44 ? ClickControl()
                         : roll < 70 ? TypeText()
                         : roll < 80 ? PickFromList()
                         : roll < 84 ? PressTab(true, Pick(2) == 1)
                         : roll < 92 ? PressTab(false, Pick(2) == 1)
                                     : PressMovingKey();
      if (acted) return;
    }
  }

  // The editor alive, answering, and showing no message box.
  bool Healthy() {
    if (WaitForSingleObject(editor_, 0) == WAIT_OBJECT_0) {
      ADD_FAILURE() << "the editor ended during the actions" << Trail();
      return false;
    }
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutA(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored)) {
      ADD_FAILURE() << "the editor did not answer within 10 s" << Trail();
      return false;
    }
    if (HWND box = WaitForMessageBox(0)) {
      ADD_FAILURE() << "the editor reported " << MessageBoxText(box) << Trail();
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    return true;
  }

  uint32_t seed_ = 0;
  int actions_ = 0;
  int done_ = 0;
  std::mt19937 random_;
  std::deque<std::string> trail_;
  std::map<std::string, int> kinds_;  // actions by their first word
  HWND dialog_ = nullptr;
  DWORD thread_ = 0, pid_ = 0;
  HANDLE editor_ = nullptr;
  std::unique_ptr<PostedQueue> queue_;
  std::unique_ptr<RemoteBuffer> buffer_;
  std::vector<Target> targets_;
};

TEST_F(MonkeyRun, ThousandsOfRandomActionsThenSaveKeepEverythingNoPageOwns) {
  // Keys with Ctrl reach the editor as the operator's would: Ctrl+Tab turns
  // the dialog's page, Ctrl+Shift+Tab turns it back.
  auto page = [this] {
    DWORD_PTR index = 99;
    SendMessageTimeoutA(Window("PC"), TCM_GETCURSEL, 0, 0, SMTO_NORMAL, 10000, &index);
    return static_cast<int>(index);
  };
  ASSERT_EQ(page(), 0);
  PressTab(true, false);
  ASSERT_EQ(page(), 1);
  PressTab(true, true);
  ASSERT_EQ(page(), 0);

  const auto start = Clock::now();
  for (done_ = 0; done_ < actions_; ++done_) {
    Act();
    // Each action is taken before the next is chosen, so that a seed
    // replays the same run.
    if (!queue_->Drain()) {
      ADD_FAILURE() << "the editor did not take an action within 10 s" << Trail();
      break;
    }
    if (done_ % 50 == 49 && !Healthy()) break;
  }
  if (HasFailure()) return;
  ASSERT_TRUE(Healthy());
  const double acting = std::chrono::duration<double>(Clock::now() - start).count();

  Note("click btnSave");
  ClickButton("btnSave");
  ASSERT_EQ(Finish(), 0) << Trail();
  std::printf("%d actions in %.1f s, then Save:", done_, acting);
  for (const auto& [kind, count] : kinds_) std::printf(" %s %d,", kind.c_str(), count);
  std::printf("\n");
  EXPECT_FALSE(FileExists(answerFile + ".new"));
  const std::string saved = ReadWholeFile(answerFile);
  EXPECT_NE(saved, kAnswerFile) << "thousands of actions changed nothing: they did not reach the editor";
  ExpectUnownedUnchanged(kAnswerFile, saved, Trail());
}

}  // namespace
}  // namespace kivtest
