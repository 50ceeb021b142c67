// The network page's browser proxy keys: shown, and written back by a save
// with no change to mean what they meant.

#include "pages/NetworkFixture.h"

using namespace gui;
using namespace kivtest;

namespace {

class NetworkProxyTest : public NetworkPageTest {};

TEST_F(NetworkProxyTest, WithoutTheSectionsTheDefaultsAreShownAndWritten) {
  Load(Ini({"[Identification]", "JoinWorkgroup=WG"}));
  EXPECT_TRUE(page->chkUseProxy->Checked());
  EXPECT_FALSE(page->chkEnableProxy->Checked());
  EXPECT_TRUE(page->chkUseSameProxy->Checked());
  EXPECT_FALSE(page->chkSkipProxyForLocal->Checked());
  for (Edit* box : {page->edHTTPProxyAddress, page->edHTTPProxyPort, page->edSkipProxy})
    EXPECT_EQ(box->Text(), "") << box->Name();
  page->SaveSettings();
  EXPECT_EQ(Value("Branding", "BrandIEUsingUnattended"), "Yes");
  EXPECT_EQ(Value("Proxy", "Proxy_Enable"), "0");
  EXPECT_EQ(Value("Proxy", "HTTP_Proxy_Server"), ":");
  EXPECT_EQ(Value("Proxy", "Use_Same_Proxy"), "1");
  EXPECT_EQ(Value("Proxy", "Proxy_Override"), "");
}

TEST_F(NetworkProxyTest, ValuesSurviveALoadAndASave) {
  struct Case {
    const char* server;
    const char* address;
    const char* port;
    const char* savedServer;
    const char* override_;
    bool local;
    const char* exceptions;
    const char* savedOverride;
  } cases[] = {
      {"proxy.corp.example:8080", "proxy.corp.example", "8080", "proxy.corp.example:8080", "", false, "", ""},
      {"http://proxyserver:80", "http://proxyserver", "80", "http://proxyserver:80", "<local>", true, "", "<local>"},
      {"proxyhost", "proxyhost", "", "proxyhost", "*.corp.example;<local>", true, "*.corp.example;",
       "*.corp.example;<local>"},
      {"[fe80::1]:3128", "[fe80::1]", "3128", "[fe80::1]:3128", "<LOCAL>", false, "<LOCAL>", "<LOCAL>"},
      {":", "", "", ":", "a.example;b.example", false, "a.example;b.example", "a.example;b.example"},
      {":::", "::", "", ":::", "<local>;a.example", true, ";a.example", ";a.example;<local>"},
      {"http://proxy", "http://proxy", "", "http://proxy", "", false, "", ""},
      {"proxyhost:", "proxyhost", "", "proxyhost:", "", false, "", ""},
      {"[fe80::1]", "[fe80::1]", "", "[fe80::1]", "", false, "", ""},
      {"http://[fe80::1]:3128", "http://[fe80::1]", "3128", "http://[fe80::1]:3128", "", false, "", ""},
      {":8080", "", "8080", ":8080", "a.example;<local>;<local>", true, "a.example;;<local>",
       "a.example;;<local>;<local>"},
  };
  for (const Case& c : cases) {
    Load(Ini({"[Branding]", "BrandIEUsingUnattended=No", "[Proxy]", "Proxy_Enable=1", "Use_Same_Proxy=0",
              std::string("HTTP_Proxy_Server=") + c.server, std::string("Proxy_Override=\"") + c.override_ + "\""}));
    EXPECT_FALSE(page->chkUseProxy->Checked());
    EXPECT_TRUE(page->chkEnableProxy->Checked());
    EXPECT_FALSE(page->chkUseSameProxy->Checked());
    EXPECT_EQ(page->edHTTPProxyAddress->Text(), c.address) << c.server;
    EXPECT_EQ(page->edHTTPProxyPort->Text(), c.port) << c.server;
    EXPECT_EQ(page->chkSkipProxyForLocal->Checked(), c.local) << c.override_;
    EXPECT_EQ(page->edSkipProxy->Text(), c.exceptions) << c.override_;
    page->SaveSettings();
    EXPECT_EQ(Value("Branding", "BrandIEUsingUnattended"), "No");
    EXPECT_EQ(Value("Proxy", "Proxy_Enable"), "1");
    EXPECT_EQ(Value("Proxy", "Use_Same_Proxy"), "0");
    EXPECT_EQ(Value("Proxy", "HTTP_Proxy_Server"), c.savedServer) << c.server;
    EXPECT_EQ(Value("Proxy", "Proxy_Override"), c.savedOverride) << c.override_;
  }
}

TEST_F(NetworkProxyTest, TheOperatorsBoxesAreJoinedIntoTheKeys) {
  Load(Ini({"[Proxy]", "Proxy_Override=\"*.corp.example;<local>\""}));
  ClickTab(*page->pc_network, *page->tsProxy);
  Type(*page->edHTTPProxyAddress, "proxy.example");
  Click(*page->chkSkipProxyForLocal);
  Click(*page->chkEnableProxy);
  page->edSkipProxy->SetText("*.corp.example");
  page->SaveSettings();
  EXPECT_EQ(Value("Proxy", "HTTP_Proxy_Server"), "proxy.example");
  EXPECT_EQ(Value("Proxy", "Proxy_Override"), "*.corp.example");
  EXPECT_EQ(Value("Proxy", "Proxy_Enable"), "1");

  Click(*page->chkSkipProxyForLocal);
  Type(*page->edHTTPProxyPort, "3128");
  page->SaveSettings();
  EXPECT_EQ(Value("Proxy", "HTTP_Proxy_Server"), "proxy.example:3128");
  EXPECT_EQ(Value("Proxy", "Proxy_Override"), "*.corp.example;<local>");
  EXPECT_NE(Text().find("Proxy_Override=\"*.corp.example;<local>\""), std::string::npos)
      << "a list with \";\" must stay quoted for setup's parser";

  // A port given to an address read without one ("http://proxy" has none).
  Load(Ini({"[Proxy]", "HTTP_Proxy_Server=http://proxy"}));
  ClickTab(*page->pc_network, *page->tsProxy);
  Type(*page->edHTTPProxyPort, "8080");
  page->SaveSettings();
  EXPECT_EQ(Value("Proxy", "HTTP_Proxy_Server"), "http://proxy:8080");
}

}  // namespace
