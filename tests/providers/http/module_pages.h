// The views and updaters of the built module, made through its class
// objects, and a view's page active in a container of the host.
#pragma once

#include <gtest/gtest.h>
#include <platform/ole2.h>
#include <vantrel/vantrel.h>

#include "contract/blob_values.h"
#include "contract/class_ids.h"
#include "host/site/active_view.h"
#include "module/module_fixture.h"

#include <string>
#include <utility>
#include <vector>

namespace vantrel::test {

using Settings = std::vector<std::pair<std::string, std::string>>;

class ModulePages : public ModuleTest {
protected:
    void SetUp() override;
    void TearDown() override;

    host::ComRef<IUnknown> Create(const ClassIdentity& identity);
    // A new view of the class, active in place; Page() is its page.
    host::ActiveView ActiveView(const ClassIdentity& identity);
    host::ComRef<IIPUpdate> Updater(const ClassIdentity& identity);

    // `vantrel settings` in process: the same keys put on the page by the
    // host's page driver.
    static void Apply(const char* provider, HWND page, const Settings& settings);
    // GetData of a new page of the view after Apply.
    std::vector<BYTE> SettingsBlob(const ClassIdentity& view, const char* provider,
                                   const Settings& settings);
};

}  // namespace vantrel::test
