// The GenGnuDIPView configuration page (Generic GnuDIP2). The server
// address, port and update URL live in the view, not in controls: they are
// edited in two modal dialogs, shown in status lines 217 and 218, and taken
// from a blob even before the page exists.
#include "contract/blob_fields.h"
#include "providers/classes.h"
#include "providers/gnudip/gnudip_settings.h"
#include "views/page_fields.h"
#include "views/page_view.h"

#include <cstdlib>

namespace vantrel {

namespace {

constexpr int kUser = 201;
constexpr int kDomain = 202;
constexpr int kPassword = 203;
constexpr int kConfigureServer = 204;
constexpr int kConfigureUrl = 205;
constexpr int kRequestFirst = 208;  // 208, 209, 210: request codes 0, 1, 2
constexpr int kRequestLast = 210;
constexpr int kTransportFirst = 211;  // 211 TCP, 212 HTTP
constexpr int kTransportLast = 212;
constexpr int kServerStatus = 217;
constexpr int kUrlStatus = 218;

// A choice no button stands for: SelectOffset leaves the group alone.
constexpr int32_t kNoButton = -1;

constexpr WORD kServerDialog = 131;
constexpr WORD kUrlDialog = 132;
constexpr int kDialogFirstEdit = 201;
constexpr int kDialogSecondEdit = 202;

// The first selected button of a group, as its offset; 0 when none is.
int32_t SelectedOffset(HWND page, int first, int last) {
    for (int id = first; id <= last; ++id) {
        if (IsDlgButtonChecked(page, id) == BST_CHECKED) {
            return id - first;
        }
    }
    return 0;
}

// Selects the button for value and clears the rest of its group; a value
// without a button changes nothing.
void SelectOffset(HWND page, int first, int last, int32_t value) {
    if (value >= 0 && value <= last - first) {
        CheckRadioButton(page, first, last, first + value);
    }
}

// "Text that is not a number gives 0"; kept modulo 65536.
uint16_t ParsePort(const Text& text) {
    return static_cast<uint16_t>(std::strtoul(text.CStr(), nullptr, 10));
}

class GenGnuDIPView : public PageView {
public:
    GenGnuDIPView() : PageView(kGenGnuDIPViewClass, "Generic GnuDIP2", 130) {}

    // Fields 6 to 8 belong to the view, so they are stored even when there
    // is no page to show the others.
    HRESULT SetData(VARIANT value) override {
        if (Page() != nullptr) {
            return PageView::SetData(value);
        }
        Guarded([&] {
            BlobReader reader(value);
            if (reader.IsBlob()) {
                ReadFields(reader);
            }
            return S_OK;
        });
        return S_OK;
    }

protected:
    void WriteFields(BlobWriter& writer) override {
        HWND page = Page();
        Text user = EditText(page, kUser);
        Text domain = EditText(page, kDomain);
        Text password = EditText(page, kPassword);
        int32_t request = SelectedOffset(page, kRequestFirst, kRequestLast);
        int32_t transport = SelectedOffset(page, kTransportFirst, kTransportLast);
        WriteLayout(writer, kGenGnuDIPLayout,
                    {{"user", user},
                     {"domain", domain},
                     {"password", password},
                     {"request", request},
                     {"transport", transport},
                     {"server", m_server},
                     {"port", m_port},
                     {"url", m_url}});
    }

    // Read as the updater reads them, starting from what the page and view
    // hold, so a field cut short leaves its control or value as it was.
    // Without a page the control calls find no window and do nothing.
    void ReadFields(BlobReader& reader) override {
        HWND page = Page();
        GenGnuDIPSettings settings;
        settings.user = EditText(page, kUser);
        settings.domain = EditText(page, kDomain);
        settings.password = EditText(page, kPassword);
        settings.request = kNoButton;
        settings.transport = kNoButton;
        settings.server = m_server;
        settings.port = m_port;
        settings.url = m_url;
        ReadGenGnuDIPSettings(reader, settings);
        SetControlText(page, kUser, settings.user);
        SetControlText(page, kDomain, settings.domain);
        SetControlText(page, kPassword, settings.password);
        SelectOffset(page, kRequestFirst, kRequestLast, settings.request);
        SelectOffset(page, kTransportFirst, kTransportLast, settings.transport);
        m_server = settings.server;
        m_port = settings.port;
        m_url = settings.url;
        ShowServer();
        ShowUrl();
    }

    INT_PTR OnPageMessage(UINT message, WPARAM wparam, LPARAM) override {
        if (message != WM_COMMAND || HIWORD(wparam) != BN_CLICKED) {
            return FALSE;
        }
        if (LOWORD(wparam) == kConfigureServer) {
            if (RunDialog(kServerDialog) == IDOK) {
                ShowServer();
            }
            return TRUE;
        }
        if (LOWORD(wparam) == kConfigureUrl) {
            if (RunDialog(kUrlDialog) == IDOK) {
                ShowUrl();
            }
            return TRUE;
        }
        return FALSE;
    }

private:
    void ShowServer() {
        Text line;
        line.Format("Server: %s Port: %u", m_server.CStr(), static_cast<unsigned>(m_port));
        SetControlText(Page(), kServerStatus, line);
    }
    void ShowUrl() {
        Text line;
        line.Format("Update URL: %s", m_url.CStr());
        SetControlText(Page(), kUrlStatus, line);
    }

    // Both dialogs are modal, owned by the active window, from the module
    // that holds the page's own template.
    INT_PTR RunDialog(WORD dialog) {
        auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(Page(), GWLP_HINSTANCE));
        HWND owner = GetActiveWindow();
        return DialogBoxParamA(instance, MAKEINTRESOURCEA(dialog), owner != nullptr ? owner : Page(),
                               &GenGnuDIPView::DialogProc, reinterpret_cast<LPARAM>(this));
    }

    static INT_PTR DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrA(dialog, DWLP_USER, lparam);
            reinterpret_cast<GenGnuDIPView*>(lparam)->FillDialog(dialog);
            return TRUE;
        }
        auto* view = reinterpret_cast<GenGnuDIPView*>(GetWindowLongPtrA(dialog, DWLP_USER));
        if (message != WM_COMMAND || view == nullptr) {
            return FALSE;
        }
        if (LOWORD(wparam) == IDOK) {
            view->TakeDialog(dialog);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wparam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }

    // The server dialog is the one with a second edit (the port).
    void FillDialog(HWND dialog) {
        if (GetDlgItem(dialog, kDialogSecondEdit) != nullptr) {
            SetControlText(dialog, kDialogFirstEdit, m_server);
            SetDlgItemInt(dialog, kDialogSecondEdit, m_port, FALSE);
        } else {
            SetControlText(dialog, kDialogFirstEdit, m_url);
        }
    }
    // The dialogs take texts of any length; nothing is validated.
    void TakeDialog(HWND dialog) {
        Guarded([&] {
            if (GetDlgItem(dialog, kDialogSecondEdit) != nullptr) {
                m_server = WholeText(dialog, kDialogFirstEdit);
                m_port = ParsePort(WholeText(dialog, kDialogSecondEdit));
            } else {
                m_url = WholeText(dialog, kDialogFirstEdit);
            }
            return S_OK;
        });
    }

    Text m_server;
    uint16_t m_port = 0;
    Text m_url;
};

}  // namespace

const ClassInfo kGenGnuDIPViewClass{kGenGnuDIPViewIdentity,
                                    VANTREL_ID_GENGNUDIP,
                                    129,
                                    128,
                                    130,
                                    Aggregation::Refused,
                                    CreateObject<GenGnuDIPView, Aggregation::Refused>};

}  // namespace vantrel
