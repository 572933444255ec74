#include "cli/verify_update.h"

#include "cli/printer.h"
#include "cli/system.h"
#include "update/update_folder_check.h"

namespace sumwise::cli {

int verifyUpdate(const std::vector<Argument>& arguments, Environment& environment) {
    if (arguments.size() != 2) {
        environment.err << "sumwise-cli: " << kVerifyUpdateOption
                        << " takes one folder and nothing else\nTry 'sumwise-cli --help' for more information.\n";
        return kExitUsage;
    }
    const UpdateFolderReport report = checkUpdateFolder(systemPath(arguments[1].path), environment.updateKey);
    Printer printer(environment);
    for (const std::string& line : report.lines) {
        if (!printer.line(arguments[1].text + ": " + line)) return kExitUnreadable;
    }
    if (!report.passed) {
        printer.error("sumwise-cli: " + arguments[1].text + ": the program would not accept these update files");
        return kExitUnreadable;
    }
    return printer.line(arguments[1].text + ": OK") ? kExitSuccess : kExitUnreadable;
}

}  // namespace sumwise::cli
