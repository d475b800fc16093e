#include <string>
#include <vector>

#include "platform/program_folder.h"
#include "cli/cli_app.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return tunewell::cli::RunCli(args, tunewell::platform::ProgramFolder());
}
