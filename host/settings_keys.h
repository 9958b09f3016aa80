// The keys of `vantrel settings`, per provider, in the order of the
// provider's blob layout: which control of the page takes each key.
#pragma once

#include <span>

#include "host/providers.h"

namespace host {

// How a value reaches the page.
enum class Control {
    HostList,    // typed into edit 201, then "Add" (204); shown in list box 206
    Edit,        // an edit, or the edit part of an editable combo box
    DigitsEdit,  // an edit that takes digits only
    CheckBox,    // choices: unchecked, checked
    Radio,       // id: the first button of the group; choices: the buttons in order
    ComboList,   // a drop-down list; choices: its entries in order
    DialogEdit,  // edit `dialog_edit` of the modal dialog that button `id` opens
    DialogPort,  // the same, a decimal port number
};

enum class Secrecy { Shown, Masked };

struct SettingKey {
    const char* name;  // the name of its field in the blob layout
    Control control;
    int id;
    int dialog_edit;
    std::span<const char* const> choices;
    Secrecy secrecy;
    const char* help;
};

// The keys of a provider, in blob order.
std::span<const SettingKey> KeysOf(const Provider& provider);

}  // namespace host
