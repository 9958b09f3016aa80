// The Win2000 configuration page: seven settings, texts as bare texts.
#include "contract/blob_fields.h"
#include "providers/classes.h"
#include "providers/windns/win2000_layout.h"
#include "views/page_fields.h"
#include "views/page_view.h"

namespace vantrel {

namespace {

constexpr int kServer = 201;
constexpr int kRecordName = 202;
constexpr int kTimeToLive = 221;
constexpr int kUser = 203;
constexpr int kPassword = 220;
constexpr int kUserDomain = 216;
constexpr int kSecurity = 214;

// The DNS API's update options, in the order of the combo box's entries.
constexpr LONG kSecurityOff = 0x10;
constexpr LONG kSecurityOnly = 0x100;

class Win2000 : public PageView {
public:
    Win2000() : PageView(kWin2000Class, "Windows 2000 DNS Server", 121) {}

protected:
    void WriteFields(BlobWriter& writer) override {
        HWND page = Page();
        Text server = EditText(page, kServer);
        Text name = EditText(page, kRecordName);
        // An empty or unreadable field gives 0.
        auto ttl = static_cast<int32_t>(GetDlgItemInt(page, kTimeToLive, nullptr, TRUE));
        Text user = EditText(page, kUser);
        Text password = EditText(page, kPassword);
        Text domain = EditText(page, kUserDomain);
        // No selection writes the same as the first entry.
        LRESULT selected = SendDlgItemMessageA(page, kSecurity, CB_GETCURSEL, 0, 0);
        int32_t security = selected == 1 ? kSecurityOnly : kSecurityOff;
        WriteLayout(writer, kWin2000Layout,
                    {{"server", server},
                     {"name", name},
                     {"ttl", ttl},
                     {"user", user},
                     {"password", password},
                     {"domain", domain},
                     {"security", security}});
    }

    void ReadFields(BlobReader& reader) override {
        HWND page = Page();
        std::optional<Text> server;
        std::optional<Text> name;
        std::optional<int32_t> ttl;
        std::optional<Text> user;
        std::optional<Text> password;
        std::optional<Text> domain;
        std::optional<int32_t> security;
        ReadLayout(reader, kWin2000Layout,
                   {{"server", server},
                    {"name", name},
                    {"ttl", ttl},
                    {"user", user},
                    {"password", password},
                    {"domain", domain},
                    {"security", security}});
        // A field cut short leaves its control, and those after it, as it was.
        ShowText(kServer, server);
        ShowText(kRecordName, name);
        if (ttl) {
            SetDlgItemInt(page, kTimeToLive, static_cast<UINT>(*ttl), TRUE);
        }
        ShowText(kUser, user);
        ShowText(kPassword, password);
        ShowText(kUserDomain, domain);
        if (security) {
            // Any other value leaves the selection as it is.
            if ((*security & kSecurityOff) != 0) {
                SendDlgItemMessageA(page, kSecurity, CB_SETCURSEL, 0, 0);
            } else if ((*security & kSecurityOnly) != 0) {
                SendDlgItemMessageA(page, kSecurity, CB_SETCURSEL, 1, 0);
            }
        }
    }

    // The entries are added when the page is made; none is selected.
    INT_PTR OnPageMessage(UINT message, WPARAM, LPARAM) override {
        if (message == WM_INITDIALOG) {
            static const char* const kEntries[] = {"Does not attempt secure dynamic updates.",
                                                   "Attempts secure dynamic updates only."};
            for (const char* entry : kEntries) {
                SendDlgItemMessageA(Page(), kSecurity, CB_ADDSTRING, 0,
                                    reinterpret_cast<LPARAM>(entry));
            }
        }
        return FALSE;
    }

private:
    void ShowText(int control, const std::optional<Text>& text) {
        if (text) {
            SetControlText(Page(), control, *text);
        }
    }
};

}  // namespace

const ClassInfo kWin2000Class{kWin2000Identity,
                              VANTREL_ID_WIN2000,
                              120,
                              119,
                              121,
                              Aggregation::Refused,
                              CreateObject<Win2000, Aggregation::Refused>};

}  // namespace vantrel
