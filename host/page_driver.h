// Drives a provider's page without a screen, as a person would: types into
// edits, presses "Add", checks boxes, picks radio buttons and combo entries,
// and fills and confirms (or reads and cancels) the modal dialogs.
#pragma once

#include <platform/winuser.h>

#include <optional>
#include <string>
#include <vector>

#include "host/settings_keys.h"

namespace host {

// Why the page cannot take the value, or nullopt when it can.
std::optional<std::string> CheckValue(const SettingKey& key, const std::string& value);

// Puts one checked value on the page.
void ApplyValue(HWND page, const SettingKey& key, const std::string& value);

// What the page shows for the key, in the same notation as the values it
// takes (a host list gives one value per entry, nothing selected none).
std::vector<std::string> ReadValues(HWND page, const SettingKey& key);

}  // namespace host
