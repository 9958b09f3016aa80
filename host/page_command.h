// What `vantrel configure` and `vantrel settings` share: the provider's
// view active on its page, and GetData's blob saved to a file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/options.h"
#include "host/providers.h"
#include "host/site/active_view.h"

namespace host {

// Prints "vantrel <command>: <problem> (see vantrel <command> --help)".
int PageUsage(const char* command, const std::string& problem);

// "--registry FILE" or "--module PATH" at argv[i], taking the value; false
// for any other argument.
bool TakeHostOption(int argc, char** argv, int& i, Options& options);

// The view of the provider, created through the registry (after
// --registry) and active on its page. false after saying why.
bool ActivatePage(const char* command, const Provider& provider, const Options& options,
                  ActiveView& active);

// The blob file's bytes; nullopt after saying why.
std::optional<std::vector<BYTE>> ReadPageBlob(const char* command, const std::string& path);

// GetData's blob written atomically to path; the exit code.
int SaveViewData(const char* command, IGView* view, const std::string& path);

}  // namespace host
