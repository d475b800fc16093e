#include <string>
#include <vector>

#include "fs/program_folder.h"
#include "shell/cli/cli_app.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return tunewell::shell::RunCli(args, tunewell::fs::ProgramFolder());
}
