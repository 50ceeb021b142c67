// The checks behind the marks on the identification and network pages.
// They follow what setup and the network of Windows 2000 to Server 2003
// accept: dotted-quad addresses, contiguous masks, NetBIOS names of at most
// 15 characters.

#include "setup/ValueHints.h"

#include "sys/TextUtils.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

namespace hints {
namespace {

// An item of a list as setup's field syntax reads it: blanks around it and
// a pair of quotes around that dropped.
std::string ListItem(const std::string& raw) {
  std::string item = TrimBlanks(raw);
  if (item.size() >= 2 && item.front() == '"' && item.back() == '"') item = item.substr(1, item.size() - 2);
  return item;
}

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> items;
  size_t start = 0;
  for (;;) {
    size_t comma = list.find(',', start);
    items.push_back(ListItem(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
    if (comma == std::string::npos) return items;
    start = comma + 1;
  }
}

std::optional<std::uint32_t> DottedQuad(const std::string& text) {
  std::uint32_t value = 0;
  size_t pos = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (pos >= text.size() || text[pos] != '.') return std::nullopt;
      ++pos;
    }
    size_t digits = 0;
    unsigned number = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 4) {
      number = number * 10 + static_cast<unsigned>(text[pos] - '0');
      ++pos;
      ++digits;
    }
    if (digits == 0 || digits > 3 || number > 255) return std::nullopt;
    value = value << 8 | number;
  }
  if (pos != text.size()) return std::nullopt;
  return value;
}

std::string Quoted(const std::string& text) { return "«" + text + "»"; }

// The addresses of a list, or the hint on its first bad item.
struct ParsedList {
  std::vector<std::uint32_t> values;
  std::vector<std::string> items;
  std::string hint;
};

ParsedList ParseAddresses(const std::string& list) {
  ParsedList parsed;
  if (TrimBlanks(list).empty()) return parsed;
  for (const std::string& item : SplitList(list)) {
    if (item.empty()) {
      parsed.hint = "Пустой элемент списка: лишняя запятая.";
      return parsed;
    }
    std::optional<std::uint32_t> value = DottedQuad(item);
    if (!value) {
      parsed.hint = Quoted(item) +
                    " - не IP-адрес: нужны четыре числа от 0 до 255 через точку, "
                    "несколько адресов - через запятую.";
      return parsed;
    }
    parsed.values.push_back(*value);
    parsed.items.push_back(item);
  }
  return parsed;
}

bool Contiguous(std::uint32_t mask) {
  std::uint32_t hostBits = ~mask;
  return (hostBits & (hostBits + 1)) == 0;
}

std::string MaskHint(const ParsedList& masks) {
  if (!masks.hint.empty()) return masks.hint;
  for (size_t i = 0; i < masks.values.size(); ++i) {
    if (masks.values[i] == 0) return "Маска 0.0.0.0 не выделяет подсети.";
    if (!Contiguous(masks.values[i]))
      return "Маска " + Quoted(masks.items[i]) +
             " не непрерывна: единицы в ней должны идти подряд слева, "
             "например 255.255.255.0 или 255.255.240.0.";
  }
  return {};
}

std::string Count(size_t n) { return std::to_string(n); }

}  // namespace

std::string AddressList(const std::string& list) { return ParseAddresses(list).hint; }

AdapterHints AdapterTcpip(const AdapterValues& values, const std::vector<OtherAdapter>& others) {
  AdapterHints result;
  result.dnsServers = AddressList(values.dnsServers);
  result.winsServers = AddressList(values.winsServers);
  if (values.dhcp) return result;

  ParsedList addresses = ParseAddresses(values.addresses);
  ParsedList masks = ParseAddresses(values.masks);
  ParsedList gateways = ParseAddresses(values.gateways);
  const bool noAddress = addresses.hint.empty() && addresses.values.empty();
  const bool noMask = masks.hint.empty() && masks.values.empty();

  if (noAddress) {
    result.addresses = "Без DHCP нужен IP-адрес: задайте его или включите DHCP.";
  } else if (!addresses.hint.empty()) {
    result.addresses = addresses.hint;
  } else {
    std::vector<ParsedList> theirs;
    for (const OtherAdapter& other : others) theirs.push_back(ParseAddresses(other.addresses));
    for (size_t i = 0; i < addresses.values.size() && result.addresses.empty(); ++i) {
      for (size_t k = 0; k < others.size(); ++k) {
        const std::vector<std::uint32_t>& values = theirs[k].values;
        if (std::find(values.begin(), values.end(), addresses.values[i]) != values.end()) {
          result.addresses = "Адрес " + Quoted(addresses.items[i]) + " уже задан адаптеру " + Quoted(others[k].name) +
                             ": два адаптера с одним адресом не будут работать.";
          break;
        }
      }
    }
  }

  if (noMask) {
    if (!noAddress) result.masks = "Без DHCP каждому IP-адресу нужна маска подсети.";
  } else {
    result.masks = MaskHint(masks);
    if (result.masks.empty() && addresses.hint.empty() && !noAddress && masks.values.size() != addresses.values.size())
      result.masks = "Масок " + Count(masks.values.size()) + ", а IP-адресов " + Count(addresses.values.size()) +
                     ": каждому адресу нужна своя маска, в том же порядке.";
  }

  result.gateways = gateways.hint;
  const bool subnetsKnown = !noAddress && addresses.hint.empty() && !noMask && result.masks.empty();
  if (result.gateways.empty() && subnetsKnown) {
    for (size_t g = 0; g < gateways.values.size() && result.gateways.empty(); ++g) {
      bool reachable = false;
      for (size_t i = 0; i < addresses.values.size(); ++i)
        reachable = reachable || (gateways.values[g] & masks.values[i]) == (addresses.values[i] & masks.values[i]);
      if (reachable) continue;
      if (addresses.values.size() == 1)
        result.gateways = "Шлюз " + Quoted(gateways.items[g]) + " вне подсети адреса " + Quoted(addresses.items[0]) +
                          " с маской " + Quoted(masks.items[0]) + ": машина не сможет до него дойти.";
      else
        result.gateways = "Шлюз " + Quoted(gateways.items[g]) +
                          " не входит ни в одну подсеть адресов этого адаптера: машина не сможет до него дойти.";
    }
  }
  return result;
}

std::string ComputerName(const std::string& name) {
  if (name == "*") return {};
  if (name.empty())
    return "Имя компьютера не задано: программа установки остановится и спросит его.\n* - сгенерировать имя.";
  for (char c : name) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 32) return "В имени компьютера управляющий символ: его нельзя использовать в имени.";
    if (c == ' ') return "В имени компьютера пробел: в Windows 2000 и новее он недопустим.";
    if (std::string_view("\\/:*?\"<>|.,;=+[]").find(c) != std::string_view::npos)
      return "Символ " + Quoted(std::string(1, c)) +
             " недопустим в имени компьютера.\nНельзя: \\ / : * ? \" < > | . , ; = + [ ] и пробел.";
  }
  if (name.find_first_not_of("0123456789") == std::string::npos)
    return "Имя компьютера из одних цифр недопустимо: нужна хотя бы одна буква.";
  if (name.size() > 15)
    return "Имя длиннее 15 символов: в сети (NetBIOS) будет видно только " + Quoted(name.substr(0, 15)) + ".";
  return {};
}

std::string FullName(const std::string& name) {
  if (TrimBlanks(name).empty()) return "Имя пользователя не задано: программа установки остановится и спросит его.";
  return {};
}

std::string WorkgroupName(const std::string& name) {
  if (name.size() > 15) return "Имя рабочей группы длиннее 15 символов: присоединиться к ней не удастся.";
  return {};
}

std::string ProductKey(const std::string& key) {
  if (key.empty()) return {};
  bool fits = key.size() == 29;
  for (size_t i = 0; fits && i < key.size(); ++i) {
    const char c = key[i];
    if (i % 6 == 5)
      fits = c == '-';
    else
      fits = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  }
  if (fits) return {};
  return "Ключ продукта - пять групп по пять латинских букв и цифр через дефис:\nXXXXX-XXXXX-XXXXX-XXXXX-XXXXX.";
}

std::string DnsSuffixList(const std::string& list) {
  if (TrimBlanks(list).empty()) return {};
  for (std::string item : SplitList(list)) {
    if (item.empty()) return "Пустой элемент списка: лишняя запятая.";
    // A name written with its root dot is the same name.
    if (item.size() > 1 && item.back() == '.') item.pop_back();
    bool valid = item.size() <= 255;
    size_t labelStart = 0;
    for (size_t i = 0; valid && i <= item.size(); ++i) {
      if (i == item.size() || item[i] == '.') {
        const size_t length = i - labelStart;
        valid = length >= 1 && length <= 63 && item[labelStart] != '-' && item[i - 1] != '-';
        labelStart = i + 1;
        continue;
      }
      const char c = item[i];
      valid = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_';
    }
    if (!valid)
      return Quoted(item) +
             " - не DNS-имя: части из латинских букв, цифр и дефисов "
             "через точку, каждая не длиннее 63 символов.";
  }
  return {};
}

}  // namespace hints
