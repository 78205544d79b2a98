#include "commands.h"
#include "image/fileSelection.h"
#include "trust/folderTrust.h"

#include <memory>

// "&File Versions": the version line of every application file in the working folder, or with
// --file the version of that one file (the file the window would have the operator choose).
CommandAction setUpVersions(CLI::App& command) {
    auto file = std::make_shared<std::string>();
    command.add_option("--file", *file, "one file, as chosen under the upgrade type \"Advanced\"");
    return [file](CliContext& context) {
        const bool chosen = !file->empty();
        if (chosen) context.console.firmwareFile = *file;
        FirmwareImage image;
        ReportFileVersions(image, context.console,
                           chosen ? UpgradeType::Advanced : UpgradeType::SingleUnit,
                           ReadFirmwareTrust(context.session.trustSettings()));
        return kExitDone;
    };
}
