#include "host/settings_keys.h"

#include <cstring>

namespace host {

namespace {

constexpr const char* kFlag[] = {"0", "1"};
constexpr const char* kRequest[] = {"0", "1", "2"};
constexpr const char* kTransport[] = {"tcp", "http"};
constexpr const char* kSecurity[] = {"off", "secure-only"};

constexpr SettingKey kHostList{"host", Control::HostList, 206, 0, {},
                               Secrecy::Shown, "a host name (repeatable; shown sorted)"};
constexpr SettingKey kHost{"host", Control::Edit, 201, 0, {},
                           Secrecy::Shown, "the host name"};

SettingKey Text(const char* name, int id, const char* help, Secrecy secrecy = Secrecy::Shown) {
    return {name, Control::Edit, id, 0, {}, secrecy, help};
}

const SettingKey kDipDns[] = {kHostList, Text("key", 202, "the account's key")};
const SettingKey kHostUserPassword[] = {
    kHost, Text("user", 202, "the user name"),
    Text("password", 203, "the password", Secrecy::Masked)};
const SettingKey kDyFi[] = {
    kHostList, Text("user", 202, "the user name"),
    Text("password", 203, "the password", Secrecy::Masked),
    {"offline", Control::CheckBox, 219, 0, kFlag, Secrecy::Shown,
     "1 to set the host names offline, 0 for a normal update"}};
const SettingKey kDynup[] = {kHost, Text("password", 203, "the password", Secrecy::Masked)};
const SettingKey kEuroDynDns[] = {kHostList, Text("user", 202, "the user name"),
                                  Text("password", 203, "the password", Secrecy::Masked)};
const SettingKey kLinuxRc[] = {Text("user", 201, "the user or host name"),
                               Text("domain", 214, "the domain name"),
                               Text("password", 202, "the password", Secrecy::Masked)};
const SettingKey kGnuDip[] = {
    Text("user", 201, "the user or host name"),
    Text("domain", 202, "the domain name"),
    Text("password", 203, "the password", Secrecy::Masked),
    {"request", Control::Radio, 208, 0, kRequest, Secrecy::Shown,
     "0 update to this address, 1 set offline, 2 the address the server sees"},
    {"transport", Control::Radio, 211, 0, kTransport, Secrecy::Shown,
     "tcp (server and port) or http (url)"},
    {"server", Control::DialogEdit, 204, 201, {}, Secrecy::Shown,
     "the GnuDIP server's address (TCP form)"},
    {"port", Control::DialogPort, 204, 202, {}, Secrecy::Shown,
     "the GnuDIP server's port, 0 to 65535 (TCP form)"},
    {"url", Control::DialogEdit, 205, 201, {}, Secrecy::Shown,
     "the update URL (HTTP form)"}};
const SettingKey kWin2000[] = {
    Text("server", 201, "the DNS server's address or name"),
    Text("name", 202, "the domain name of the A record"),
    {"ttl", Control::DigitsEdit, 221, 0, {}, Secrecy::Shown,
     "the record's time to live in seconds"},
    Text("user", 203, "the user name for secure updates"),
    Text("password", 220, "the password for secure updates", Secrecy::Masked),
    Text("domain", 216, "the user's domain for secure updates"),
    {"security", Control::ComboList, 214, 0, kSecurity, Secrecy::Shown,
     "off (no secure updates) or secure-only"}};

struct Entry {
    const char* short_name;
    std::span<const SettingKey> keys;
};

const Entry kEntries[] = {
    {"dipdns", kDipDns},   {"dnsexit", kHostUserPassword}, {"dyfi", kDyFi},
    {"dynam", kHostUserPassword}, {"dynup", kDynup},     {"eurodyndns", kEuroDynDns},
    {"linuxrc", kLinuxRc}, {"gnudip", kGnuDip},            {"win2000", kWin2000},
};

}  // namespace

std::span<const SettingKey> KeysOf(const Provider& provider) {
    for (const Entry& entry : kEntries) {
        if (std::strcmp(entry.short_name, provider.short_name) == 0) {
            return entry.keys;
        }
    }
    return {};
}

}  // namespace host
