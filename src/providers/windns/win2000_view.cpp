// The Win2000 configuration page: seven settings, texts as bare texts.
#include "providers/classes.h"
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
        writer.BareText(EditText(page, kServer).View());
        writer.BareText(EditText(page, kRecordName).View());
        // An empty or unreadable field gives 0.
        writer.Integer(static_cast<int32_t>(GetDlgItemInt(page, kTimeToLive, nullptr, TRUE)));
        writer.BareText(EditText(page, kUser).View());
        writer.BareText(EditText(page, kPassword).View());
        writer.BareText(EditText(page, kUserDomain).View());
        // No selection writes the same as the first entry.
        LRESULT selected = SendDlgItemMessageA(page, kSecurity, CB_GETCURSEL, 0, 0);
        writer.Integer(selected == 1 ? kSecurityOnly : kSecurityOff);
    }

    void ReadFields(BlobReader& reader) override {
        HWND page = Page();
        ReadText(reader, kServer);
        ReadText(reader, kRecordName);
        if (auto ttl = reader.Integer()) {
            SetDlgItemInt(page, kTimeToLive, static_cast<UINT>(*ttl), TRUE);
        }
        ReadText(reader, kUser);
        ReadText(reader, kPassword);
        ReadText(reader, kUserDomain);
        if (auto security = reader.Integer()) {
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
    void ReadText(BlobReader& reader, int control) {
        if (auto text = reader.BareText()) {
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
