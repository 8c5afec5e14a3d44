#pragma once
// korimo-cli, a tool for keymap authors: checks keymap files and types key
// streams through the engine into a simulated window.

#include <iosfwd>
#include <string>
#include <vector>

namespace korimo::cli {

// Exit codes shared by the sub-commands.
constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;   // bad arguments or input
constexpr int kExitKeymap = 3;  // a keymap failed the load check

// args excludes the program name. Returns the exit code.
int run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err);

int checkCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int simulateCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err);
int typeCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err);

}  // namespace korimo::cli
