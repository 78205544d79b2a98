#include "commands.h"
#include "image/applicationFiles.h"
#include "image/fileSelection.h"
#include "options.h"

// "&File Versions": the version line of every application file in the working folder, or with
// --file the version of that one file (the file the window would have the operator choose).
int cmd_versions(CliContext& context, std::vector<std::string> args) {
    OptionList options(std::move(args));
    const std::optional<std::string> file = options.takeValue("--file");
    options.expectNoMore();
    context.console.firmwareFile = file;
    FirmwareImage image;
    ReportFileVersions(image, context.console,
                       file ? UpgradeType::Advanced : UpgradeType::SingleUnit);
    return kExitDone;
}
