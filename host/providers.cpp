#include "host/providers.h"

#include <string>

namespace host {

const Provider kProviders[9] = {
    {"dipdns", 21, "DipDNS", "DipDNSObj", "Vantrel.DipDNS", "Vantrel.DipDNSObj"},
    {"dnsexit", 16, "DnsExitView", "DnsExit", "Vantrel.DnsExitView", "Vantrel.DnsExit"},
    {"dyfi", 22, "DyFiView", "DyFi", "Vantrel.DyFiView", "Vantrel.DyFi"},
    {"dynam", 14, "Dynam", "DynamObj", "Vantrel.Dynam", "Vantrel.DynamObj"},
    {"dynup", 15, "Dynup", "DynupObj", "Vantrel.Dynup", "Vantrel.DynupObj"},
    {"eurodyndns", 17, "EuroDynDns", "EuroDynDnsObj", "Vantrel.EuroDynDns",
     "Vantrel.EuroDynDnsObj"},
    {"linuxrc", 19, "GnuDIP2View", "GnuDIP2Obj", "Vantrel.GnuDIP2View", "Vantrel.GnuDIP2Obj"},
    {"gnudip", 20, "GenGnuDIPView", "GenGnuDIPObj", "Vantrel.GenGnuDIPView",
     "Vantrel.GenGnuDIPObj"},
    {"win2000", 18, "Win2000", "Win2000Obj", "Vantrel.Win2000", "Vantrel.Win2000Obj"},
};

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y) {
            return false;
        }
    }
    return true;
}

// "Vantrel.X.1" and "Vantrel.X" both name class X.
bool NamesClass(std::string_view key, std::string_view prog_id, std::string_view class_name) {
    return EqualNoCase(key, prog_id) || EqualNoCase(key, std::string(prog_id) + ".1") ||
           EqualNoCase(key, class_name);
}

}  // namespace

const Provider* FindProvider(std::string_view key) {
    for (const Provider& p : kProviders) {
        if (EqualNoCase(key, p.short_name) || key == std::to_string(p.id) ||
            NamesClass(key, p.view_prog_id, p.view_class) ||
            NamesClass(key, p.updater_prog_id, p.updater_class)) {
            return &p;
        }
    }
    return nullptr;
}

}  // namespace host
