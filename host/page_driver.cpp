#include "host/page_driver.h"

#include <platform/vtui.h>

#include <cstdlib>
#include <cstring>

namespace host {

namespace {

// What the pages read back from an edit: a 256-character buffer.
constexpr size_t kEditLimit = 255;

std::string ControlText(HWND window) {
    int length = window != nullptr ? GetWindowTextLengthA(window) : 0;
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int got = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

void Click(HWND page, int id) {
    SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0);
}

bool AllDigits(const std::string& value) {
    return !value.empty() && value.find_first_not_of("0123456789") == std::string::npos;
}

int ChoiceIndex(const SettingKey& key, const std::string& value) {
    for (size_t i = 0; i < key.choices.size(); ++i) {
        if (value == key.choices[i]) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// One modal dialog, driven through the platform's modal hook: the first
// time its loop asks for input, `act` runs on the dialog and presses OK or
// Cancel.
struct DialogVisit {
    int edit;
    const std::string* value;  // null: read and cancel
    std::string seen;

    static BOOL Pump(HWND dialog, void* context) {
        auto* visit = static_cast<DialogVisit*>(context);
        HWND edit = GetDlgItem(dialog, visit->edit);
        visit->seen = ControlText(edit);
        if (visit->value != nullptr) {
            SetWindowTextA(edit, visit->value->c_str());
            Click(dialog, IDOK);
        } else {
            Click(dialog, IDCANCEL);
        }
        return TRUE;
    }
};

std::string VisitDialog(HWND page, const SettingKey& key, const std::string* value) {
    DialogVisit visit{key.dialog_edit, value, {}};
    VtModalHook previous = VtSetModalHook(VtModalHook{&DialogVisit::Pump, &visit});
    Click(page, key.id);
    VtSetModalHook(previous);
    return visit.seen;
}

std::vector<std::string> ListEntries(HWND list) {
    std::vector<std::string> entries;
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length == LB_ERR) {
            continue;
        }
        std::string text(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(std::strlen(text.c_str()));
        entries.push_back(text);
    }
    return entries;
}

}  // namespace

std::optional<std::string> CheckValue(const SettingKey& key, const std::string& value) {
    switch (key.control) {
        case Control::HostList:
        case Control::Edit:
            if (value.size() > kEditLimit) {
                return "longer than the page's 255 characters";
            }
            if (key.control == Control::HostList && value.empty()) {
                return "an empty host name is not added";
            }
            return std::nullopt;
        case Control::DigitsEdit:
            if (!AllDigits(value) || value.size() > 10 || std::strtoll(value.c_str(), nullptr, 10) > 0x7FFFFFFF) {
                return "not a number from 0 to 2147483647";
            }
            return std::nullopt;
        case Control::DialogPort:
            if (!AllDigits(value) || value.size() > 5 || std::strtol(value.c_str(), nullptr, 10) > 65535) {
                return "not a port number from 0 to 65535";
            }
            return std::nullopt;
        case Control::DialogEdit:
            // The server dialogs take any length and the blob keeps it whole.
            return std::nullopt;
        case Control::CheckBox:
        case Control::Radio:
        case Control::ComboList:
            if (ChoiceIndex(key, value) < 0) {
                std::string why = "not one of";
                for (const char* choice : key.choices) {
                    why += std::string(" ") + choice;
                }
                return why;
            }
            return std::nullopt;
    }
    return std::nullopt;
}

void ApplyValue(HWND page, const SettingKey& key, const std::string& value) {
    switch (key.control) {
        case Control::HostList:
            SetDlgItemTextA(page, 201, value.c_str());
            Click(page, 204);
            break;
        case Control::Edit:
        case Control::DigitsEdit:
            SetDlgItemTextA(page, key.id, value.c_str());
            break;
        case Control::CheckBox:
            if ((IsDlgButtonChecked(page, key.id) == BST_CHECKED) != (value == key.choices[1])) {
                Click(page, key.id);
            }
            break;
        case Control::Radio:
            Click(page, key.id + ChoiceIndex(key, value));
            break;
        case Control::ComboList:
            SendDlgItemMessageA(page, key.id, CB_SETCURSEL, static_cast<WPARAM>(ChoiceIndex(key, value)), 0);
            break;
        case Control::DialogEdit:
        case Control::DialogPort:
            VisitDialog(page, key, &value);
            break;
    }
}

std::vector<std::string> ReadValues(HWND page, const SettingKey& key) {
    switch (key.control) {
        case Control::HostList:
            return ListEntries(GetDlgItem(page, key.id));
        case Control::Edit:
        case Control::DigitsEdit:
            return {ControlText(GetDlgItem(page, key.id))};
        case Control::CheckBox:
            return {key.choices[IsDlgButtonChecked(page, key.id) == BST_CHECKED ? 1 : 0]};
        case Control::Radio:
            for (size_t i = 0; i < key.choices.size(); ++i) {
                if (IsDlgButtonChecked(page, key.id + static_cast<int>(i)) == BST_CHECKED) {
                    return {key.choices[i]};
                }
            }
            return {};
        case Control::ComboList: {
            LRESULT selected = SendDlgItemMessageA(page, key.id, CB_GETCURSEL, 0, 0);
            if (selected < 0 || static_cast<size_t>(selected) >= key.choices.size()) {
                return {};
            }
            return {key.choices[selected]};
        }
        case Control::DialogEdit:
        case Control::DialogPort:
            return {VisitDialog(page, key, nullptr)};
    }
    return {};
}

}  // namespace host
