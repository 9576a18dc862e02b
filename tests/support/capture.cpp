#include "support/capture.h"

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>

Scratch_Dir::Scratch_Dir() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() / ("depthgrid-test-" + std::to_string(getpid()) + "-" +
                                                       std::to_string(seed()));
    std::filesystem::create_directories(path_);
}

Scratch_Dir::~Scratch_Dir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string Read_File(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Write_File(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

namespace {
std::string Quote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'') quoted.append("'\\''");
        else quoted.push_back(c);
    }
    quoted.push_back('\'');
    return quoted;
}
}  // namespace

Process_Result Run_Program(const std::string& name, const std::vector<std::string>& args,
                           const Process_Options& options) {
    Scratch_Dir dir;
    const std::string in = dir / "stdin", out = dir / "stdout", err = dir / "stderr";
    Write_File(in, options.input);
    std::filesystem::path program = std::filesystem::absolute(DEPTHGRID_BIN_DIR) / name;
    std::string command = "cd " + Quote(options.cwd) + " && ";
    if (options.input_through_pipe) command.append("cat ").append(Quote(in)).append(" | ");
    command.append(Quote(program.string()));
    for (const auto& arg : args) command.append(" ").append(Quote(arg));
    if (!options.input_through_pipe) command.append(" <").append(Quote(in));
    command.append(" >").append(Quote(out)).append(" 2>").append(Quote(err));
    int raw = std::system(command.c_str());
    Process_Result result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = Read_File(out);
    result.err = Read_File(err);
    return result;
}
