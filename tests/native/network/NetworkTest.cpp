// The network module (address texts, connection names) and the Network Settings dialog.
#include <gtest/gtest.h>

#include <sstream>

#include "network/frmNetworkSettings.h"
#include "network/mdlWMINetwork.h"
#include "tests/fakes/World.h"

namespace {

using network::frmNetworkSettings;
using sysaccess::Variant;
constexpr auto hklm = sysaccess::kHkeyLocalMachine;

TEST(IsValidIPAddress, DottedQuadsOfDecimalGroupsUpTo255) {
    const std::wstring huge(5000, L'9');
    const std::pair<std::wstring, bool> lists[] = {
        // texts separated by "|"
        {L"|10.0.0.1|255.255.255.255|0.0.0.0|001.002.003.004|010.0.0.1|0255.1.1.1|08.09.1.1|"
         L"1..2.3|1...2|0000000001.2.3.4",
         true},
        {L"256.1.1.1|1.256.1.1|1.1.256.1|1.1.1.256|1.1.1.1000|0256.1.1.1|1.2.3|1.2.3.4.5|1|"
         L"1.2.3..4|...|.1.2.3|1.2.3.|.|1.2.3.a| 1.2.3.4|1.2.3.4 |1.2 .3.4|+1.2.3.4|1.-2.3.4|"
         L"0x1.2.3.4|1,2,3,4|::1|1e2.1.1.1|4294967296.1.1.1|2147483648.0.0.0|١.2.3.4|"
         L"１0.0.0.1|1.2.².4|1.2.3.4\u00A0|" +
             huge + L".1.1.1|1.1.1." + huge + L"|" + std::wstring(L"1.2.3.4\0|1.2\0.3.4", 17),
         false}};
    for (const auto& [list, valid] : lists) {
        std::wistringstream texts(list);
        for (std::wstring text; std::getline(texts, text, L'|');) {
            SCOPED_TRACE(testing::PrintToString(text.substr(0, 20)));
            EXPECT_EQ(network::IsValidIPAddress(text), valid);
        }
    }
}

// "a=1; b; c=x" as (key, value) pairs in order.
std::vector<std::pair<std::wstring, std::wstring>> Pairs(const std::wstring& text) {
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    std::wistringstream in(text);
    for (std::wstring item; std::getline(in >> std::ws, item, L';');) {
        const auto eq = item.find(L'=');
        pairs.emplace_back(item.substr(0, eq),
                           eq == std::wstring::npos ? L"" : item.substr(eq + 1));
    }
    return pairs;
}

TEST(ConnectionNames, TheFirstAdapterWhoseNameMatchesIgnoringCase) {
    struct Case {
        const char* name;
        std::wstring adapters;  // "<id>=<connection name>; ...", "<id>" alone: no name
        std::wstring wanted, found;
    };
    const Case cases[] = {
        {"ASCII", L"{A}=Local Area Connection; {B}=Wireless", L"LOCAL AREA connection", L"{A}"},
        {"the second adapter", L"{A}=Ethernet; {B}=Wireless", L"Wireless", L"{B}"},
        {"beyond ASCII", L"{A}=lan; {B}=лан", L"ЛАН", L"{B}"},
        {"whole names only", L"{A}=Ethernet", L"Ethernet ", L""},
        {"no prefix", L"{A}=Ethernet", L"Ether", L""},
        {"enumeration order", L"{B}=Team; {A}=team", L"TEAM", L"{B}"},
        {"no name matches the empty name", L"{D}; {A}=Ethernet", L"", L"{D}"},
        {"nothing registered", L"", L"Ethernet", L""},
        {"an unreadable adapter list", L"denied; {A}=Ethernet", L"Ethernet", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fakes::World w;
        const std::wstring adapters =
            L"SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}"
            L"\\";
        for (const auto& [id, name] : Pairs(c.adapters)) {
            if (id == L"denied") w.registry.Deny(hklm, network::kNetworkClassKey);
            w.registry.MakeKey(hklm, adapters + id);
            if (!name.empty())
                w.registry.SetString(hklm, adapters + id + L"\\Connection", L"Name", name);
        }
        EXPECT_EQ(network::GetSettingIDForConnection(w.services, c.wanted), c.found);
        EXPECT_EQ(w.registry.OpenKeys(), 0);
    }
}

struct Row {
    const char* name;
    // "<property>=value; ...": what differs from kAdapter ("-" null or missing); "unlisted": no
    // lookup by identifier; "NameServer refused": not writable. Steps as fakes::Play's.
    std::wstring adapter, steps;
    std::wstring shown;  // "[box]", "-" disabled; "(auto greyed)": no automatic DNS; "": unchecked
    std::wstring transcript = L"";  // in order: configuration methods, messages
    std::wstring methods = L"";     // "<method>=<status>" or "<method>=!<failure description>"
};

const std::wstring kAdapter =
    L"DHCPEnabled=false; IpAddress=10.0.0.9; IPSubnet=255.0.0.0; DefaultIPGateway=10.0.0.1; "
    L"DNSServerSearchOrder=10.0.0.2, 10.0.0.3; NameServer=10.0.0.2,10.0.0.3";
const std::wstring kStatic = L"static [10.0.0.9] [255.0.0.0] [10.0.0.1]";
const std::wstring kDnsShown = L", dns static [10.0.0.2] [10.0.0.3] (auto greyed)";
const std::wstring kAllAuto = L"dhcp []- []- []-, dns auto []- []-";
const std::wstring kDhcp = L"lan.EnableDHCP() | NameServer then \"\"";
const std::wstring kAddress = L"lan.EnableStatic([\"10.0.0.9\"], [\"255.0.0.0\"])";
const std::wstring kGateway = L"lan.SetGateways([\"10.0.0.1\"], [int16 1])";
std::wstring Dns(const std::wstring& list) {
    return L"lan.SetDNSServerSearchOrder([" + list + L"])";
}
const std::wstring kDns = Dns(L"\"10.0.0.2\", \"10.0.0.3\""), kSaved = kAddress + L" | " + kGateway;
const std::wstring kRead = L"Failed to read the network settings. ";

const Row kRows[] = {
    {"a DHCP connection", L"DHCPEnabled=true; NameServer=-", L"", kAllAuto},
    {"a static connection", L"", L"", kStatic + kDnsShown},
    {"address 0.0.0.0 shows empty, its mask does not",
     L"IpAddress=0.0.0.0; IPSubnet=0.0.0.0; DefaultIPGateway=-", L"",
     L"static [] [0.0.0.0] []" + kDnsShown},
    {"without an address the first mask shows", L"IpAddress=-; IPSubnet=255.0.0.0, 255.255.0.0",
     L"", L"static [] [255.0.0.0] [10.0.0.1]" + kDnsShown},
    {"several gateways are joined by blanks and fail validation",
     L"IpAddress=10.0.0.5, 10.0.1.5; IPSubnet=255.0.0.0, 255.255.0.0; DefaultIPGateway=10.0.0.1, "
     L"10.0.0.2",
     L"cmdSave", L"static [10.0.0.5] [255.0.0.0] [10.0.0.1 10.0.0.2]" + kDnsShown, L"0 Invalid"},
    {"an alternate DNS server equal to the preferred one shows empty",
     L"DNSServerSearchOrder=10.0.0.2, 10.0.0.2", L"",
     kStatic + L", dns static [10.0.0.2] [] (auto greyed)"},
    {"one DNS server, a blank NameServer", L"DNSServerSearchOrder=10.0.0.3; NameServer= ", L"",
     kStatic + L", dns static [10.0.0.3] [] (auto greyed)"},
    {"static DNS recorded but none listed", L"DNSServerSearchOrder=-", L"",
     kStatic + L", dns static [] [] (auto greyed)"},
    {"an empty NameServer means automatic DNS", L"NameServer=", L"",
     kStatic + L", dns auto []- []- (auto greyed)"},
    {"mixed IPv4 and IPv6 lists show the IPv4 entries",
     L"IpAddress=fe80::2, 10.0.0.9; IPSubnet=64, 255.0.0.0; DefaultIPGateway=fe80::1, 10.0.0.1; "
     L"DNSServerSearchOrder=fec0::1, 10.0.0.2, "
     L"10.0.0.3",
     L"", kStatic + kDnsShown},
    {"IPv6 prefix lengths are no masks", L"IpAddress=fe80::2; IPSubnet=64, 255.0.0.0", L"",
     L"static [] [255.0.0.0] [10.0.0.1]" + kDnsShown},
    {"DHCP with static DNS servers", L"DHCPEnabled=true", L"",
     L"dhcp []- []- []-, dns static [10.0.0.2] [10.0.0.3]"},
    {"choosing a static address loads the values and forces static DNS",
     L"DHCPEnabled=true; DNSServerSearchOrder=-; NameServer=", L"optIPAddress(1); optDNS(0)",
     kStatic + L", dns static [] [] (auto greyed)"},
    {"choosing the automatic address clears every box", L"", L"optIPAddress(0)", kAllAuto},
    {"static DNS servers with DHCP", L"",
     L"optIPAddress(0); optDNS(1); txtDNS2=10.0.0.4; optDNS(1)",
     L"dhcp []- []- []-, dns static [] [10.0.0.4]"},
    {"automatic DNS empties the DNS boxes", L"",
     L"optIPAddress(0); optDNS(1); txtDNS1=10.0.0.4; optDNS(0)", kAllAuto},
    {"address boxes take 15 characters, the alternate DNS box any number", L"",
     L"txtIP=255.255.255.2550; txtDNS2=255.255.255.2550; cmdSave",
     L"static [255.255.255.255] [255.0.0.0] [10.0.0.1], dns static [10.0.0.2] [255.255.255.2550] "
     L"(auto greyed)",
     L"0 Invalid"},
    {"OK sends what was typed", L"", L"txtIP=10.1.1.1; txtDNS2=10.1.0.3; cmdSave", L"",
     L"lan.EnableStatic([\"10.1.1.1\"], [\"255.0.0.0\"]) | " + kGateway + L" | " +
         Dns(L"\"10.0.0.2\", \"10.1.0.3\"")},
    {"an empty mask sends no address", L"", L"txtSubnetMask=; cmdSave", L"", kDns},
    {"an empty address sends no address", L"", L"txtIP=; cmdSave", L"", kDns},
    {"an emptied gateway box sends no gateway", L"", L"txtGateway=; cmdSave", L"",
     kAddress + L" | " + kDns},
    {"the DNS list skips an empty box", L"", L"txtDNS1=; cmdSave", L"",
     kSaved + L" | " + Dns(L"\"10.0.0.3\"")},
    {"two empty DNS boxes send an empty list", L"", L"txtDNS1=; txtDNS2=; cmdSave", L"",
     kSaved + L" | " + Dns(L"")},
    {"the automatic address clears NameServer, then enables DHCP", L"", L"optIPAddress(0); cmdSave",
     L"", kDhcp},
    {"status 1 means done at the next restart", L"", L"cmdSave", L"", kSaved + L" | " + kDns,
     L"EnableStatic=1; SetGateways=1; SetDNSServerSearchOrder=1"},
    {"a refused DHCP switch is told and the DNS step still runs", L"",
     L"optIPAddress(0); optDNS(1); txtDNS1=10.0.0.4; cmdSave", L"",
     kDhcp + L" | 0 Failed to enable DHCP. Is the interface online ? | " + Dns(L"\"10.0.0.4\""),
     L"EnableDHCP=84"},
    {"a refused address is told and no gateway follows", L"", L"cmdSave", L"",
     kAddress + L" | 0 Failed to set the IP address. The error code was: 70 | " + kDns,
     L"EnableStatic=70"},
    {"refused gateway and DNS servers are told in decimal", L"", L"cmdSave", L"",
     kSaved + L" | 0 Failed to set the default gateway. The error code was: 67 | " + kDns +
         L" | 0 Failed to set the DNS servers. The error code was: 303240",
     L"SetGateways=67; SetDNSServerSearchOrder=303240"},
    {"a call that fails outright is told with its description", L"", L"cmdSave", L"",
     kAddress + L" | 0 Failed to set the IP address. Not supported | " + kDns,
     L"EnableStatic=!Not supported"},
    {"an unwritable NameServer is told and DHCP is still enabled", L"NameServer refused",
     L"optIPAddress(0); cmdSave", L"",
     L"0 Failed to clear the DNS servers. Failed to set registry value Key: '-2147483646',Section: "
     L"'SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{LAN}',Key: "
     L"'NameServer' to value: '' | lan.EnableDHCP() | NameServer then \"10.0.0.2,10.0.0.3\""},
    {"OK applies to the chosen connection, then shows the first again", L"",
     L"cmbInterfaces=Wireless; cmdSave", kStatic + kDnsShown, L"wifi.EnableDHCP()"},
    {"a connection that cannot be looked up gets nothing", L"unlisted", L"cmdSave", kAllAuto,
     L"0 " + kRead + L"Invalid query | 0 " + kRead + L"Invalid query | 0 " + kRead +
         L"Invalid query"},
};

// "-" null, "true"/"false" a Boolean, otherwise an array of the ", "-separated texts.
Variant Property(const std::wstring& value) {
    if (value == L"-") return Variant::Null();
    if (value == L"true" || value == L"false") return Variant(value == L"true");
    Variant::Array texts;
    for (std::size_t at = 0, comma; at <= value.size(); at = comma + 2) {
        comma = std::min(value.find(L", ", at), value.size());
        texts.emplace_back(value.substr(at, comma - at));
    }
    return Variant(std::move(texts));
}

std::wstring Box(const ui::TextBox& box) {
    return L" [" + box.Text() + L"]" + (box.Enabled() ? L"" : L"-");
}

std::wstring Shown(const frmNetworkSettings& f) {
    return (f.optIPAddress[0]->Value() ? L"dhcp" : L"static") + Box(*f.txtIP) +
           Box(*f.txtSubnetMask) + Box(*f.txtGateway) + L", dns " +
           (f.optDNS[0]->Value() ? L"auto" : L"static") + Box(*f.txtDNS1) + Box(*f.txtDNS2) +
           (f.optDNS[0]->Enabled() ? L"" : L" (auto greyed)") +
           (f.optDNS[1]->Enabled() ? L"" : L" (static greyed)");
}

// Three connections in query order: "Ethernet" ({LAN}, as the row says), one without a
// connection name, and "Wireless" ({WIFI}, DHCP).
TEST(NetworkSettings, ShowsSendsAndTells) {
    const std::wstring query = L"SELECT * FROM Win32_NetworkAdapterConfiguration WHERE ";
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        fakes::World w;
        const std::wstring interfaceKey = network::InterfaceKeyPath(L"{LAN}");
        w.registry.SetString(hklm, network::ConnectionKeyPath(L"{LAN}"), L"Name", L"Ethernet");
        w.registry.SetString(hklm, network::ConnectionKeyPath(L"{WIFI}"), L"Name", L"Wireless");
        if (row.adapter.find(L"NameServer refused") != std::wstring::npos)
            w.registry.Refuse(hklm, interfaceKey);
        auto lan = w.objects.New(L"lan"), hidden = w.objects.New(L"hidden"),
             wifi = w.objects.New(L"wifi");
        lan->Set(L"SettingID", L"{LAN}");
        hidden->Set(L"SettingID", L"{HIDDEN}");
        wifi->Set(L"SettingID", L"{WIFI}").On(L"EnableDHCP", fakes::Returns(0));
        std::wstring nameServer;
        for (const auto& [key, value] : Pairs(kAdapter + L"; " + row.adapter)) {
            if (key == L"NameServer") nameServer = value;
            if (key != L"NameServer" && !value.empty()) lan->Set(key, Property(value));
            if (key != L"NameServer" && !value.empty()) wifi->Set(key, Variant::Null());
        }
        wifi->Set(L"DHCPEnabled", true);
        if (nameServer != L"-") w.registry.SetString(hklm, interfaceKey, L"NameServer", nameServer);
        fakes::FakeObject::Handler dhcp = fakes::Returns(0);
        for (const wchar_t* method : {L"EnableStatic", L"SetGateways", L"SetDNSServerSearchOrder"})
            lan->On(method, fakes::Returns(0));
        for (const auto& [method, answer] : Pairs(row.methods)) {
            auto handler = answer[0] == L'!' ? fakes::Fails(answer.substr(1))
                                             : fakes::Returns(std::stoi(answer));
            lan->On(method, handler);
            if (method == L"EnableDHCP") dhcp = handler;
        }
        // Clearing NameServer must come before DHCP is enabled: note what it holds then.
        lan->On(L"EnableDHCP", [&, dhcp](const std::vector<Variant>& args) {
            w.objects.journal.push_back(L"NameServer then \"" +
                                        *w.registry.GetString(hklm, interfaceKey, L"NameServer") +
                                        L"\"");
            return dhcp(args);
        });
        w.shell.onMessage = [&](const fakes::ShownMessage& m) {
            w.objects.journal.push_back(std::to_wstring(m.style) + L" " + m.text);
        };
        auto cimv2 =
            w.objects.Add(L"winmgmts:{impersonationLevel=impersonate}!\\\\SERVER01\\root\\cimv2");
        cimv2->Query(query + L"IPEnabled = True", {lan, hidden, wifi});
        cimv2->Query(query + L"SettingID='{WIFI}'", {wifi});
        if (row.adapter != L"unlisted") cimv2->Query(query + L"SettingID='{LAN}'", {lan});

        auto form = w.Open<frmNetworkSettings>(L"frmNetworkSettings");
        EXPECT_EQ(fakes::Join(form->cmbInterfaces->Items()), L"Ethernet | Wireless");
        fakes::Play(*form, row.steps);

        EXPECT_EQ(row.shown.empty() ? L"" : Shown(*form), row.shown);  // "": not looked at
        std::vector<std::wstring> transcript;
        for (const auto& line : w.objects.journal)
            if (!line.starts_with(L"bind ") && line.find(L".ExecQuery(") == std::wstring::npos)
                transcript.push_back(line);
        EXPECT_EQ(fakes::Join(transcript), row.transcript);
        EXPECT_EQ(w.registry.OpenKeys(), 0);
        fakes::Play(*form, L"cmdCancel");
        EXPECT_FALSE(form->IsLoaded());
    }
}

}  // namespace
