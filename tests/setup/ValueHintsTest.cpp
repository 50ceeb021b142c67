// The rules behind the marks: each value either passes (no hint) or gets a
// hint that names what is wrong with it.

#include "setup/ValueHints.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* value;
  const char* hintHolds;  // null: the value is fine; else a part of its hint
};

template <class Check>
void ExpectHints(const char* rule, Check check, std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    const std::string hint = check(c.value);
    if (!c.hintHolds) {
      EXPECT_EQ(hint, "") << rule << ": " << c.value;
      continue;
    }
    EXPECT_NE(hint.find(c.hintHolds), std::string::npos) << rule << ": " << c.value << " gave \"" << hint << "\"";
  }
}

TEST(ValueHints, AddressListsAreDottedQuadsOfZeroTo255SeparatedByCommas) {
  ExpectHints("address list", hints::AddressList,
              {
                  {"", nullptr},
                  {"10.1.2.30", nullptr},
                  {"0.0.0.0", nullptr},
                  {"255.255.255.255", nullptr},
                  {"10.1.2.5,10.1.2.6", nullptr},
                  {" 10.1.2.5 , \"10.1.2.6\" ", nullptr},  // setup's field syntax
                  {"10.1.2.256", "«10.1.2.256» - не IP-адрес"},
                  {"10.1.2", "«10.1.2» - не IP-адрес"},
                  {"10.1.2.3.4", "не IP-адрес"},
                  {"10.1..3", "не IP-адрес"},
                  {"10.1.2.0003", "не IP-адрес"},
                  {"10.1.2.x", "не IP-адрес"},
                  {"-1.0.0.0", "не IP-адрес"},
                  {"server.corp", "не IP-адрес"},
                  {"10.1.2.5;10.1.2.6", "«10.1.2.5;10.1.2.6» - не IP-адрес"},
                  {"10.1.2.5 10.1.2.6", "не IP-адрес"},
                  {"10.1.2.5,", "лишняя запятая"},
                  {"10.1.2.5,,10.1.2.6", "лишняя запятая"},
                  {"10.1.2.5,999.1.1.1", "«999.1.1.1»"},
              });
}

hints::AdapterHints Fixed(const char* addresses, const char* masks, const char* gateways,
                          const std::vector<hints::OtherAdapter>& others = {}) {
  return hints::AdapterTcpip({.dhcp = false, .addresses = addresses, .masks = masks, .gateways = gateways}, others);
}

TEST(ValueHints, MasksAreContiguousAndOnePerAddress) {
  ExpectHints("mask", [](const char* mask) { return Fixed("10.1.2.30", mask, "").masks; },
              {
                  {"255.255.255.0", nullptr},
                  {"255.255.240.0", nullptr},
                  {"255.255.255.255", nullptr},
                  {"128.0.0.0", nullptr},
                  {"255.0.255.0", "«255.0.255.0» не непрерывна"},
                  {"255.255.255.1", "не непрерывна"},
                  {"0.255.255.255", "не непрерывна"},
                  {"0.0.0.0", "0.0.0.0 не выделяет подсети"},
                  {"255.255.256.0", "не IP-адрес"},
                  {"", "нужна маска"},
                  {"255.255.255.0,255.255.0.0", "Масок 2, а IP-адресов 1"},
              });
  EXPECT_EQ(Fixed("10.1.2.30,10.1.3.30", "255.255.255.0,255.255.255.0", "").masks, "");
  EXPECT_NE(Fixed("10.1.2.30,10.1.3.30", "255.255.255.0", "").masks.find("Масок 1, а IP-адресов 2"), std::string::npos);
  // A bad address says so on its own box; the mask is not blamed for it.
  EXPECT_EQ(Fixed("10.1.2.300", "255.255.255.0", "").masks, "");
}

TEST(ValueHints, GatewaysLieInTheSubnetOfAnAddressOfTheAdapter) {
  ExpectHints("gateway", [](const char* gateway) { return Fixed("10.1.2.30", "255.255.255.0", gateway).gateways; },
              {
                  {"", nullptr},
                  {"10.1.2.1", nullptr},
                  {"10.1.2.254,10.1.2.253", nullptr},
                  {"10.1.3.1", "Шлюз «10.1.3.1» вне подсети адреса «10.1.2.30» с маской «255.255.255.0»"},
                  {"10.1.2.1,192.168.0.1", "«192.168.0.1» вне подсети"},
                  {"10.1.2.1000", "не IP-адрес"},
              });
  EXPECT_EQ(Fixed("10.1.2.30", "255.255.240.0", "10.1.15.1").gateways, "") << "a /20 reaches 10.1.15.1";
  EXPECT_EQ(Fixed("10.1.2.30,192.168.5.5", "255.255.255.0,255.255.0.0", "192.168.9.1").gateways, "");
  EXPECT_NE(
      Fixed("10.1.2.30,192.168.5.5", "255.255.255.0,255.255.0.0", "172.16.0.1").gateways.find("ни в одну подсеть"),
      std::string::npos);
  // Without a usable subnet there is nothing to hold the gateway against.
  EXPECT_EQ(Fixed("10.1.2.30", "255.0.255.0", "172.16.0.1").gateways, "");
  EXPECT_EQ(Fixed("", "", "172.16.0.1").gateways, "");
}

TEST(ValueHints, AFixedAddressNeedsItsAddressOnThisAdapterAlone) {
  const std::vector<hints::OtherAdapter> others{{"Adapter02", "10.1.9.9"}, {"Lab", "192.168.1.5, 10.1.2.30"}};
  EXPECT_EQ(Fixed("10.1.2.31", "255.255.255.0", "", others).addresses, "");
  EXPECT_NE(Fixed("10.1.2.30", "255.255.255.0", "", others).addresses.find("«10.1.2.30» уже задан адаптеру «Lab»"),
            std::string::npos);
  EXPECT_NE(Fixed("10.1.5.5,10.1.9.9", "255.255.255.0,255.255.255.0", "", others).addresses.find("«Adapter02»"),
            std::string::npos);
  EXPECT_NE(Fixed("", "", "").addresses.find("Без DHCP нужен IP-адрес"), std::string::npos);
  EXPECT_EQ(Fixed("", "", "").masks, "") << "the missing address is the one hint";

  // With DHCP on the fixed values are not used, whatever they hold; the
  // servers' lists are used either way.
  const hints::AdapterHints dhcp = hints::AdapterTcpip({.dhcp = true,
                                                        .addresses = "10.1.2.30",
                                                        .masks = "255.0.255.0",
                                                        .gateways = "1.2.3.4",
                                                        .dnsServers = "10.1.2.5;10.1.2.6",
                                                        .winsServers = "wins"},
                                                       others);
  EXPECT_EQ(dhcp.addresses + dhcp.masks + dhcp.gateways, "");
  EXPECT_NE(dhcp.dnsServers.find("не IP-адрес"), std::string::npos);
  EXPECT_NE(dhcp.winsServers.find("«wins» - не IP-адрес"), std::string::npos);
}

TEST(ValueHints, ComputerNamesAreNetBiosNamesOrTheGenerateRequest) {
  ExpectHints("computer name", hints::ComputerName,
              {
                  {"*", nullptr},
                  {"PC01", nullptr},
                  {"BUH-KASSA-02", nullptr},
                  {"ABCDEFGHIJKLMNO", nullptr},  // 15 characters
                  {"Бухгалтерия1", nullptr},
                  {"A", nullptr},
                  {"", "не задано"},
                  {"ABCDEFGHIJKLMNOP", "видно только «ABCDEFGHIJKLMNO»"},
                  {"12345", "из одних цифр"},
                  {"PC 01", "пробел"},
                  {"PC*", "Символ «*» недопустим"},
                  {"**", "Символ «*»"},
                  {"PC.corp", "Символ «.»"},
                  {"A\\B", "Символ «\\»"},
                  {"A/B", "«/»"},
                  {"A:B", "«:»"},
                  {"A?B", "«?»"},
                  {"A\"B", "«\"»"},
                  {"A<B", "«<»"},
                  {"A>B", "«>»"},
                  {"A|B", "«|»"},
                  {"A\tB", "управляющий символ"},
                  {"A,B", "«,»"},
                  {"A;B", "«;»"},
                  {"A=B", "«=»"},
                  {"A+B", "«+»"},
                  {"A[B", "«[»"},
                  {"A]B", "«]»"},
              });
  ExpectHints("full name", hints::FullName,
              {{"Петров Иван", nullptr}, {"*", nullptr}, {"", "не задано"}, {"  ", "не задано"}});
}

TEST(ValueHints, WorkgroupsProductKeysAndDnsSuffixes) {
  ExpectHints("workgroup", hints::WorkgroupName,
              {
                  {"", nullptr},
                  {"WORKGROUP", nullptr},
                  {"ABCDEFGHIJKLMNO", nullptr},
                  {"ABCDEFGHIJKLMNOP", "длиннее 15 символов"},
              });
  ExpectHints("product key", hints::ProductKey,
              {
                  {"", nullptr},
                  {"ABCDE-12345-FGHIJ-67890-KLMNO", nullptr},
                  {"abcde-12345-fghij-67890-klmno", nullptr},
                  {"ABCDE-12345-FGHIJ-67890", "пять групп по пять"},
                  {"ABCDE-12345-FGHIJ-67890-KLMNOP", "пять групп"},
                  {"ABCDE12345FGHIJ67890KLMNO", "пять групп"},
                  {"ABCDE 12345 FGHIJ 67890 KLMNO", "пять групп"},
                  {"ABCDE-12345-FGHIJ-67890-KLMN-", "пять групп"},
                  {"ФЫВАП-12345-FGHIJ-67890-KLMNO", "латинских"},
                  {" ABCDE-12345-FGHIJ-67890-KLMNO", "пять групп"},
              });
  ExpectHints("DNS suffix", hints::DnsSuffixList,
              {
                  {"", nullptr},
                  {"corp.example", nullptr},
                  {"corp.example.", nullptr},
                  {"my-site.corp.example,example", nullptr},
                  {"_msdcs.corp.example", nullptr},
                  {"сщкз.example", "«сщкз.example» - не DNS-имя"},
                  {"corp..example", "не DNS-имя"},
                  {".corp", "не DNS-имя"},
                  {"-corp.example", "не DNS-имя"},
                  {"corp example", "не DNS-имя"},
                  {"corp.example;example", "не DNS-имя"},
                  {"corp.example,", "лишняя запятая"},
              });
  EXPECT_NE(hints::DnsSuffixList(std::string(64, 'a') + ".example").find("не DNS-имя"), std::string::npos);
  EXPECT_EQ(hints::DnsSuffixList(std::string(63, 'a') + ".example"), "");
}

}  // namespace
