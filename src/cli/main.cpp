// SPDX-License-Identifier: GPL-3.0-or-later
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "platform/console.h"
#include "platform/program_folder.h"

int main(int argc, char** argv) {
    tunewell::platform::UseUtf8Console();
    const std::vector<std::string> args = tunewell::platform::Utf8Arguments(argc, argv);
    return tunewell::cli::RunCli(args, tunewell::platform::ProgramFolder());
}
